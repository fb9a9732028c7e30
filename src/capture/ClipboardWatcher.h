#pragma once

#include "capture/ClipContent.h"

#include <QObject>
#include <QStringList>

class AppState;
class FrontmostApplication;
class Pasteboard;
class QMimeData;
class Scheduler;

// Notices copies made anywhere on the desktop by polling the clipboard's
// change count every 0.4 s, and offers each new clip through the keep prompt.
// Skips the application's own writes and anything marked secret or not to be
// recorded; for those, nothing but the type list (and the password managers'
// marker) is read.
class ClipboardWatcher : public QObject {
    Q_OBJECT
public:
    ClipboardWatcher(Pasteboard& pasteboard, FrontmostApplication& frontmost, Scheduler& scheduler,
                     AppState& state, QObject* parent = nullptr);

    // The process's watcher, on the platform's clipboard and AppState::shared().
    static ClipboardWatcher& shared();

    // Starts polling; whatever is on the clipboard now is never offered.
    void start();
    void tick();

    // The clip a clipboard holds now.
    static ClipContent snapshot(const Pasteboard& pasteboard);
    // Whether its content is marked as a secret or as not to be recorded.
    static bool isConcealed(const Pasteboard& pasteboard);

    // The application's own copy: remembers the change count, then clears
    // and writes the clipboard once, so the watcher does not offer it back.
    void writeOwn(QMimeData* data);

    int lastChangeCount = 0;
    // The change count read just before the application's own write; -1 when none.
    int suppressedChangeCount = -1;

    static constexpr int intervalMs = 400;
    static inline const QStringList concealedTypes{
        QStringLiteral("org.nspasteboard.ConcealedType"),
        QStringLiteral("org.nspasteboard.TransientType")};
    static inline const QString passwordManagerHintType =
        QStringLiteral("x-kde-passwordManagerHint");

private:
    void scheduleTick();

    Pasteboard& pasteboard;
    FrontmostApplication& frontmost;
    Scheduler& scheduler;
    AppState& state;
    bool started = false;
};
