#pragma once

#include <QString>

// Where review screenshots go: $TOVIK_SCREENSHOT_DIR, or build/screenshots
// beside the build folders. Made when missing.
QString screenshotDir();
