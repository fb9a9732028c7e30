#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

// Icons asked for by symbol name ("tag.fill", "sparkles", "doc.fill", …), the
// names every view uses. Each name maps to a symbolic icon of the Adwaita
// theme or to a small drawing shipped with the application; all are one-colour
// shapes drawn in the colour asked for.
namespace SymbolIcon {

// True when the name is in the table and its drawing can be found.
bool has(const QString& symbolName);

// The symbol as a square pixmap of size × size device-independent pixels.
// A null pixmap for an unknown name.
QPixmap pixmap(const QString& symbolName, int size, const QColor& color,
               qreal devicePixelRatio = 1.0);

// The symbol at the usual icon sizes.
QIcon icon(const QString& symbolName, const QColor& color);

// Every symbol name in the table.
QStringList names();

} // namespace SymbolIcon
