#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <optional>

// New files inside the store's flat "Files" folder, each named by a fresh
// upper-case UUID and a suffix.
namespace StoredFile {

// A fresh UUID followed by suffix ("-thumb.png", ".png", "-report.pdf").
QString freshName(const QString& suffix);

// Writes bytes as a new file named freshName(suffix) into filesDir; the name,
// or absent when writing failed (nothing is left behind then).
std::optional<QString> write(const QString& filesDir, const QString& suffix,
                             const QByteArray& bytes);

// The image as PNG, written as above.
std::optional<QString> writePng(const QString& filesDir, const QString& suffix,
                                const QImage& image);

} // namespace StoredFile
