#include "capture/ui/NotchDropDelegate.h"

#include "capture/AppState.h"
#include "capture/NotchDrop.h"
#include "platform/FrontmostApplication.h"
#include "platform/Scheduler.h"
#include "store/Store.h"

#include <QMimeData>

NotchDropDelegate::NotchDropDelegate(AppState& state, Store& store, Scheduler& scheduler,
                                     FrontmostApplication& frontmost)
    : state(state), store(store), scheduler(scheduler), frontmost(frontmost) {}

bool NotchDropDelegate::validateDrop() const {
    return state.dropOnNotchEnabled();
}

void NotchDropDelegate::dropEntered() {
    state.dragEntered();
}

void NotchDropDelegate::dropExited() {
    state.dragExited();
}

bool NotchDropDelegate::performDrop(const QMimeData& data) {
    if (!NotchDrop::carriesAcceptedType(data)) {
        state.collapse();
        return false;
    }
    const std::optional<QString> source = frontmost.displayName();
    // The drag's data is only readable during the drop itself.
    const DroppedContent content = NotchDrop::read(data);
    AppState* target = &state;
    Store* into = &store;
    scheduler.singleShot(0, target, [target, into, content, source] {
        if (const std::optional<QString> text = NotchDrop::save(*into, content, source))
            target->showFlash(*text);
        else
            target->collapse();
    });
    return true;
}
