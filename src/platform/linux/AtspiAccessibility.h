#pragma once

#include "platform/Accessibility.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>

// Other applications' accessibility trees over AT-SPI 2.
//
// Threading: libatspi is not thread-safe, so one thread of this class's own
// makes every AT-SPI call and receives every AT-SPI event; reads from other
// threads are handed to it and wait for the answer. Every call is bounded by
// AXElement::kMessagingTimeoutMs; an application that let a call time out is
// not asked again for a second, so a hung browser costs its callers one
// time-out a second at most instead of one per read.
class AtspiAccessibility final : public Accessibility {
public:
    AtspiAccessibility();
    ~AtspiAccessibility() override;

    bool isReachable() override;
    bool isEnabled() override;
    bool enable() override;
    AXElement application(qint64 pid) override;

    // From now on, "AXFocusedUIElement" follows the applications' focus
    // events, so reading it costs no call while focus rests; without events
    // (or before the first one) it is found by a bounded search.
    void followFocusEvents() override;
    // Follows focus events too; listeners run on this class's own thread.
    int addFocusListener(std::function<void()> moved) override;
    void removeFocusListener(int id) override;
    // Calls made to other processes so far.
    quint64 calls() const;

    struct Backend;

private:
    std::once_flag started;
    std::shared_ptr<Backend> backend;
    // The bus's status is asked several times a second (the chat blur's
    // scan); a round trip each time would keep the session bus busy at rest.
    std::mutex statusLock;
    std::optional<bool> knownStatus;
    std::chrono::steady_clock::time_point statusReadAt;
    static constexpr std::chrono::seconds statusFreshFor{2};
};
