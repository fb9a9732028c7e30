#include "capture/AppState.h"

#include "common/SharedInstance.h"
#include "platform/DefaultsKeys.h"
#include "platform/Platform.h"
#include "platform/UserDefaults.h"
#include "store/TagName.h"

using namespace Qt::StringLiterals;

AppState::AppState(Scheduler& scheduler, UserDefaults& defaults, SaveFunction save, QObject* parent)
    : QObject(parent), defaults(defaults), save(std::move(save)),
      dropOn(defaults.boolValue(DefaultsKeys::dropOnNotch)), promptTimer(scheduler, this),
      flashTimer(scheduler, this), dropExitTask(scheduler, this) {}

AppState::~AppState() = default;

AppState& AppState::shared() {
    return SharedInstance<AppState>::get();
}

QString AppState::savedText(bool isNew, const std::optional<QString>& tag) {
    QString text = isNew ? u"Saved"_s : u"Already saved"_s;
    if (tag)
        text += u" · "_s + *tag;
    return text;
}

QString AppState::resultText(const SaveResult& result) {
    if (result.stored())
        return savedText(result.isNew, result.tag);
    return result.ids.isEmpty() ? u"Not saved"_s : u"Not all saved"_s;
}

// --- published fields -------------------------------------------------------

namespace {
// Stores value in field; true when that changed it.
template <typename T> bool update(T& field, T value) {
    if (field == value)
        return false;
    field = std::move(value);
    return true;
}
} // namespace

void AppState::setMode(PanelMode mode) {
    if (update(currentMode, mode)) {
        Q_EMIT modeChanged(mode);
        Q_EMIT changed();
    }
}

void AppState::setPending(std::optional<ClipContent> clip) {
    if (update(pending, std::move(clip))) {
        Q_EMIT pendingClipChanged();
        Q_EMIT changed();
    }
}

void AppState::setFlash(std::optional<QString> text) {
    if (update(flashText, std::move(text))) {
        Q_EMIT flashChanged();
        Q_EMIT changed();
    }
}

void AppState::setNaming(bool on) {
    if (update(naming, on)) {
        Q_EMIT namingTagChanged(on);
        Q_EMIT changed();
    }
}

void AppState::assignNewTagText(const QString& text) {
    if (update(tagText, text)) {
        Q_EMIT newTagTextChanged(text);
        Q_EMIT changed();
    }
}

void AppState::setWatcherEnabled(bool enabled) {
    if (update(watcherOn, enabled)) {
        Q_EMIT watcherEnabledChanged(enabled);
        Q_EMIT changed();
    }
}

void AppState::setDropOnNotchEnabled(bool enabled) {
    defaults.set(DefaultsKeys::dropOnNotch, enabled);
    if (update(dropOn, enabled)) {
        Q_EMIT dropOnNotchEnabledChanged(enabled);
        Q_EMIT changed();
    }
}

void AppState::setNewTagText(const QString& text) {
    if (text == tagText)
        return;
    assignNewTagText(text);
    if (naming)
        scheduleAutoClose(namingTagMs);
}

// --- keep flow ----------------------------------------------------------------

void AppState::scheduleAutoClose(int msecs) {
    promptTimer.start(msecs, [this] { autoCloseFired(); });
}

void AppState::autoCloseFired() {
    if (currentMode != PanelMode::keepPrompt)
        return;
    // A flash closes the panel through its own timer.
    if (flashText)
        return;
    if (naming) {
        dismissPrompt();
        return;
    }
    if (panelHost && panelHost->pointerIsOverPanel())
        scheduleAutoClose(hoverRecheckMs);
    else
        dismissPrompt();
}

void AppState::showKeepPrompt(const ClipContent& clip) {
    // One question at a time: a copy made while the panel is busy is not offered.
    if (currentMode != PanelMode::collapsed)
        return;
    setPending(clip);
    setMode(PanelMode::keepPrompt);
    scheduleAutoClose(promptOpenMs);
}

void AppState::setPromptHover(bool inside) {
    if (inside || currentMode != PanelMode::keepPrompt || !pending || flashText || naming)
        return;
    scheduleAutoClose(pointerLeftMs);
}

void AppState::keep(const ClipContent& clip, const std::optional<QString>& tag) {
    promptTimer.cancel();
    const SaveResult result = save(clip, tag);
    setPending(std::nullopt);
    setNaming(false);
    assignNewTagText(QString());
    showFlash(resultText(result));
}

void AppState::showFlash(const QString& text) {
    setFlash(text);
    setMode(PanelMode::keepPrompt);
    flashTimer.start(flashMs, [this] {
        setFlash(std::nullopt);
        if (currentMode == PanelMode::keepPrompt)
            setMode(PanelMode::collapsed);
    });
}

void AppState::beginNamingTag(const ClipContent& clip) {
    promptTimer.cancel();
    flashTimer.cancel();
    setFlash(std::nullopt);
    setPending(clip);
    assignNewTagText(QString());
    setNaming(true);
    setMode(PanelMode::keepPrompt);
    if (panelHost)
        panelHost->focusForTyping();
    scheduleAutoClose(namingTagMs);
}

void AppState::commitNewTag() {
    if (!pending)
        return;
    const ClipContent clip = *pending;
    keep(clip, TagName::clean(tagText));
}

void AppState::dismissPrompt() {
    promptTimer.cancel();
    setPending(std::nullopt);
    setNaming(false);
    assignNewTagText(QString());
    if (currentMode == PanelMode::keepPrompt)
        setMode(PanelMode::collapsed);
}

void AppState::dragEntered() {
    if (!dropOn)
        return;
    dropExitTask.cancel();
    promptTimer.cancel();
    setPending(std::nullopt);
    setNaming(false);
    setMode(PanelMode::dropHover);
}

void AppState::dragExited() {
    dropExitTask.start(dragExitGraceMs, [this] {
        if (currentMode == PanelMode::dropHover)
            setMode(PanelMode::collapsed);
    });
}

void AppState::collapse() {
    promptTimer.cancel();
    // The flash is gone with the panel; its timer must not later close a
    // prompt that opened in the meantime.
    flashTimer.cancel();
    setPending(std::nullopt);
    setNaming(false);
    setFlash(std::nullopt);
    setMode(PanelMode::collapsed);
}

void AppState::openLibrary() {
    collapse();
    Q_EMIT libraryRequested();
}
