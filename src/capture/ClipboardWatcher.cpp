#include "capture/ClipboardWatcher.h"

#include "capture/AppState.h"
#include "common/SharedInstance.h"
#include "platform/FrontmostApplication.h"
#include "platform/Pasteboard.h"
#include "platform/Platform.h"
#include "platform/Scheduler.h"

using namespace Qt::StringLiterals;

ClipboardWatcher::ClipboardWatcher(Pasteboard& pasteboard, FrontmostApplication& frontmost,
                                   Scheduler& scheduler, AppState& state, QObject* parent)
    : QObject(parent), lastChangeCount(pasteboard.changeCount()), pasteboard(pasteboard),
      frontmost(frontmost), scheduler(scheduler), state(state) {}

ClipboardWatcher& ClipboardWatcher::shared() {
    return SharedInstance<ClipboardWatcher>::get();
}

void ClipboardWatcher::start() {
    lastChangeCount = pasteboard.changeCount();
    if (started)
        return;
    started = true;
    scheduleTick();
}

void ClipboardWatcher::scheduleTick() {
    scheduler.singleShot(intervalMs, this, [this] {
        tick();
        scheduleTick();
    });
}

void ClipboardWatcher::tick() {
    // While switched off the count is not even read, so the latest copy is
    // still new when the watcher comes back on.
    if (!state.watcherEnabled())
        return;
    const int count = pasteboard.changeCount();
    if (count == lastChangeCount)
        return;
    lastChangeCount = count;
    if (suppressedChangeCount >= 0 &&
        (count == suppressedChangeCount || count == suppressedChangeCount + 1))
        return;
    if (isConcealed(pasteboard))
        return;
    ClipContent clip = snapshot(pasteboard);
    if (clip.isEmpty())
        return;
    clip.sourceApp = frontmost.displayName();
    AppState* target = &state;
    scheduler.singleShot(0, target, [target, clip] { target->showKeepPrompt(clip); });
}

bool ClipboardWatcher::isConcealed(const Pasteboard& pasteboard) {
    const QStringList types = pasteboard.types();
    for (const QString& type : types) {
        if (concealedTypes.contains(type))
            return true;
    }
    // Password managers on Linux mark what they copy with this type; only its
    // own bytes are read to learn whether it is a secret.
    return types.contains(passwordManagerHintType) &&
           pasteboard.data(passwordManagerHintType).trimmed() == "secret";
}

ClipContent ClipboardWatcher::snapshot(const Pasteboard& pasteboard) {
    const std::optional<QString> text = pasteboard.plainText();
    const ClipContent withoutImage = ClipContent::fromClipboard(pasteboard.fileURLs(), text, {});
    // A lone web address is the whole clip; the image is not even read.
    if (withoutImage.url)
        return withoutImage;
    return ClipContent::fromClipboard(withoutImage.fileURLs, text, pasteboard.image());
}

void ClipboardWatcher::writeOwn(QMimeData* data) {
    suppressedChangeCount = pasteboard.changeCount();
    pasteboard.write(data);
}
