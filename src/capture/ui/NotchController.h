#pragma once

#include "capture/AppState.h"
#include "capture/PanelMode.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <memory>
#include <vector>

class Categorizer;
class FrontmostApplication;
class NotchPanel;
class QPropertyAnimation;
class QScreen;
class Scheduler;
class Store;

// Puts one panel at the top centre of every screen and sizes it with the
// panel's mode: off screen (or a small invisible drop target while drops are
// on) when collapsed, larger for the drop zone and the keep prompt. The
// panels are made anew whenever the screens change.
class NotchController : public QObject, public PanelHost {
    Q_OBJECT
public:
    NotchController(AppState& state, Store& store, const Categorizer& categorizer,
                    Scheduler& scheduler, FrontmostApplication& frontmost,
                    QObject* parent = nullptr);
    ~NotchController() override;

    // The process's controller, on AppState::shared() and Store::shared().
    static NotchController& shared();

    // Makes the panels and follows the state and the screens from now on.
    void setUp();
    void rebuildPanels();
    void apply(PanelMode mode, bool animated);

    bool pointerIsOverPanel() const override;
    void focusForTyping() override;

    QList<NotchPanel*> panels() const;
    QList<QScreen*> panelScreens() const;

    static constexpr int animationMs = 220;

private:
    struct Slot {
        std::unique_ptr<NotchPanel> panel;
        QPointer<QScreen> screen;
        QPropertyAnimation* animation = nullptr;
    };
    void animate(Slot& slot, const QRect& target, bool hideAtEnd);
    void scheduleRebuild();

    AppState& state;
    Store& store;
    const Categorizer& categorizer;
    Scheduler& scheduler;
    FrontmostApplication& frontmost;
    std::vector<Slot> panelSlots;
    std::unique_ptr<QObject> screenWatch;
    bool rebuildPending = false;
    bool isSetUp = false;
};
