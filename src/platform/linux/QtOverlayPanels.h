#pragma once

#include "platform/OverlayPanel.h"

// Frosted overlay panels as frameless Qt tool windows that bypass the window
// manager (so it never focuses, lists or moves them), take no input (X11
// input shape left empty, so clicks fall through) and stay above other
// windows. Where KWin offers its blur-behind, the panel asks for it and can
// be lighter; elsewhere it is dense enough to hide text beneath.
class QtOverlayPanels final : public OverlayPanels {
public:
    std::unique_ptr<OverlayPanel> makeFrostedPanel() override;
};
