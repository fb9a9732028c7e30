#pragma once

#include <functional>

class QWidget;

// Runs then once widget has painted for the first time, after that frame is
// done; never when widget is destroyed first. For work that should not
// compete with a window's first frame: on two cores a background thread
// started while a window is built delays it.
void afterFirstPaint(QWidget* widget, std::function<void()> then);
