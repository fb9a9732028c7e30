#include "platform/linux/XcbDesktopInput.h"

#include <QHash>
#include <QSocketNotifier>
#include <QVector>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <xcb/xcb.h>
#include <xcb/xinput.h>
#include <xcb/xtest.h>

namespace {
struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

constexpr int kMaxSpareKeycodes = 48;
// How long applications are given to take in a changed keyboard map.
constexpr std::chrono::milliseconds kSettle{60};

// The keysym X11 gives a Unicode code point: Latin-1 keeps its code, line
// ends and tabs are keys of their own, anything else is 0x1000000 + code.
uint32_t keysymFor(uint cp) {
    if (cp == '\n' || cp == '\r')
        return 0xff0d; // Return
    if (cp == '\t')
        return 0xff09; // Tab
    if ((cp >= 0x20 && cp <= 0x7e) || (cp >= 0xa0 && cp <= 0xff))
        return uint32_t(cp);
    return 0x01000000u | uint32_t(cp);
}

// Waits until the server has handled everything sent so far.
void sync(xcb_connection_t* c) {
    Reply<xcb_get_input_focus_reply_t>(
        xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

xcb_connection_t* openDisplay(unsigned int* root) {
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return nullptr;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    if (!screens.rem) {
        xcb_disconnect(c);
        return nullptr;
    }
    *root = screens.data->root;
    return c;
}
} // namespace

XcbKeyboardTyper::~XcbKeyboardTyper() {
    if (connection) {
        giveBack();
        xcb_disconnect(connection);
    }
}

void XcbKeyboardTyper::giveBack() {
    for (const auto& [keycode, keysyms] : borrowed)
        xcb_change_keyboard_mapping(connection, 1, keycode, uint8_t(keysyms.size()),
                                    keysyms.data());
    if (!borrowed.empty())
        sync(connection);
    borrowed.clear();
}

bool XcbKeyboardTyper::connect() {
    if (connection && !xcb_connection_has_error(connection))
        return true;
    if (connection) {
        xcb_disconnect(connection);
        connection = nullptr;
    }
    if (failed)
        return false;
    connection = openDisplay(&root);
    if (!connection) {
        failed = true;
        return false;
    }
    const Reply<xcb_test_get_version_reply_t> version(
        xcb_test_get_version_reply(connection, xcb_test_get_version(connection, 2, 2), nullptr));
    if (!version) {
        xcb_disconnect(connection);
        connection = nullptr;
        failed = true;
        return false;
    }
    return true;
}

bool XcbKeyboardTyper::type(const QString& text) {
    const std::lock_guard guard(lock);
    if (!connect())
        return false;
    giveBack();
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const xcb_keycode_t first = setup->min_keycode;
    const int count = setup->max_keycode - setup->min_keycode + 1;
    const Reply<xcb_get_keyboard_mapping_reply_t> mapping(xcb_get_keyboard_mapping_reply(
        connection, xcb_get_keyboard_mapping(connection, first, uint8_t(count)), nullptr));
    if (!mapping || mapping->keysyms_per_keycode == 0)
        return false;
    const int perKey = mapping->keysyms_per_keycode;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(mapping.get());

    // Keycodes with nothing on them, from the top where layouts leave gaps;
    // failing that the last keycode is borrowed and given back after.
    QVector<xcb_keycode_t> spares;
    for (int k = count - 1; k >= 0 && spares.size() < kMaxSpareKeycodes; --k) {
        bool empty = true;
        for (int s = 0; s < perKey && empty; ++s)
            empty = syms[k * perKey + s] == 0;
        if (empty)
            spares.append(xcb_keycode_t(first + k));
    }
    if (spares.isEmpty())
        spares.append(xcb_keycode_t(first + count - 1));
    const auto originalOf = [&](xcb_keycode_t keycode) {
        const int k = keycode - first;
        return QVector<xcb_keysym_t>(syms + k * perKey, syms + (k + 1) * perKey);
    };
    const auto remap = [&](xcb_keycode_t keycode, const QVector<xcb_keysym_t>& keysyms) {
        xcb_change_keyboard_mapping(connection, 1, keycode, uint8_t(perKey), keysyms.constData());
    };

    // Applications read a changed keyboard map a moment after they hear of
    // it, so the text goes in chunks: as many distinct characters as there
    // are spare keycodes are mapped at once, the applications are given time
    // to take the map in, the chunk is typed, and they are given time again
    // to handle its keys before the next map replaces it.
    // Whole code points: Chromium drops characters beyond the Basic
    // Multilingual Plane (emoji) whatever keysym carries them, even as
    // surrogate pairs; toolkits built on xkbcommon or GTK take them.
    QList<uint32_t> characters;
    for (const uint cp : text.toUcs4())
        characters.append(keysymFor(cp));
    bool ok = true;
    qsizetype next = 0;
    while (ok && next < characters.size()) {
        QHash<uint32_t, xcb_keycode_t> chunk;
        qsizetype end = next;
        while (end < characters.size()) {
            const uint32_t keysym = characters[end];
            if (!chunk.contains(keysym)) {
                if (chunk.size() == spares.size())
                    break;
                chunk.insert(keysym, spares[chunk.size()]);
            }
            ++end;
        }
        for (auto it = chunk.cbegin(); it != chunk.cend(); ++it)
            remap(it.value(), QVector<xcb_keysym_t>(perKey, it.key()));
        sync(connection);
        std::this_thread::sleep_for(kSettle);
        for (qsizetype i = next; i < end && ok; ++i) {
            const xcb_keycode_t keycode = chunk.value(characters[i]);
            const xcb_void_cookie_t down = xcb_test_fake_input_checked(
                connection, XCB_KEY_PRESS, keycode, XCB_CURRENT_TIME, root, 0, 0, 0);
            const xcb_void_cookie_t up = xcb_test_fake_input_checked(
                connection, XCB_KEY_RELEASE, keycode, XCB_CURRENT_TIME, root, 0, 0, 0);
            xcb_generic_error_t* e1 = xcb_request_check(connection, down);
            xcb_generic_error_t* e2 = xcb_request_check(connection, up);
            ok = !e1 && !e2;
            std::free(e1);
            std::free(e2);
        }
        sync(connection);
        // The next chunk maps the same keycodes anew: this one's keys must
        // have been read first.
        if (end < characters.size())
            std::this_thread::sleep_for(kSettle * 2);
        next = end;
    }
    for (const xcb_keycode_t keycode : spares) {
        const QVector<xcb_keysym_t> original = originalOf(keycode);
        borrowed.emplace_back(keycode, std::vector<uint32_t>(original.begin(), original.end()));
    }
    return ok && !xcb_connection_has_error(connection);
}

XcbPointerMonitor::XcbPointerMonitor() = default;

XcbPointerMonitor::~XcbPointerMonitor() {
    stopWheelMonitor();
    if (queryConnection)
        xcb_disconnect(queryConnection);
}

std::optional<QPoint> XcbPointerMonitor::position() {
    const std::lock_guard guard(lock);
    if (queryConnection && xcb_connection_has_error(queryConnection)) {
        xcb_disconnect(queryConnection);
        queryConnection = nullptr;
    }
    if (!queryConnection)
        queryConnection = openDisplay(&queryRoot);
    if (!queryConnection)
        return std::nullopt;
    const Reply<xcb_query_pointer_reply_t> reply(xcb_query_pointer_reply(
        queryConnection, xcb_query_pointer(queryConnection, queryRoot), nullptr));
    if (!reply)
        return std::nullopt;
    return QPoint(reply->root_x, reply->root_y);
}

bool XcbPointerMonitor::startWheelMonitor(std::function<void()> onWheel) {
    stopWheelMonitor();
    unsigned int root = 0;
    wheelConnection = openDisplay(&root);
    if (!wheelConnection)
        return false;
    const xcb_query_extension_reply_t* xi = xcb_get_extension_data(wheelConnection, &xcb_input_id);
    const Reply<xcb_input_xi_query_version_reply_t> version(xcb_input_xi_query_version_reply(
        wheelConnection, xcb_input_xi_query_version(wheelConnection, 2, 0), nullptr));
    if (!xi || !xi->present || !version || version->major_version < 2) {
        xcb_disconnect(wheelConnection);
        wheelConnection = nullptr;
        return false;
    }
    xinputOpcode = xi->major_opcode;
    struct {
        xcb_input_event_mask_t head;
        uint32_t mask;
    } mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS};
    xcb_input_xi_select_events(wheelConnection, root, 1, &mask.head);
    xcb_flush(wheelConnection);
    handler = std::move(onWheel);
    notifier = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(wheelConnection),
                                                 QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, notifier.get(),
                     [this] { drain(); });
    return true;
}

void XcbPointerMonitor::drain() {
    if (!wheelConnection)
        return;
    if (xcb_connection_has_error(wheelConnection)) {
        stopWheelMonitor();
        return;
    }
    int steps = 0;
    while (xcb_generic_event_t* event = xcb_poll_for_event(wheelConnection)) {
        if ((event->response_type & 0x7f) == XCB_GE_GENERIC) {
            const auto* generic = reinterpret_cast<xcb_ge_generic_event_t*>(event);
            if (generic->extension == xinputOpcode &&
                generic->event_type == XCB_INPUT_RAW_BUTTON_PRESS) {
                const auto* raw = reinterpret_cast<xcb_input_raw_button_press_event_t*>(event);
                // Buttons 4–7 are the wheel's four directions.
                if (raw->detail >= 4 && raw->detail <= 7)
                    steps++;
            }
        }
        std::free(event);
    }
    if (steps > 0 && handler)
        handler();
}

void XcbPointerMonitor::stopWheelMonitor() {
    notifier.reset();
    handler = nullptr;
    if (wheelConnection) {
        xcb_disconnect(wheelConnection);
        wheelConnection = nullptr;
    }
}
