#pragma once

#include "platform/FrontmostApplication.h"

#include <QHash>

// The frontmost application is whatever the test says it is.
class MemoryFrontmostApplication final : public FrontmostApplication {
public:
    std::optional<QString> displayName() override { return name; }
    std::optional<RunningApplication> frontmost() override { return application; }
    std::optional<RunningApplication> running(qint64 pid) override {
        if (application && application->pid == pid)
            return application;
        if (const auto it = others.constFind(pid); it != others.cend())
            return *it;
        return std::nullopt;
    }

    std::optional<QString> name;
    std::optional<RunningApplication> application;
    // Processes that run without being in front.
    QHash<qint64, RunningApplication> others;
};
