#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

// Keeping a file that could not be read: under "<path>.unreadable-<UTC time>"
// (with "-2", "-3"… when that name is taken, even by a dangling link), a name
// no later write of the program uses, so what the user had is never
// overwritten.
namespace SetAside {

// Moves the file there; its new path, or absent when it could not be moved.
std::optional<QString> move(const QString& path, const QDateTime& now);

// Copies the file there and leaves it in place (it is still read from);
// the copy's path, or absent.
std::optional<QString> copy(const QString& path, const QDateTime& now);

} // namespace SetAside
