#include "capture/NotchGeometry.h"

#include <algorithm>

namespace NotchGeometry {

QSize size(PanelMode mode, QSize base) {
    switch (mode) {
    case PanelMode::collapsed:
        return base;
    case PanelMode::dropHover:
        return {std::max(base.width() + 60, 340), base.height() + 130};
    case PanelMode::keepPrompt:
        return {std::max(base.width() + 150, 430), base.height() + 64};
    }
    return base;
}

QRect frame(const QRect& screenGeometry, PanelMode mode, QSize base) {
    const QSize panel = size(mode, base);
    // Centred on the screen's middle column; an odd leftover pixel goes right.
    const int left = screenGeometry.x() + (screenGeometry.width() - panel.width()) / 2;
    return QRect(QPoint(left, screenGeometry.y()), panel);
}

} // namespace NotchGeometry
