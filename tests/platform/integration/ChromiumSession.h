#pragma once

#include "platform/Accessibility.h"
#include "platform/linux/AtspiAccessibility.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

// Chromium in the test's desktop session with its accessibility tree on: the
// accessibility bus started and switched on, a throw-away profile, no
// first-run pages, no network beyond the test's own servers.
class ChromiumSession {
public:
    ChromiumSession();
    ~ChromiumSession();

    // Empty when Chromium or the accessibility bus is missing.
    static QString unavailableReason();

    // Starts Chromium on url and waits until its tree shows the page.
    bool open(const QUrl& url, const QStringList& extraArguments = {});
    qint64 pid() const { return process.processId(); }
    AtspiAccessibility& accessibility() { return a11y; }
    AXElement application();
    // The element whose DOM id is id, searched in the page (null when none).
    AXElement byDomId(const QString& id);
    // Clicks the element's centre with the real pointer.
    bool click(const AXElement& element);
    // Whether the element has the keyboard focus (by its DOM id).
    bool waitForFocus(const QString& domId, int timeoutMs = 10000);

private:
    QTemporaryDir profile;
    QProcess process;
    AtspiAccessibility a11y;
};
