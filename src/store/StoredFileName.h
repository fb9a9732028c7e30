#pragma once

#include <QString>

// Items name their stored files by plain names inside "Files". A name read
// from the index is only trusted when it is exactly that: not empty, not "."
// or "..", and without a path separator or NUL, so a tampered index can never
// make the store open, overwrite or delete anything outside "Files".
bool isPlainStoredName(const QString& name);
