#include "capture/ui/NotchController.h"

#include "capture/NotchGeometry.h"
#include "capture/ui/NotchPanel.h"
#include "capture/ui/PanelView.h"
#include "common/SharedInstance.h"
#include "organise/Categorizer.h"
#include "platform/Platform.h"
#include "platform/Scheduler.h"
#include "store/Store.h"

#include <QApplication>
#include <QCursor>
#include <QPropertyAnimation>
#include <QScreen>

NotchController::NotchController(AppState& state, Store& store, const Categorizer& categorizer,
                                 Scheduler& scheduler, FrontmostApplication& frontmost,
                                 QObject* parent)
    : QObject(parent), state(state), store(store), categorizer(categorizer), scheduler(scheduler),
      frontmost(frontmost) {}

NotchController::~NotchController() {
    if (isSetUp)
        state.setPanelHost(nullptr);
}

NotchController& NotchController::shared() {
    return SharedInstance<NotchController>::get();
}

void NotchController::setUp() {
    if (isSetUp)
        return;
    isSetUp = true;
    state.setPanelHost(this);
    rebuildPanels();
    connect(&state, &AppState::modeChanged, this, [this](PanelMode mode) { apply(mode, true); });
    connect(&state, &AppState::dropOnNotchEnabledChanged, this,
            [this] { apply(state.mode(), false); });
    connect(&state, &AppState::namingTagChanged, this, [this](bool naming) {
        // Typing is over: the panels go back to leaving the keyboard alone.
        if (!naming) {
            for (Slot& slot : panelSlots)
                slot.panel->setAcceptsFocus(false);
        }
    });
    connect(qApp, &QGuiApplication::screenAdded, this, &NotchController::scheduleRebuild);
    connect(qApp, &QGuiApplication::screenRemoved, this, &NotchController::scheduleRebuild);
    connect(qApp, &QGuiApplication::primaryScreenChanged, this, &NotchController::scheduleRebuild);
}

void NotchController::scheduleRebuild() {
    // Screens arrive and leave in bursts; build once when they have settled.
    if (rebuildPending)
        return;
    rebuildPending = true;
    scheduler.singleShot(0, this, [this] {
        rebuildPending = false;
        rebuildPanels();
    });
}

void NotchController::rebuildPanels() {
    for (Slot& slot : panelSlots)
        slot.panel->hide();
    panelSlots.clear();

    screenWatch = std::make_unique<QObject>();
    for (QScreen* screen : QGuiApplication::screens()) {
        auto* view = new PanelView(state, store, categorizer, scheduler, frontmost);
        Slot slot;
        slot.panel = std::make_unique<NotchPanel>(state, view);
        slot.screen = screen;
        slot.animation = new QPropertyAnimation(slot.panel.get(), "geometry", slot.panel.get());
        slot.animation->setDuration(animationMs);
        slot.animation->setEasingCurve(QEasingCurve::OutCubic);
        panelSlots.push_back(std::move(slot));
        connect(screen, &QScreen::geometryChanged, screenWatch.get(),
                [this] { scheduleRebuild(); });
    }
    apply(state.mode(), false);
}

void NotchController::animate(Slot& slot, const QRect& target, bool hideAtEnd) {
    QPropertyAnimation* animation = slot.animation;
    animation->stop();
    QObject::disconnect(animation, &QPropertyAnimation::finished, nullptr, nullptr);
    animation->setStartValue(slot.panel->geometry());
    animation->setEndValue(target);
    if (hideAtEnd) {
        NotchPanel* panel = slot.panel.get();
        connect(animation, &QPropertyAnimation::finished, panel, [this, panel] {
            if (state.mode() == PanelMode::collapsed && !state.dropOnNotchEnabled())
                panel->hide();
        });
    }
    animation->start();
}

void NotchController::apply(PanelMode mode, bool animated) {
    const bool hidden = mode == PanelMode::collapsed && !state.dropOnNotchEnabled();
    for (Slot& slot : panelSlots) {
        if (!slot.screen)
            continue;
        NotchPanel* panel = slot.panel.get();
        const QRect screenFrame = slot.screen->geometry();
        const QRect target = NotchGeometry::frame(screenFrame, mode);
        if (hidden) {
            if (!panel->isVisible())
                continue;
            if (animated) {
                animate(slot, target, true);
            } else {
                slot.animation->stop();
                panel->hide();
            }
            continue;
        }
        if (!panel->isVisible()) {
            slot.animation->stop();
            panel->setGeometry(NotchGeometry::frame(screenFrame, PanelMode::collapsed));
            panel->show();
        }
        panel->raise();
        if (animated) {
            animate(slot, target, false);
        } else {
            slot.animation->stop();
            panel->setGeometry(target);
        }
    }
}

bool NotchController::pointerIsOverPanel() const {
    const QPoint pointer = QCursor::pos();
    for (const Slot& slot : panelSlots) {
        if (slot.panel->isVisible() && slot.panel->geometry().contains(pointer))
            return true;
    }
    // The tag menu opens below the panel; while it is open the user is
    // still busy with the prompt.
    if (QWidget* popup = QApplication::activePopupWidget()) {
        for (QObject* owner = popup; owner; owner = owner->parent()) {
            for (const Slot& slot : panelSlots) {
                if (owner == slot.panel.get())
                    return true;
            }
        }
    }
    return false;
}

void NotchController::focusForTyping() {
    if (panelSlots.empty())
        return;
    const QPoint pointer = QCursor::pos();
    Slot* chosen = &panelSlots.front();
    for (Slot& slot : panelSlots) {
        if (slot.screen && slot.screen->geometry().contains(pointer)) {
            chosen = &slot;
            break;
        }
    }
    NotchPanel* panel = chosen->panel.get();
    panel->setAcceptsFocus(true);
    if (!panel->isVisible())
        panel->show();
    panel->raise();
    panel->activateWindow();
}

QList<NotchPanel*> NotchController::panels() const {
    QList<NotchPanel*> list;
    for (const Slot& slot : panelSlots)
        list.append(slot.panel.get());
    return list;
}

QList<QScreen*> NotchController::panelScreens() const {
    QList<QScreen*> list;
    for (const Slot& slot : panelSlots)
        list.append(slot.screen);
    return list;
}
