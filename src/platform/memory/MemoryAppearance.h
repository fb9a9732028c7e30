#pragma once

#include "platform/Appearance.h"

#include <QStringList>

// Records the looks applied, for tests.
class MemoryAppearance final : public Appearance {
public:
    void apply(const QString& appearance) override { applied.append(appearance); }
    QStringList applied;
};
