// tovik_launch_timer NAME COMMAND [ARG…]: starts COMMAND and prints the
// milliseconds until a window titled NAME is mapped, then exits (COMMAND goes
// on running). It listens for the X server's map events rather than asking
// over and over, so the figure holds no polling interval and no other
// program competes with the one timed for the two cores.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <string_view>
#include <unistd.h>
#include <xcb/xcb.h>

namespace {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

bool titled(xcb_connection_t* connection, xcb_window_t window, std::string_view name) {
    const std::unique_ptr<xcb_get_property_reply_t, FreeDeleter> reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, XCB_ATOM_WM_NAME, XCB_ATOM_ANY, 0, 256),
        nullptr));
    if (!reply)
        return false;
    const auto length = size_t(xcb_get_property_value_length(reply.get()));
    return std::string_view(static_cast<const char*>(xcb_get_property_value(reply.get())),
                            length) == name;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: tovik_launch_timer NAME COMMAND [ARG…]\n");
        return 2;
    }
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "tovik_launch_timer: no X display\n");
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    // New top-level windows are announced to the root's substructure; each is
    // then watched for its own map.
    const uint32_t rootEvents = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &rootEvents);
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));

    const auto start = std::chrono::steady_clock::now();
    if (::fork() == 0) {
        // Not our output: a caller reading it waits only for the figure.
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::execvp(argv[2], argv + 2);
        std::_Exit(127);
    }
    const std::string_view name = argv[1];
    while (xcb_generic_event_t* event = xcb_wait_for_event(connection)) {
        const std::unique_ptr<xcb_generic_event_t, FreeDeleter> owned(event);
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_CREATE_NOTIFY) {
            const auto* created = reinterpret_cast<xcb_create_notify_event_t*>(event);
            const uint32_t events = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
            xcb_change_window_attributes(connection, created->window, XCB_CW_EVENT_MASK, &events);
            xcb_flush(connection);
        } else if (type == XCB_MAP_NOTIFY) {
            const auto* mapped = reinterpret_cast<xcb_map_notify_event_t*>(event);
            if (titled(connection, mapped->window, name)) {
                const auto elapsed = std::chrono::steady_clock::now() - start;
                std::printf(
                    "%lld\n",
                    static_cast<long long>(
                        std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count()));
                return 0;
            }
        }
    }
    std::fprintf(stderr, "tovik_launch_timer: the X connection ended first\n");
    return 1;
}
