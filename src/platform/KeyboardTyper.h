#pragma once

#include <QString>

// Types text into whatever has the keyboard focus, as if the user typed it.
class KeyboardTyper {
public:
    virtual ~KeyboardTyper() = default;
    // Any Unicode text, whatever the keyboard layout; false when the desktop
    // offers no way to send keys or a key could not be sent.
    virtual bool type(const QString& text) = 0;
};
