#include "capture/ui/NotchPanel.h"

#include "capture/AppState.h"
#include "capture/NotchGeometry.h"
#include "capture/ui/PanelView.h"

#include <QKeyEvent>
#include <QPainterPath>
#include <QVBoxLayout>
#include <QWindow>

namespace {
// Outside the window manager's care, as on-screen displays are: a managed
// window is mapped when the manager gets to it, and openbox, busy with a
// browser, took longer than the flash is shown. Focus for naming a tag is
// given directly.
constexpr Qt::WindowFlags panelFlags = Qt::Tool | Qt::FramelessWindowHint |
                                       Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus |
                                       Qt::NoDropShadowWindowHint |
                                       Qt::X11BypassWindowManagerHint;
}

NotchPanel::NotchPanel(AppState& state, PanelView* view)
    : QWidget(nullptr, panelFlags), state(state), content(view) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_X11DoNotAcceptFocus);
    setFocusPolicy(Qt::NoFocus);
    setWindowTitle(QStringLiteral("lumavex panel"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
    connect(&state, &AppState::modeChanged, this, &NotchPanel::updateMask);
}

void NotchPanel::setAcceptsFocus(bool accepts) {
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(Qt::WindowDoesNotAcceptFocus, !accepts);
    setAttribute(Qt::WA_X11DoNotAcceptFocus, !accepts);
    // QWidget::setWindowFlags would re-create and hide the window; the
    // platform window takes the change in place.
    overrideWindowFlags(flags);
    if (QWindow* window = windowHandle())
        window->setFlags(flags);
}

bool NotchPanel::acceptsFocus() const {
    return !windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus);
}

void NotchPanel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        state.collapse();
        return;
    }
    QWidget::keyPressEvent(event);
}

void NotchPanel::changeEvent(QEvent* event) {
    // Clicking into another application while a tag name is typed gives up.
    if (event->type() == QEvent::ActivationChange && !isActiveWindow() && state.namingTag())
        state.dismissPrompt();
    QWidget::changeEvent(event);
}

void NotchPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    updateMask();
}

void NotchPanel::updateMask() {
    // The collapsed panel is an invisible drop target the size of its frame;
    // once open, the window takes the shape of the panel so that the round
    // corners are see-through even without a compositor.
    if (state.mode() == PanelMode::collapsed && height() <= NotchGeometry::baseSize.height()) {
        clearMask();
        return;
    }
    setMask(QRegion(PanelView::shape(rect()).toFillPolygon().toPolygon()));
}
