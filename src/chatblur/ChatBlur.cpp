#include "chatblur/ChatBlur.h"

#include "chatblur/BlurSiteStore.h"
#include "common/HandOver.h"
#include "common/SharedInstance.h"
#include "platform/Accessibility.h"
#include "platform/DefaultsKeys.h"
#include "platform/Environment.h"
#include "platform/OverlayPanel.h"
#include "platform/PointerMonitor.h"
#include "platform/UserDefaults.h"

#include <cstdio>
#include <pthread.h>
#include <utility>

using namespace Qt::StringLiterals;

ChatBlur::ChatBlur(Accessibility& accessibility, FrontmostApplication& applications,
                   const Environment& environment, UserDefaults& defaults, PointerMonitor& pointer,
                   OverlayPanels& panelMaker, BlurSiteStore& sites, QObject* parent)
    : QObject(parent), accessibility(accessibility), environment(environment), defaults(defaults),
      pointer(pointer), panelMaker(panelMaker),
      locator(
          accessibility, applications, environment,
          [&sites](const QString& host, std::optional<int> port) { return sites.site(host, port); },
          [this] { return now(); }),
      isOn(defaults.boolValueDefaultingToTrue(DefaultsKeys::chatBlurEnabled)) {
    peekTimer.setInterval(kPeekIntervalMs);
    peekTimer.setTimerType(Qt::PreciseTimer);
    connect(&peekTimer, &QTimer::timeout, this, &ChatBlur::layout);
}

ChatBlur::~ChatBlur() {
    {
        const std::lock_guard guard(threadLock);
        stopping = true;
    }
    wake.notify_all();
    if (scanThread.joinable())
        scanThread.join();
    if (wheelMonitored)
        pointer.stopWheelMonitor();
}

ChatBlur& ChatBlur::shared() {
    return SharedInstance<ChatBlur>::get();
}

void ChatBlur::setClock(std::function<Clock::time_point()> clock) {
    now = std::move(clock);
}

void ChatBlur::start() {
    if (scanThread.joinable())
        return;
    scanThread = std::thread([this] { runScans(); });
}

bool ChatBlur::enabled() const {
    return isOn.load();
}

void ChatBlur::setEnabled(bool on) {
    defaults.set(DefaultsKeys::chatBlurEnabled, on);
    isOn.store(on);
    if (!on)
        show({});
    Q_EMIT enabledChanged(on);
}

void ChatBlur::runScans() {
    pthread_setname_np(pthread_self(), "lumavex.chatbl");
    // Steady ticks: a slow scan (a browser that answers late) delays the next
    // one instead of letting them pile up.
    Clock::time_point next = Clock::now() + kFirstScan;
    std::unique_lock guard(threadLock);
    while (!wake.wait_until(guard, next, [this] { return stopping; })) {
        guard.unlock();
        tick();
        guard.lock();
        next += kScanInterval;
        if (const Clock::time_point current = Clock::now(); next < current)
            next = current;
    }
}

ChatCover ChatBlur::scanOnce() {
    const bool trusted = accessibility.isReachable() && accessibility.isEnabled();
    ChatCover cover;
    if (isOn.load() && trusted)
        cover = locator.locateChats();
    if (environment.value(u"TOVIK_AUTOFILL_DEBUG"_s)) {
        const QString host = locator.webHost();
        const QString line =
            u"blur trusted=%1 window=%2 web=%3 sidebar=%4 runs=%5 rows=%6 blocks=%7\n"_s
                .arg(trusted ? u"true"_s : u"false"_s, locator.hasWindow() ? u"true"_s : u"false"_s,
                     host.isEmpty() ? u"-"_s : host, locator.hasSidebar() ? u"true"_s : u"false"_s)
                .arg(locator.runCount())
                .arg(cover.rows.size())
                .arg(cover.blocks.size());
        std::fputs(line.toUtf8().constData(), stderr);
    }
    return cover;
}

std::optional<ChatCover> ChatBlur::coverAfterScan(ChatCover found, bool interrupted) {
    const Clock::time_point time = now();
    if (!found.isEmpty()) {
        lastCovered = time;
        uncovered = false;
        return found;
    }
    if (interrupted && isOn.load() && lastCovered && time - *lastCovered <= kHoldAfterFailure)
        return std::nullopt;
    lastCovered.reset();
    // Nothing is covered already: at rest the main thread is not woken four
    // times a second to hide nothing.
    const bool nothing = found.blocks.isEmpty();
    if (nothing && std::exchange(uncovered, true))
        return std::nullopt;
    uncovered = nothing;
    return found;
}

void ChatBlur::tick() {
    ChatCover found = scanOnce();
    std::optional<ChatCover> cover = coverAfterScan(std::move(found), locator.wasInterrupted());
    if (!cover)
        return;
    handOver(this, [this, cover = std::move(*cover)] { show(cover); });
}

void ChatBlur::show(const ChatCover& cover) {
    currentCover = cover;
    if (cover.rows.isEmpty()) {
        for (const auto& panel : panels)
            panel->hide();
        peekTimer.stop();
        return;
    }
    if (!wheelMonitored) {
        wheelMonitored = pointer.startWheelMonitor([this] {
            scrollingUntil = now() + kScrollHold;
            layout();
        });
    }
    if (!peekTimer.isActive())
        peekTimer.start();
    layout();
}

void ChatBlur::layout() {
    QList<QRect> rects;
    if (now() < scrollingUntil) {
        // Titles move under a moving list faster than the scan follows them:
        // while the wheel turns whole lists stay covered.
        rects = currentCover.blocks;
    } else {
        const std::optional<QPoint> at = pointer.position();
        for (const QRect& row : currentCover.rows) {
            if (!at || !row.contains(*at))
                rects.append(row);
        }
    }
    while (panels.size() < size_t(rects.size()))
        panels.push_back(panelMaker.makeFrostedPanel());
    for (size_t i = 0; i < panels.size(); ++i) {
        OverlayPanel& panel = *panels[i];
        if (i < size_t(rects.size())) {
            panel.setFrame(rects[qsizetype(i)]);
            if (!panel.isVisible())
                panel.show();
        } else if (panel.isVisible()) {
            panel.hide();
        }
    }
}

QList<QRect> ChatBlur::coveredFrames() const {
    QList<QRect> frames;
    for (const auto& panel : panels) {
        if (panel->isVisible())
            frames.append(panel->frame());
    }
    return frames;
}
