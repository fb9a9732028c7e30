#pragma once

#include "platform/Appearance.h"

#include <QPalette>
#include <optional>

// Light and dark looks with Qt's Fusion style; "system" goes back to the
// style and palette the desktop gave the application at start.
class FusionAppearance final : public Appearance {
public:
    void apply(const QString& appearance) override;

    static QPalette lightPalette();
    static QPalette darkPalette();

private:
    std::optional<QString> desktopStyle;
    std::optional<QPalette> desktopPalette;
};
