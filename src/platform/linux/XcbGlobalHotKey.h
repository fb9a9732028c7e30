#pragma once

#include "platform/GlobalHotKey.h"

#include <QAbstractNativeEventFilter>
#include <cstdint>
#include <vector>

// Alt+Space grabbed on the X11 root window, with the Num Lock and Caps Lock
// variants so the shortcut works whatever the lock keys are.
class XcbGlobalHotKey final : public GlobalHotKey, public QAbstractNativeEventFilter {
public:
    ~XcbGlobalHotKey() override;

    bool registerAltSpace(std::function<void()> pressed) override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    std::function<void()> onPressed;
    std::vector<std::uint8_t> keycodes;
    bool installed = false;
};
