#pragma once

#include <QString>
#include <QStringList>

// The reverse-domain identifier of a process, from what Linux tells about it:
// the Flatpak id when it runs in one, else a known browser's identifier from
// its executable's name, else the executable's name itself.
namespace ApplicationId {
// names: the executable's file name and argv[0]'s, most telling first.
QString fromProcess(const QStringList& executableNames, const QString& flatpakId);
// The Flatpak id in a ".flatpak-info" file's text ("[Application]\nname=…").
QString flatpakIdFromInfo(const QByteArray& flatpakInfo);
} // namespace ApplicationId
