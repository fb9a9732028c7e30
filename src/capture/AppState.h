#pragma once

#include "capture/ClipContent.h"
#include "capture/PanelMode.h"
#include "capture/SaveResult.h"
#include "capture/ScheduledTask.h"

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class Scheduler;
class UserDefaults;

// What the panel windows offer the keep flow: where the pointer is and a way
// to take the keyboard for typing a tag name.
class PanelHost {
public:
    virtual ~PanelHost() = default;
    virtual bool pointerIsOverPanel() const = 0;
    virtual void focusForTyping() = 0;
};

// The shared state of the notch panel and the keep flow: a copied clip opens
// the keep prompt, which closes itself after a while unless the pointer rests
// on it; keeping stores the clip (optionally under a tag) and flashes the
// result. Every operation runs on the main thread; every change of a field
// emits its signal and then changed().
class AppState : public QObject {
    Q_OBJECT
public:
    using SaveFunction =
        std::function<SaveResult(const ClipContent& clip, const std::optional<QString>& tag)>;

    AppState(Scheduler& scheduler, UserDefaults& defaults, SaveFunction save,
             QObject* parent = nullptr);
    ~AppState() override;

    // The process's state, saving into Store::shared().
    static AppState& shared();

    PanelMode mode() const { return currentMode; }
    const std::optional<ClipContent>& pendingClip() const { return pending; }
    const std::optional<QString>& flash() const { return flashText; }
    bool watcherEnabled() const { return watcherOn; }
    void setWatcherEnabled(bool enabled);
    bool dropOnNotchEnabled() const { return dropOn; }
    // Also written to the user default "dropOnNotch".
    void setDropOnNotchEnabled(bool enabled);
    bool namingTag() const { return naming; }
    const QString& newTagText() const { return tagText; }
    // Every edit while a tag name is typed gives the user another while.
    void setNewTagText(const QString& text);

    // The panels that show this state; none while there are no panels.
    void setPanelHost(PanelHost* host) { panelHost = host; }

    void showKeepPrompt(const ClipContent& clip);
    void setPromptHover(bool inside);
    void keep(const ClipContent& clip, const std::optional<QString>& tag);
    void beginNamingTag(const ClipContent& clip);
    void commitNewTag();
    void dismissPrompt();
    void showFlash(const QString& text);
    void dragEntered();
    void dragExited();
    void collapse();
    // Closes the panel and asks for the main window (see libraryRequested).
    void openLibrary();

    // The confirmation for a keep or a drop: "Saved" or "Already saved", with
    // " · Tag" when the kept item has a tag.
    static QString savedText(bool isNew, const std::optional<QString>& tag);
    // The flash for what a keep did: savedText when everything was stored;
    // "Not saved" when nothing was, "Not all saved" when part of it was.
    static QString resultText(const SaveResult& result);

    static constexpr int promptOpenMs = 3000;
    static constexpr int pointerLeftMs = 1500;
    static constexpr int hoverRecheckMs = 1500;
    static constexpr int namingTagMs = 10000;
    static constexpr int flashMs = 1200;
    static constexpr int dragExitGraceMs = 300;

Q_SIGNALS:
    void modeChanged(PanelMode mode);
    void pendingClipChanged();
    void flashChanged();
    void watcherEnabledChanged(bool enabled);
    void dropOnNotchEnabledChanged(bool enabled);
    void namingTagChanged(bool naming);
    void newTagTextChanged(const QString& text);
    // After any field above changed.
    void changed();
    // The main window should be shown, on the section it last had.
    void libraryRequested();

private:
    void scheduleAutoClose(int msecs);
    void autoCloseFired();
    void setMode(PanelMode mode);
    void setPending(std::optional<ClipContent> clip);
    void setFlash(std::optional<QString> text);
    void setNaming(bool on);
    void assignNewTagText(const QString& text);

    UserDefaults& defaults;
    SaveFunction save;
    PanelHost* panelHost = nullptr;

    PanelMode currentMode = PanelMode::collapsed;
    std::optional<ClipContent> pending;
    std::optional<QString> flashText;
    bool watcherOn = true;
    bool dropOn = false;
    bool naming = false;
    QString tagText;

    ScheduledTask promptTimer;
    ScheduledTask flashTimer;
    ScheduledTask dropExitTask;
};
