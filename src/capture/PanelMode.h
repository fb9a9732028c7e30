#pragma once

#include <QMetaType>

// What the notch panel shows: nothing beyond the notch, the drop zone while a
// drag is over it, or the open panel (keep prompt, tag field or a flash).
enum class PanelMode { collapsed, dropHover, keepPrompt };

Q_DECLARE_METATYPE(PanelMode)
