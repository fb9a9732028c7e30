#pragma once

#include "capture/PanelMode.h"

#include <QRect>
#include <QSize>

// Where the panel of one screen sits for each mode: at the top centre, its
// top edge on the screen's top edge, growing down and to both sides.
namespace NotchGeometry {

// Screens on Linux have no camera notch: every screen gets this base.
inline constexpr QSize baseSize{170, 30};

QSize size(PanelMode mode, QSize base = baseSize);
QRect frame(const QRect& screenGeometry, PanelMode mode, QSize base = baseSize);

} // namespace NotchGeometry
