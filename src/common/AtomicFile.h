#pragma once

#include <QByteArray>
#include <QString>

// Whole-file writes that a crash cannot tear: the bytes go to a temporary file
// in the same folder, are flushed to disk, and the temporary file is renamed
// over the target (and the folder entry flushed too). Afterwards the target
// holds either the old or the new content, never a mix.
namespace AtomicFile {

// True when the new content is durably in place.
bool write(const QString& path, const QByteArray& bytes);

} // namespace AtomicFile
