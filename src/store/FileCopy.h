#pragma once

#include <QString>
#include <optional>

// Copies a kept file or folder into the store, and deletes stored copies.
// Only what can be copied faithfully is read: regular files, folders and,
// inside a folder, symbolic links (recreated as links, never followed, so a
// link cannot pull in a whole other tree or loop). FIFOs, sockets and
// devices inside a folder are passed over: reading one could block forever
// or never end. Blocking calls; safe on any thread.
namespace FileCopy {

// Copies source (a regular file or a folder; a link at the top is followed,
// since it names what the user picked) to target, which must not exist yet.
// Absent on success; otherwise why it failed, and nothing is left at target.
// A folder that holds something unreadable fails as a whole rather than being
// stored with pieces missing.
std::optional<QString> copy(const QString& source, const QString& target);

// Deletes a stored copy: a folder with everything in it, or a file or link.
void remove(const QString& path);

} // namespace FileCopy
