#include "chatblur/ChatLocator.h"

#include "platform/Environment.h"
#include "platform/FrontmostApplication.h"

#include <QHash>
#include <QUrl>
#include <algorithm>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

// Patterns of chat links on a site that names none of its own.
const QStringList kDefaultPatterns{u"/c/"_s,      u"/chat/"_s, u"/chats/"_s, u"/conversation/"_s,
                                   u"/thread/"_s, u"/t/"_s};

const QStringList kBrowserPrefixes{
    u"com.google.Chrome"_s,   u"com.brave.Browser"_s,          u"com.microsoft.edgemac"_s,
    u"ai.perplexity.comet"_s, u"company.thebrowser.Browser"_s, u"company.thebrowser.dia"_s,
    u"com.vivaldi.Vivaldi"_s, u"com.operasoftware.Opera"_s,    u"org.chromium.Chromium"_s,
    u"com.apple.Safari"_s,
};

// Titles are short lines; a list whose visible part is this narrow or
// narrower is a collapsed sidebar, not a list of titles.
constexpr int kNarrowestList = 40;

QRectF toRectF(const QRect& r) {
    return QRectF(r.x(), r.y(), r.width(), r.height());
}

// Depth-first search for the page's web area.
struct WebAreaSearch {
    int budget;
    AXElement visit(const AXElement& element, int depth) {
        if (budget <= 0 || depth >= ChatLocator::kWebAreaDepth)
            return {};
        --budget;
        if (element.string(AX::role) == AX::webAreaRole)
            return element;
        for (const AXElement& child : element.children().value_or(QList<AXElement>{})) {
            if (AXElement found = visit(child, depth + 1))
                return found;
        }
        return {};
    }
};

// Depth-first search for the landmark that holds the chat list: the first
// navigation landmark outside the main content, else a complementary one.
struct SidebarSearch {
    int budget;
    AXElement visit(const AXElement& element, int depth, bool insideComplementary) {
        if (budget <= 0 || depth >= ChatLocator::kSidebarDepth)
            return {};
        --budget;
        const std::optional<QString> subrole = element.string(AX::subrole);
        if (subrole == AX::landmarkNavigation)
            return element;
        if (subrole == AX::landmarkMain)
            return {};
        const bool complementary = subrole == AX::landmarkComplementary && !insideComplementary;
        for (const AXElement& child : element.children().value_or(QList<AXElement>{})) {
            if (AXElement found = visit(child, depth + 1, insideComplementary || complementary))
                return found;
        }
        return complementary ? element : AXElement();
    }
};

// Collects the chat links in document order, split into runs wherever a link
// that is not a chat link comes between two of them.
struct RunCollector {
    int budget;
    std::optional<double> leftLimit;
    QStringList patterns;
    const ChatLocator::KnownElements* known;
    ChatLocator::KnownElements seen;
    QList<QList<AXElement>> runs;
    bool lastWasChat = false;

    ChatLocator::KnownElement learn(const AXElement& element) {
        if (const auto it = known->find(element); it != known->end()) {
            seen.insert(*it);
            return it->second;
        }
        ChatLocator::KnownElement what;
        what.link = element.string(AX::role) == AX::linkRole;
        if (what.link)
            what.path = QUrl(element.string(AX::url).value_or(QString())).path();
        seen.emplace(element, what);
        return what;
    }

    void visit(const AXElement& element, int depth) {
        if (budget <= 0 || depth >= ChatLocator::kRunDepth)
            return;
        --budget;
        const ChatLocator::KnownElement what = learn(element);
        if (!what.link) {
            if (leftLimit && depth >= 1 && depth <= 8) {
                if (const std::optional<QRect> frame = element.frame();
                    frame && frame->x() > *leftLimit)
                    return;
            }
            for (const AXElement& child : element.children().value_or(QList<AXElement>{}))
                visit(child, depth + 1);
            return;
        }
        if (!ChatLocator::isChatPath(what.path, patterns)) {
            lastWasChat = false;
            return;
        }
        if (leftLimit) {
            const std::optional<QRect> frame = element.frame();
            if (!frame || frame->x() + frame->width() > *leftLimit)
                return;
        }
        if (lastWasChat && !runs.isEmpty())
            runs.last().append(element);
        else
            runs.append({element});
        lastWasChat = true;
    }
};

// The nearest ancestor of link below container that is at least half as
// high as the container: the list's scrolling viewport.
AXElement scrollerAround(const AXElement& link, const AXElement& container) {
    const std::optional<QRect> containerFrame = container.frame();
    if (!containerFrame)
        return {};
    AXElement current = link;
    for (int step = 0; step < 30; ++step) {
        current = current.element(AX::parent);
        if (current.isNull() || current == container)
            return {};
        if (const std::optional<QRect> frame = current.frame();
            frame && frame->height() * 2 >= containerFrame->height())
            return current;
    }
    return {};
}

} // namespace

ChatLocator::ChatLocator(Accessibility& accessibility, FrontmostApplication& applications,
                         const Environment& environment, SiteLookup sites,
                         std::function<Clock::time_point()> now)
    : accessibility(accessibility), applications(applications), sites(std::move(sites)),
      now(std::move(now)) {
    if (const std::optional<QString> pid = environment.value(u"TOVIK_AUTOFILL_PID"_s)) {
        bool ok = false;
        const qint64 value = pid->trimmed().toLongLong(&ok);
        if (ok && value > 0)
            watchedPid = value;
    }
}

bool ChatLocator::isBrowser(const QString& applicationId) {
    return std::any_of(kBrowserPrefixes.begin(), kBrowserPrefixes.end(),
                       [&](const QString& prefix) { return applicationId.startsWith(prefix); });
}

bool ChatLocator::isChatPath(const QString& path, const QStringList& patterns) {
    for (const QString& pattern : patterns.isEmpty() ? kDefaultPatterns : patterns) {
        const qsizetype at = path.indexOf(pattern);
        if (at >= 0 && at + pattern.size() < path.size())
            return true;
    }
    return false;
}

void ChatLocator::forgetPage() {
    webArea = {};
    sidebar = {};
    chatRuns.clear();
    measures.clear();
    clip = {};
    lastPageScan.reset();
    lastListScan.reset();
    knownElements.clear();
}

std::optional<ChatLocator::HostAndPort> ChatLocator::webAreaHost() const {
    if (webArea.isNull())
        return std::nullopt;
    const std::optional<QString> address = webArea.string(AX::url);
    if (!address)
        return std::nullopt;
    const QUrl url(*address);
    const QString host = url.host().toLower();
    if (host.isEmpty())
        return std::nullopt;
    const int defaultPort = url.scheme() == u"https"_s ? 443 : url.scheme() == u"http"_s ? 80 : -1;
    const int port = url.port(defaultPort);
    return HostAndPort{host, port > 0 ? std::optional<int>(port) : std::nullopt};
}

ChatCover ChatLocator::locateChats() {
    lastHost.clear();
    interrupted = false;
    std::optional<RunningApplication> app =
        watchedPid ? applications.running(*watchedPid) : applications.frontmost();
    if (!app || app->applicationId.isEmpty() || !isBrowser(app->applicationId)) {
        forgetPage();
        return {};
    }
    if (app->pid != appPid) {
        appPid = app->pid;
        appElement = accessibility.application(appPid);
        forgetPage();
        window = {};
        windowTitle.clear();
        if (!wokenPids.contains(appPid) && appElement) {
            wokenPids.insert(appPid);
            appElement.setBool(AX::enhancedUserInterface, true);
        }
    } else if (appElement.isNull()) {
        // A browser that has only just started has no tree yet.
        appElement = accessibility.application(appPid);
    }

    const AXElement focused = appElement.element(AX::focusedWindow);
    if (focused.isNull()) {
        interrupted = true;
        forgetPage();
        return {};
    }
    const QString title = focused.string(AX::title).value_or(QString());
    const bool windowChanged = focused != window || title != windowTitle;

    const Clock::time_point time = now();
    std::optional<HostAndPort> host;
    bool scanPage = false;
    if (!webArea.isNull()) {
        host = webAreaHost();
        scanPage = !host || windowChanged;
    } else {
        scanPage = windowChanged || !lastPageScan || time - *lastPageScan > 1s;
    }
    if (scanPage) {
        window = focused;
        windowTitle = title;
        forgetPage();
        lastPageScan = time;
        webArea = WebAreaSearch{kWebAreaBudget}.visit(window, 0);
        host = webAreaHost();
    }

    const std::optional<BlurSite> site = host ? sites(host->host, host->port) : std::nullopt;
    if (host)
        lastHost = host->host;
    if (webArea.isNull() || !host || !site) {
        interrupted = webArea.isNull() || !host;
        sidebar = {};
        chatRuns.clear();
        return {};
    }

    const auto listInterval = chatRuns.isEmpty() ? 1500ms : 3000ms;
    if (!lastListScan || time - *lastListScan > listInterval) {
        lastListScan = time;
        scanList(*site);
    }

    if (sidebar.isNull())
        return {};
    const std::optional<QRect> sidebarFrame = sidebar.frame();
    if (!sidebarFrame || sidebarFrame->width() <= kNarrowestList) {
        interrupted = !sidebarFrame;
        sidebar = {};
        return {};
    }
    QRectF region = toRectF(*sidebarFrame);
    if (!clip.isNull()) {
        if (const std::optional<QRect> clipFrame = clip.frame())
            region = region.intersected(toRectF(*clipFrame));
    }

    ChatCover cover;
    QList<QRectF> extents;
    if (measures.size() != chatRuns.size())
        measures = QList<RunMeasure>(chatRuns.size());
    for (qsizetype r = 0; r < chatRuns.size(); ++r) {
        if (!measureRun(chatRuns[r], region, cover, extents, measures[r])) {
            // The page changed under us: find the links again soon.
            interrupted = true;
            chatRuns.clear();
            return {};
        }
    }
    // While the list scrolls, titles move into the space above the first
    // visible row, between runs and below the last: the blocks share the
    // whole visible list between them, so nothing moving is left bare.
    for (qsizetype i = 0; i < extents.size(); ++i) {
        const double top = i == 0 ? region.top() : extents[i].top();
        const double bottom = i + 1 < extents.size() ? extents[i + 1].top() : region.bottom();
        cover.blocks.append(QRectF(region.x(), top, region.width(), bottom - top).toAlignedRect());
    }
    return cover;
}

void ChatLocator::scanList(const BlurSite& site) {
    AXElement found = SidebarSearch{kSidebarBudget}.visit(webArea, 0, false);
    RunCollector collector{
        kSidebarRunBudget, std::nullopt, site.paths, &knownElements, {}, {}, false};
    if (found)
        collector.visit(found, 0);
    AXElement container = found;
    if (found.isNull() || collector.runs.isEmpty()) {
        collector.runs.clear();
        if (const std::optional<QRect> area = webArea.frame()) {
            // Without a landmark, chat links can only be told from links in
            // the conversation by where they are: the list is on the left.
            const double limit = area->x() + std::max(0.34 * area->width(), 440.0);
            RunCollector fallback{
                kFallbackRunBudget, limit, site.paths, &knownElements, {}, {}, false};
            fallback.visit(webArea, 0);
            collector.runs = fallback.runs;
            collector.seen.merge(fallback.seen);
            container = webArea;
            found = webArea;
        }
    }
    sidebar = found;
    chatRuns = collector.runs;
    measures.clear();
    // Only what this scan met is kept, so the map follows the page.
    knownElements.swap(collector.seen);
    clip = {};
    if (!sidebar.isNull() && !chatRuns.isEmpty() && !chatRuns.first().isEmpty())
        clip = scrollerAround(chatRuns.first().first(), container);
}

bool ChatLocator::measureRun(const QList<AXElement>& run, const QRectF& region, ChatCover& cover,
                             QList<QRectF>& extents, RunMeasure& last) {
    // Frames read while searching are kept for the rows that need them.
    QHash<qsizetype, QRectF> frames;
    auto frameAt = [&](qsizetype index) -> std::optional<QRectF> {
        if (const auto it = frames.constFind(index); it != frames.cend())
            return *it;
        const std::optional<QRect> frame = run[index].frame();
        if (!frame)
            return std::nullopt;
        frames.insert(index, toRectF(*frame));
        return toRectF(*frame);
    };

    QList<QRectF> rowFrames;
    std::optional<QRectF> after;
    // A resting list: the links keep their order and sizes, so when the
    // first and last visible ones and the one after have not moved, neither
    // has any between them.
    const qsizetype shown = last.frames.size();
    if (last.first >= 0 && last.region == region && last.first + shown <= run.size()) {
        bool moved = false;
        for (const qsizetype index : {last.first, last.first + shown - 1, last.first + shown}) {
            if (index < last.first || index >= run.size())
                continue;
            const std::optional<QRectF> frame = frameAt(index);
            if (!frame)
                return false;
            const std::optional<QRectF> before =
                index < last.first + shown ? std::optional<QRectF>(last.frames[index - last.first])
                                           : last.after;
            moved = moved || frame != before;
        }
        if (!moved) {
            rowFrames = last.frames;
            after = last.after;
        }
    }

    // The first link whose bottom edge is below the region's top.
    auto belowTop = [&](const QRectF& frame) { return frame.y() + frame.height() > region.y(); };
    const bool reused = !rowFrames.isEmpty() || (last.first >= 0 && shown == 0 && after);
    qsizetype low = reused ? last.first : 0;
    qsizetype high = reused ? last.first : run.size();
    const qsizetype firstVisible = last.first;
    if (!reused && firstVisible >= 0 && firstVisible < run.size()) {
        const std::optional<QRectF> hinted = frameAt(firstVisible);
        if (!hinted)
            return false;
        if (!belowTop(*hinted)) {
            low = firstVisible + 1;
        } else if (firstVisible == 0) {
            high = 0;
        } else {
            const std::optional<QRectF> before = frameAt(firstVisible - 1);
            if (!before)
                return false;
            if (belowTop(*before))
                high = firstVisible - 1;
            else
                low = high = firstVisible;
        }
    }
    while (low < high) {
        const qsizetype middle = low + (high - low) / 2;
        const std::optional<QRectF> frame = frameAt(middle);
        if (!frame)
            return false;
        if (belowTop(*frame))
            high = middle;
        else
            low = middle + 1;
    }
    if (!reused) {
        for (qsizetype i = low; i < run.size(); ++i) {
            const std::optional<QRectF> frame = frameAt(i);
            if (!frame)
                return false;
            if (frame->y() >= region.y() + region.height()) {
                after = frame;
                break;
            }
            rowFrames.append(*frame);
        }
    }
    last = RunMeasure{low, rowFrames, after, region};

    const double pitch = rowFrames.size() >= 2 ? rowFrames[1].y() - rowFrames[0].y() - 5
                                               : std::numeric_limits<double>::infinity();
    QRectF united;
    for (const QRectF& frame : rowFrames) {
        const double height = std::max(std::min(pitch, frame.height() + 8), 12.0);
        const QRectF band(frame.x() - 4, frame.center().y() - height / 2, frame.width() + 8,
                          height);
        const QRectF visible = band.intersected(region);
        // A row mostly scrolled away shows too little of its title to read.
        if (visible.isEmpty() || visible.height() <= 0.6 * height)
            continue;
        cover.rows.append(visible.toAlignedRect());
        united = united.isNull() ? visible : united.united(visible);
    }
    if (!united.isNull())
        extents.append(united);
    return true;
}
