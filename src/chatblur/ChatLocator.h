#pragma once

#include "chatblur/BlurSite.h"
#include "chatblur/ChatCover.h"
#include "platform/Accessibility.h"

#include <QSet>
#include <chrono>
#include <functional>
#include <optional>
#include <unordered_map>

class Environment;
class FrontmostApplication;

// The scanning half of the chat blur: finds the chat links in the sidebar of
// the browser page in front and measures the visible ones. It keeps what it
// found between calls, so a call with nothing changed reads only the frames
// of the rows in view (found by binary search). One thread at a time.
class ChatLocator {
public:
    using Clock = std::chrono::steady_clock;
    // Which listed site a page's host (and its port, when the address has
    // one or the scheme implies one) belongs to.
    using SiteLookup =
        std::function<std::optional<BlurSite>(const QString& host, std::optional<int> port)>;

    // Tree searches are bounded: every element visited costs a call into the
    // browser.
    static constexpr int kWebAreaBudget = 700;
    static constexpr int kWebAreaDepth = 16;
    static constexpr int kSidebarBudget = 500;
    static constexpr int kSidebarDepth = 14;
    static constexpr int kSidebarRunBudget = 4000;
    static constexpr int kFallbackRunBudget = 1800;
    static constexpr int kRunDepth = 40;

    ChatLocator(Accessibility& accessibility, FrontmostApplication& applications,
                const Environment& environment, SiteLookup sites,
                std::function<Clock::time_point()> now = &Clock::now);

    // One scan of the browser in front (or of TOVIK_AUTOFILL_PID's process).
    ChatCover locateChats();
    // Watches this process instead of the frontmost application.
    void setWatchedPid(qint64 pid) { watchedPid = pid; }
    // Drops what is known of the page, so the next call searches anew.
    void forgetPage();

    // Whether the last call answered nothing because a read failed or timed
    // out (a busy browser), rather than because there is nothing to cover.
    bool wasInterrupted() const { return interrupted; }

    // For the diagnostic line.
    bool hasWindow() const { return !window.isNull(); }
    bool hasSidebar() const { return !sidebar.isNull(); }
    int runCount() const { return int(chatRuns.size()); }
    QString webHost() const { return lastHost; }

    // Browsers whose pages are scanned, by application id prefix.
    static bool isBrowser(const QString& applicationId);
    // Whether a link with this path leads to one chat.
    static bool isChatPath(const QString& path, const QStringList& patterns);

    // What a list scan learnt of an element: whether it is a link, and its
    // path. Elements keep their role and address for their life, so the
    // next list scan of the same page reads them only for new elements.
    struct KnownElement {
        bool link = false;
        QString path;
    };
    struct ElementHash {
        std::size_t operator()(const AXElement& element) const { return element.hash(); }
    };
    using KnownElements = std::unordered_map<AXElement, KnownElement, ElementHash>;

private:
    struct HostAndPort {
        QString host;
        std::optional<int> port;
    };
    std::optional<HostAndPort> webAreaHost() const;
    void scanList(const BlurSite& site);
    // Appends the run's visible rows to cover and their vertical extent to
    // extents; false when a frame could not be read.
    // What the last measure of a run found: the first link in view and the
    // frames of the visible ones (plus the one after them).
    struct RunMeasure {
        qsizetype first = -1;
        QList<QRectF> frames;
        std::optional<QRectF> after;
        QRectF region;
    };
    bool measureRun(const QList<AXElement>& run, const QRectF& region, ChatCover& cover,
                    QList<QRectF>& extents, RunMeasure& last);

    Accessibility& accessibility;
    FrontmostApplication& applications;
    SiteLookup sites;
    std::function<Clock::time_point()> now;
    std::optional<qint64> watchedPid;

    qint64 appPid = 0;
    AXElement appElement;
    QSet<qint64> wokenPids;
    AXElement window;
    QString windowTitle;
    AXElement webArea;
    AXElement sidebar;
    QList<QList<AXElement>> chatRuns;
    // Per run, the last measure: while the list rests, the first and last
    // visible links (and the one after) are read instead of every row, and
    // the first replaces the binary search.
    QList<RunMeasure> measures;
    AXElement clip;
    std::optional<Clock::time_point> lastListScan;
    std::optional<Clock::time_point> lastPageScan;
    QString lastHost;
    bool interrupted = false;
    KnownElements knownElements;
};
