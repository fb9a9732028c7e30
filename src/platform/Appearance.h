#pragma once

#include <QString>

// Applies the chosen look to the whole application at once.
class Appearance {
public:
    virtual ~Appearance() = default;
    // "light", "dark", or anything else for the desktop's own palette.
    virtual void apply(const QString& appearance) = 0;
};
