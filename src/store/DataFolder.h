#pragma once

#include <QString>

class Environment;

// Where Tovik keeps its data: "Lumavex" inside the user's data folder
// ($XDG_DATA_HOME, by default ~/.local/share).
namespace DataFolder {

// The per-user folder that holds the data folder.
QString applicationSupport(const Environment& environment);

// The per-user folder for what can be thrown away and rebuilt
// ($XDG_CACHE_HOME, by default ~/.cache, + "/lumavex").
QString cacheFolder(const Environment& environment);

// applicationSupport + "/Lumavex". When nothing exists there yet but the
// folder of earlier versions ("Vellumory") does, that folder is first moved
// into its place (a failed move is ignored). With migrate false nothing is
// moved and the older folder is answered instead, for read-only use.
QString root(const QString& applicationSupport, bool migrate = true);

} // namespace DataFolder
