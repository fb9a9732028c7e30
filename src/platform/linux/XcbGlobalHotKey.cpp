#include "platform/linux/XcbGlobalHotKey.h"

#include <QGuiApplication>
#include <QMetaObject>
#include <QtGui/qguiapplication_platform.h>
#include <cstdlib>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

namespace {

constexpr xcb_keysym_t spaceKeysym = 0x0020; // XK_space
constexpr std::uint16_t altMask = XCB_MOD_MASK_1;
constexpr std::uint16_t lockMasks[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                       XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};

xcb_connection_t* connection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t rootWindow(xcb_connection_t* c) {
    const xcb_setup_t* setup = xcb_get_setup(c);
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(setup);
    return it.data ? it.data->root : XCB_NONE;
}

} // namespace

XcbGlobalHotKey::~XcbGlobalHotKey() {
    if (installed && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool XcbGlobalHotKey::registerAltSpace(std::function<void()> pressed) {
    xcb_connection_t* c = connection();
    if (!c || !keycodes.empty())
        return false;
    const xcb_window_t root = rootWindow(c);
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(c);
    if (!symbols)
        return false;
    xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, spaceKeysym);
    xcb_key_symbols_free(symbols);
    if (!codes)
        return false;

    bool refused = false;
    for (xcb_keycode_t* code = codes; *code != XCB_NO_SYMBOL; ++code) {
        for (std::uint16_t locks : lockMasks) {
            xcb_void_cookie_t cookie = xcb_grab_key_checked(
                c, 1, root, altMask | locks, *code, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
            // BadAccess: another client (often the window manager) holds it.
            if (xcb_generic_error_t* error = xcb_request_check(c, cookie)) {
                refused = true;
                std::free(error);
            }
        }
        keycodes.push_back(*code);
    }
    std::free(codes);
    xcb_flush(c);
    if (keycodes.empty() || refused) {
        for (std::uint8_t code : keycodes) {
            for (std::uint16_t locks : lockMasks)
                xcb_ungrab_key(c, code, root, altMask | locks);
        }
        xcb_flush(c);
        keycodes.clear();
        return false;
    }
    onPressed = std::move(pressed);
    QCoreApplication::instance()->installNativeEventFilter(this);
    installed = true;
    return true;
}

bool XcbGlobalHotKey::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t" || !onPressed)
        return false;
    auto* event = static_cast<xcb_generic_event_t*>(message);
    if ((event->response_type & ~0x80) != XCB_KEY_PRESS)
        return false;
    auto* key = reinterpret_cast<xcb_key_press_event_t*>(event);
    bool ours = false;
    for (std::uint8_t code : keycodes)
        ours = ours || code == key->detail;
    if (!ours || !(key->state & altMask))
        return false;
    // Never act inside the event dispatch: queue the work on the main thread.
    QMetaObject::invokeMethod(QCoreApplication::instance(), onPressed, Qt::QueuedConnection);
    return true;
}
