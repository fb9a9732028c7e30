#include "platform/Platform.h"

#include <QtGlobal>

namespace {
Platform* installed = nullptr;
}

Platform& Platform::current() {
    Q_ASSERT_X(installed, "Platform::current", "no platform installed");
    return *installed;
}

void Platform::install(Platform* platform) {
    installed = platform;
}
