#pragma once

#include "chatblur/ChatCover.h"
#include "chatblur/ChatLocator.h"

#include <QObject>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class Accessibility;
class BlurSiteStore;
class Environment;
class FrontmostApplication;
class OverlayPanel;
class OverlayPanels;
class PointerMonitor;
class UserDefaults;

// Covers the chat titles in the sidebar of a chat site open in the browser in
// front. Scanning runs on its own thread ("lumavex.chatblur") four times a
// second; the panels, the peek (the row under the pointer stays uncovered)
// and the whole-list blocks while the wheel turns live on the main thread.
class ChatBlur : public QObject {
    Q_OBJECT
public:
    using Clock = std::chrono::steady_clock;

    static constexpr auto kFirstScan = std::chrono::milliseconds(1000);
    static constexpr auto kScanInterval = std::chrono::milliseconds(250);
    static constexpr auto kScrollHold = std::chrono::milliseconds(450);
    static constexpr int kPeekIntervalMs = 33;
    // How long the last cover stays when scans fail without the browser
    // leaving the front (a busy browser answers late).
    static constexpr auto kHoldAfterFailure = std::chrono::milliseconds(3000);

    ChatBlur(Accessibility& accessibility, FrontmostApplication& applications,
             const Environment& environment, UserDefaults& defaults, PointerMonitor& pointer,
             OverlayPanels& panelMaker, BlurSiteStore& sites, QObject* parent = nullptr);
    // Stops the scan thread and waits for it.
    ~ChatBlur() override;

    static ChatBlur& shared();

    // Starts scanning (once; later calls do nothing).
    void start();

    // "chatBlurEnabled"; switching off hides every panel at once.
    bool enabled() const;
    void setEnabled(bool on);

    // Main thread: what to cover from now on; an empty cover hides it all.
    void show(const ChatCover& cover);
    // Main thread: places the panels for the cover, the pointer and the wheel.
    void layout();
    const ChatCover& cover() const { return currentCover; }
    // The panels' frames as last laid out (visible ones only), for tests.
    QList<QRect> coveredFrames() const;

    // One scan as the thread does it, for tests and the scan command.
    ChatCover scanOnce();
    // The cover to show after a scan that found `found`: while the scans
    // fail with the same browser in front, the last cover stays for a while
    // instead of uncovering every title at once. Absent: leave the panels be
    // (also when nothing is covered and nothing is found again).
    std::optional<ChatCover> coverAfterScan(ChatCover found, bool interrupted);

    // Tests drive time.
    void setClock(std::function<Clock::time_point()> clock);

Q_SIGNALS:
    void enabledChanged(bool on);

private:
    void runScans();
    void tick();

    Accessibility& accessibility;
    const Environment& environment;
    UserDefaults& defaults;
    PointerMonitor& pointer;
    OverlayPanels& panelMaker;
    std::function<Clock::time_point()> now = &Clock::now;

    // Scan side: only on the scan thread (or in scanOnce before start).
    ChatLocator locator;
    std::atomic<bool> isOn;
    std::optional<Clock::time_point> lastCovered;
    bool uncovered = false; // an empty cover was the last one handed over

    std::mutex threadLock;
    std::condition_variable wake;
    bool stopping = false;
    std::thread scanThread;

    // Display side: main thread only.
    std::vector<std::unique_ptr<OverlayPanel>> panels;
    ChatCover currentCover;
    bool wheelMonitored = false;
    Clock::time_point scrollingUntil{};
    QTimer peekTimer;
};
