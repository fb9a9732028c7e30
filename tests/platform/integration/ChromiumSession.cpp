#include "platform/integration/ChromiumSession.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <QTest>
#include <deque>

using namespace Qt::StringLiterals;

namespace {
// Breadth-first through the tree; pages in these tests are small.
AXElement findIn(const AXElement& root, const std::function<bool(const AXElement&)>& wanted,
                 int budget = 3000) {
    std::deque<AXElement> queue{root};
    while (!queue.empty() && budget-- > 0) {
        AXElement next = queue.front();
        queue.pop_front();
        if (wanted(next))
            return next;
        for (const AXElement& child : next.children().value_or(QList<AXElement>{}))
            queue.push_back(child);
    }
    return {};
}
} // namespace

ChromiumSession::ChromiumSession() = default;

ChromiumSession::~ChromiumSession() {
    if (process.state() != QProcess::NotRunning) {
        process.terminate();
        if (!process.waitForFinished(5000))
            process.kill();
        process.waitForFinished(5000);
    }
}

QString ChromiumSession::unavailableReason() {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return u"needs the desktop session of scripts/with-desktop"_s;
    if (QStandardPaths::findExecutable(u"chromium"_s).isEmpty())
        return u"Chromium is not installed (scripts/bootstrap installs it)"_s;
    return {};
}

bool ChromiumSession::open(const QUrl& url, const QStringList& extraArguments) {
    // Browsers build their trees when the session says accessibility is on.
    if (!a11y.isReachable() || !a11y.enable())
        return false;
    QStringList args{u"--no-sandbox"_s,
                     u"--force-renderer-accessibility"_s,
                     u"--no-first-run"_s,
                     u"--no-default-browser-check"_s,
                     u"--disable-gpu"_s,
                     u"--disable-background-networking"_s,
                     u"--disable-component-update"_s,
                     u"--disable-sync"_s,
                     u"--disable-features=Translate,MediaRouter"_s,
                     u"--password-store=basic"_s,
                     u"--user-data-dir="_s + profile.path(),
                     u"--window-position=0,0"_s,
                     u"--window-size=1400,900"_s};
    args += extraArguments;
    args.append(url.toString());
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(u"chromium"_s, args);
    if (!process.waitForStarted(10000))
        return false;
    // Ready once the page's web area carries the page's address.
    return QTest::qWaitFor(
        [&] {
            const AXElement app = application();
            if (!app)
                return false;
            const AXElement window = app.element(AX::focusedWindow);
            if (!window)
                return false;
            const AXElement web = findIn(
                window, [&](const AXElement& e) { return e.string(AX::role) == AX::webAreaRole; });
            return web && web.string(AX::url).value_or(QString()).startsWith(url.toString());
        },
        30000);
}

AXElement ChromiumSession::application() {
    return a11y.application(process.processId());
}

AXElement ChromiumSession::byDomId(const QString& id) {
    const AXElement app = application();
    const AXElement window = app ? app.element(AX::focusedWindow) : AXElement();
    if (!window)
        return {};
    return findIn(
        window, [&](const AXElement& e) { return e.string(AX::domIdentifier) == id; }, 20000);
}

bool ChromiumSession::click(const AXElement& element) {
    const auto frame = element.frame();
    if (!frame || frame->isEmpty())
        return false;
    const QPoint centre = frame->center();
    return QProcess::execute(u"xdotool"_s, {u"mousemove"_s, QString::number(centre.x()),
                                            QString::number(centre.y()), u"click"_s, u"1"_s}) == 0;
}

bool ChromiumSession::waitForFocus(const QString& domId, int timeoutMs) {
    return QTest::qWaitFor(
        [&] {
            const AXElement focused = application().element(AX::focusedUIElement);
            return focused && focused.string(AX::domIdentifier) == domId;
        },
        timeoutMs);
}
