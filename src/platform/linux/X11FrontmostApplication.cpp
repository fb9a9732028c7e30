#include "platform/linux/X11FrontmostApplication.h"

#include "platform/ApplicationId.h"

#include <QFile>
#include <QFileInfo>
#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>

using namespace Qt::StringLiterals;

namespace {
struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name) {
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, uint16_t(qstrlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

Reply<xcb_get_property_reply_t> property(xcb_connection_t* connection, xcb_window_t window,
                                         xcb_atom_t atom, xcb_atom_t type, uint32_t longs) {
    return Reply<xcb_get_property_reply_t>(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, atom, type, 0, longs), nullptr));
}

// The names the process is known by: its executable and its argv[0].
QStringList executableNames(uint32_t pid) {
    QStringList names;
    const QString proc = u"/proc/"_s + QString::number(pid);
    const QString exe = QFileInfo(proc + u"/exe"_s).symLinkTarget();
    if (!exe.isEmpty())
        names.append(QFileInfo(exe).fileName());
    QFile cmdline(proc + u"/cmdline"_s);
    if (cmdline.open(QIODevice::ReadOnly)) {
        const QByteArray argv0 = cmdline.read(4096).split('\0').value(0);
        if (!argv0.isEmpty())
            names.append(QFileInfo(QString::fromLocal8Bit(argv0)).fileName());
    }
    names.removeDuplicates();
    return names;
}
} // namespace

X11FrontmostApplication::X11FrontmostApplication(QStringList applicationDirectories)
    : desktopEntries(std::move(applicationDirectories)) {}

X11FrontmostApplication::~X11FrontmostApplication() {
    if (connection)
        xcb_disconnect(connection);
}

bool X11FrontmostApplication::connect() {
    if (connection)
        return true;
    if (failed)
        return false;
    int screenNumber = 0;
    xcb_connection_t* opened = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(opened)) {
        xcb_disconnect(opened);
        failed = true;
        return false;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(opened));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    if (!screens.rem) {
        xcb_disconnect(opened);
        failed = true;
        return false;
    }
    connection = opened;
    root = screens.data->root;
    activeWindowAtom = internAtom(connection, "_NET_ACTIVE_WINDOW");
    pidAtom = internAtom(connection, "_NET_WM_PID");
    return true;
}

unsigned int X11FrontmostApplication::activeWindow() {
    if (!connect())
        return 0;
    if (xcb_connection_has_error(connection)) {
        // The display went away; try afresh next time.
        xcb_disconnect(connection);
        connection = nullptr;
        return 0;
    }
    if (activeWindowAtom == XCB_ATOM_NONE)
        return 0;
    const auto active = property(connection, root, activeWindowAtom, XCB_ATOM_WINDOW, 1);
    if (!active || active->format != 32 || xcb_get_property_value_length(active.get()) < 4)
        return 0;
    return *static_cast<const xcb_window_t*>(xcb_get_property_value(active.get()));
}

uint32_t X11FrontmostApplication::windowPid(unsigned int window) {
    if (pidAtom == XCB_ATOM_NONE || window == XCB_WINDOW_NONE)
        return 0;
    const auto pid = property(connection, window, pidAtom, XCB_ATOM_CARDINAL, 1);
    if (pid && pid->format == 32 && xcb_get_property_value_length(pid.get()) >= 4)
        return *static_cast<const uint32_t*>(xcb_get_property_value(pid.get()));
    return 0;
}

std::optional<RunningApplication> X11FrontmostApplication::frontmost() {
    uint32_t pid = 0;
    {
        const std::lock_guard guard(lock);
        pid = windowPid(activeWindow());
    }
    if (pid == 0)
        return std::nullopt;
    return running(pid);
}

std::optional<RunningApplication> X11FrontmostApplication::running(qint64 pid) {
    if (pid <= 0)
        return std::nullopt;
    const QStringList names = executableNames(uint32_t(pid));
    if (names.isEmpty())
        return std::nullopt;
    QFile info(u"/proc/"_s + QString::number(pid) + u"/root/.flatpak-info"_s);
    QByteArray flatpakInfo;
    if (info.open(QIODevice::ReadOnly))
        flatpakInfo = info.read(64 * 1024);
    return RunningApplication{
        pid, ApplicationId::fromProcess(names, ApplicationId::flatpakIdFromInfo(flatpakInfo))};
}

std::optional<QString> X11FrontmostApplication::displayName() {
    const std::lock_guard guard(lock);
    const xcb_window_t window = activeWindow();
    if (window == XCB_WINDOW_NONE)
        return std::nullopt;

    QString wmInstance;
    QString wmClass;
    if (const auto cls = property(connection, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 256)) {
        const QByteArray raw(static_cast<const char*>(xcb_get_property_value(cls.get())),
                             xcb_get_property_value_length(cls.get()));
        const QList<QByteArray> parts = raw.split('\0');
        wmInstance = QString::fromLocal8Bit(parts.value(0));
        wmClass = QString::fromLocal8Bit(parts.value(1));
    }
    QStringList executables;
    if (const uint32_t pid = windowPid(window))
        executables = executableNames(pid);
    if (wmClass.isEmpty() && wmInstance.isEmpty() && executables.isEmpty())
        return std::nullopt;

    if (std::optional<QString> name = desktopEntries.displayName(wmClass, wmInstance, executables))
        return name;
    if (!wmClass.isEmpty())
        return wmClass;
    return std::nullopt;
}
