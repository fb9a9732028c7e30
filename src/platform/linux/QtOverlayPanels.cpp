#include "platform/linux/QtOverlayPanels.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>
#include <xcb/xcb.h>

namespace {
struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

xcb_connection_t* qtConnection() {
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t* c, const char* name, bool onlyIfExists) {
    std::unique_ptr<xcb_intern_atom_reply_t, FreeDeleter> reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, onlyIfExists ? 1 : 0, uint16_t(strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// Whether the window manager announces KDE's blur-behind.
bool windowManagerBlurs() {
    xcb_connection_t* c = qtConnection();
    if (!c)
        return false;
    const xcb_atom_t blur = atom(c, "_KDE_NET_WM_BLUR_BEHIND_REGION", true);
    if (blur == XCB_ATOM_NONE)
        return false;
    const xcb_atom_t supported = atom(c, "_NET_SUPPORTED", true);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    std::unique_ptr<xcb_get_property_reply_t, FreeDeleter> reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, root, supported, XCB_ATOM_ATOM, 0, 4096), nullptr));
    if (!reply)
        return false;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    const int n = xcb_get_property_value_length(reply.get()) / int(sizeof(xcb_atom_t));
    for (int i = 0; i < n; ++i) {
        if (atoms[i] == blur)
            return true;
    }
    return false;
}

class FrostedWindow final : public QWidget {
public:
    explicit FrostedWindow(bool blurBehind)
        : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                               Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput |
                               Qt::X11BypassWindowManagerHint),
          blurBehind(blurBehind) {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TranslucentBackground);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
    }

    void requestBlur() {
        xcb_connection_t* c = qtConnection();
        if (!blurBehind || !c)
            return;
        // An empty region asks the compositor to blur the whole window.
        const xcb_atom_t blur = atom(c, "_KDE_NET_WM_BLUR_BEHIND_REGION", false);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, xcb_window_t(winId()), blur,
                            XCB_ATOM_CARDINAL, 32, 0, nullptr);
        xcb_flush(c);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()), 6, 6);
        // Without a compositor blur the panel itself must hide what is
        // beneath: nearly opaque, with a lighter band so it reads as frosted
        // glass rather than a hole.
        const int alpha = blurBehind ? 150 : 246;
        p.fillPath(shape, QColor(44, 46, 52, alpha));
        QLinearGradient sheen(rect().topLeft(), rect().bottomLeft());
        sheen.setColorAt(0, QColor(255, 255, 255, 28));
        sheen.setColorAt(1, QColor(255, 255, 255, 6));
        p.fillPath(shape, sheen);
    }

private:
    bool blurBehind;
};

class QtOverlayPanel final : public OverlayPanel {
public:
    explicit QtOverlayPanel(bool blurBehind) : window(blurBehind) {}

    void setFrame(const QRect& frame) override {
        if (frame == current)
            return;
        current = frame;
        window.setGeometry(frame);
    }
    QRect frame() const override { return current; }
    void show() override {
        if (window.isVisible())
            return;
        window.show();
        window.requestBlur();
        window.raise();
    }
    void hide() override { window.hide(); }
    bool isVisible() const override { return window.isVisible(); }

private:
    FrostedWindow window;
    QRect current;
};
} // namespace

std::unique_ptr<OverlayPanel> QtOverlayPanels::makeFrostedPanel() {
    static const bool blurs = windowManagerBlurs();
    return std::make_unique<QtOverlayPanel>(blurs);
}
