#include "platform/linux/AtspiAccessibility.h"

#include "platform/linux/AtspiRoles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QString>
#include <atspi/atspi.h>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <functional>
#include <future>
#include <gio/gio.h>
#include <map>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

using namespace Qt::StringLiterals;

namespace {
// Texts longer than this are cut: a field or a page may hold megabytes, and
// nothing the engines do with a text needs more.
constexpr int kMaxTextChars = 64 * 1024;
// A read of "AXChildren" stops after this many children or this long.
constexpr int kMaxChildren = 4096;
constexpr qint64 kMaxChildrenReadMs = 1000;
// An application whose call timed out is left alone this long.
constexpr qint64 kHungBackOffMs = 1000;
// The focused element is searched for at most this often per application
// while no focus event has named it.
constexpr qint64 kFocusSearchIntervalMs = 1000;
constexpr int kFocusSearchBudget = 600;

QString cut(const char* utf8) {
    if (!utf8)
        return {};
    const qsizetype length = qsizetype(strnlen(utf8, size_t(kMaxTextChars) * 4));
    QString text = QString::fromUtf8(utf8, length);
    if (text.size() > kMaxTextChars)
        text.truncate(kMaxTextChars);
    return text;
}

// Where a session bus would be; libdbus would otherwise try to start one.
bool sessionBusConfigured() {
    if (qEnvironmentVariableIsSet("AT_SPI_BUS_ADDRESS") ||
        qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(QString::fromLocal8Bit(runtime) + u"/bus"_s);
}

QString busNameOf(AtspiAccessible* accessible) {
    const AtspiObject* object = ATSPI_OBJECT(accessible);
    return object->app && object->app->bus_name ? QString::fromUtf8(object->app->bus_name)
                                                : QString();
}

QString pathOf(AtspiAccessible* accessible) {
    return QString::fromUtf8(ATSPI_OBJECT(accessible)->path);
}

struct GObjectUnref {
    void operator()(gpointer p) const {
        if (p)
            g_object_unref(p);
    }
};
template <typename T> using GRef = std::unique_ptr<T, GObjectUnref>;
} // namespace

// The thread that owns libatspi, its main context and everything it caches.
struct AtspiAccessibility::Backend : std::enable_shared_from_this<AtspiAccessibility::Backend> {
    GMainContext* context = nullptr;
    GMainLoop* loop = nullptr;
    std::thread thread;
    std::thread::id threadId;
    bool initialised = false;
    std::atomic<bool> stopping{false};
    std::atomic<quint64> callCount{0};

    // Owned by the thread.
    QHash<QString, qint64> hungUntil;                               // bus name → monotonic ms
    std::unordered_map<qint64, GRef<AtspiAccessible>> applications; // pid → application
    qint64 applicationsReadAt = -1;
    std::unordered_map<QString, GRef<AtspiAccessible>> focused; // bus name → focused element
    QHash<QString, qint64> focusSearchedAt;                     // bus name → monotonic ms
    AtspiEventListener* focusListener = nullptr;
    QElapsedTimer clock;

    // Told of every focus move; added and removed from other threads.
    std::mutex movedLock;
    std::map<int, std::function<void()>> movedListeners;
    int lastListenerId = 0;

    Backend() {
        clock.start();
        if (!sessionBusConfigured())
            return;
        context = g_main_context_new();
        loop = g_main_loop_new(context, FALSE);
        std::promise<void> ready;
        thread = std::thread([this, &ready] {
            g_main_context_push_thread_default(context);
            threadId = std::this_thread::get_id();
            initialised = start();
            ready.set_value();
            if (initialised)
                g_main_loop_run(loop);
            finish();
            g_main_context_pop_thread_default(context);
        });
        ready.get_future().wait();
    }

    ~Backend() {
        // Only AtspiAccessibility and the elements handed out hold the
        // backend, and both live outside this thread, so the join below never
        // waits for itself.
        stopping = true;
        if (thread.joinable()) {
            post([this] { g_main_loop_quit(loop); });
            thread.join();
        }
        if (loop)
            g_main_loop_unref(loop);
        if (context)
            g_main_context_unref(context);
    }

    bool start() {
        const int status = atspi_init();
        if (status != 0 && status != 1)
            return false;
        if (!atspi_get_a11y_bus())
            return false;
        atspi_set_main_context(context);
        // No grace period for applications that are starting: a browser that
        // hangs while starting must cost no more than one that hangs later.
        atspi_set_timeout(AXElement::kMessagingTimeoutMs, -1);
        return true;
    }

    void finish() {
        if (focusListener) {
            atspi_event_listener_deregister(focusListener, "object:state-changed:focused", nullptr);
            g_object_unref(focusListener);
            focusListener = nullptr;
        }
        focused.clear();
        applications.clear();
    }

    // Runs fn on the thread without waiting.
    void post(std::function<void()> fn) {
        auto* heap = new std::function<void()>(std::move(fn));
        g_main_context_invoke_full(
            context, G_PRIORITY_DEFAULT,
            [](gpointer data) -> gboolean {
                (*static_cast<std::function<void()>*>(data))();
                return G_SOURCE_REMOVE;
            },
            heap, [](gpointer data) { delete static_cast<std::function<void()>*>(data); });
    }

    // Runs fn on the thread and answers its result; the default value when
    // AT-SPI is unavailable or shutting down.
    template <typename F> auto run(F fn) -> decltype(fn()) {
        using Result = decltype(fn());
        if (!initialised || stopping)
            return Result{};
        if (std::this_thread::get_id() == threadId)
            return fn();
        auto task = std::make_shared<std::packaged_task<Result()>>(std::move(fn));
        std::future<Result> answer = task->get_future();
        post([task] { (*task)(); });
        return answer.get();
    }

    qint64 now() const { return clock.elapsed(); }

    bool responsive(AtspiAccessible* accessible) {
        const auto it = hungUntil.constFind(busNameOf(accessible));
        return it == hungUntil.cend() || *it <= now();
    }

    // Books one call that took `startedAt` until now and may have failed. A
    // call that took about the time-out marks the application as hung, even
    // when it answered: libatspi falls back on what it cached without an
    // error when the application stays silent.
    bool settle(AtspiAccessible* accessible, qint64 startedAt, GError* error) {
        callCount++;
        if (now() - startedAt >= AXElement::kMessagingTimeoutMs * 4 / 5)
            hungUntil.insert(busNameOf(accessible), now() + kHungBackOffMs);
        if (!error)
            return true;
        g_error_free(error);
        return false;
    }

    // One AT-SPI call that takes a GError**: fn(&error) → value.
    template <typename F>
    auto call(AtspiAccessible* accessible, F fn) -> std::optional<decltype(fn(nullptr))> {
        if (!accessible || !responsive(accessible))
            return std::nullopt;
        GError* error = nullptr;
        const qint64 startedAt = now();
        auto value = fn(&error);
        if (!settle(accessible, startedAt, error))
            return std::nullopt;
        return value;
    }

    std::optional<AtspiRole> role(AtspiAccessible* a) {
        auto r = call(a, [a](GError** e) { return atspi_accessible_get_role(a, e); });
        if (!r || *r == ATSPI_ROLE_INVALID)
            return std::nullopt;
        return r;
    }

    GRef<AtspiStateSet> states(AtspiAccessible* a) {
        if (!a || !responsive(a))
            return {};
        const qint64 startedAt = now();
        GRef<AtspiStateSet> set(atspi_accessible_get_state_set(a));
        callCount++;
        // This call reports no error; a time-out shows only in how long it took.
        if (now() - startedAt >= AXElement::kMessagingTimeoutMs * 4 / 5)
            hungUntil.insert(busNameOf(a), now() + kHungBackOffMs);
        return set;
    }

    bool hasState(AtspiStateSet* set, AtspiStateType state) {
        return set && atspi_state_set_contains(set, state);
    }

    // The object attributes ("xml-roles", "id", "placeholder", …).
    std::optional<QHash<QString, QString>> attributes(AtspiAccessible* a) {
        auto table = call(a, [a](GError** e) { return atspi_accessible_get_attributes(a, e); });
        if (!table || !*table)
            return std::nullopt;
        QHash<QString, QString> out;
        GHashTableIter it;
        gpointer key = nullptr;
        gpointer value = nullptr;
        g_hash_table_iter_init(&it, *table);
        while (g_hash_table_iter_next(&it, &key, &value))
            out.insert(cut(static_cast<const char*>(key)), cut(static_cast<const char*>(value)));
        g_hash_table_unref(*table);
        return out;
    }

    std::optional<QString> ownedString(AtspiAccessible* a,
                                       const std::function<gchar*(GError**)>& fn) {
        auto raw = call(a, fn);
        if (!raw || !*raw)
            return std::nullopt;
        QString text = cut(*raw);
        g_free(*raw);
        return text;
    }

    AXValue mappedRole(AtspiAccessible* a, bool wantSubrole) {
        const auto r = role(a);
        if (!r)
            return {};
        AtspiRoleFacts facts;
        facts.atspiRole = int(*r);
        if (atspiRoleNeedsStates(*r)) {
            const auto set = states(a);
            facts.multiLine = hasState(set.get(), ATSPI_STATE_MULTI_LINE);
            facts.editable = hasState(set.get(), ATSPI_STATE_EDITABLE);
            facts.hasPopup = hasState(set.get(), ATSPI_STATE_HAS_POPUP);
        }
        if (wantSubrole && atspiRoleNeedsAttributes(*r)) {
            if (const auto attrs = attributes(a)) {
                facts.xmlRoles = attrs->value(u"xml-roles"_s);
                facts.textInputType = attrs->value(u"text-input-type"_s);
            }
        }
        const AtspiMappedRole mapped = mapAtspiRole(facts);
        if (!wantSubrole)
            return mapped.role;
        if (mapped.subrole.isEmpty())
            return {};
        return mapped.subrole;
    }

    AXValue textContents(AtspiAccessible* a) {
        GRef<AtspiText> text(atspi_accessible_get_text_iface(a));
        if (!text)
            return {};
        AtspiText* t = text.get();
        // An end offset past the text is clamped by the application, so one
        // call reads the whole of a short text and the start of a long one.
        auto value =
            ownedString(a, [t](GError** e) { return atspi_text_get_text(t, 0, kMaxTextChars, e); });
        if (!value)
            return {};
        return *value;
    }

    AXValue url(AtspiAccessible* a) {
        const auto r = role(a);
        if (!r)
            return {};
        if (*r == ATSPI_ROLE_LINK) {
            auto link = call(a, [a](GError**) { return atspi_accessible_get_hyperlink(a); });
            if (!link || !*link)
                return {};
            GRef<AtspiHyperlink> owned(*link);
            AtspiHyperlink* h = owned.get();
            auto uri = ownedString(a, [h](GError** e) { return atspi_hyperlink_get_uri(h, 0, e); });
            if (!uri || uri->isEmpty())
                return {};
            return *uri;
        }
        GRef<AtspiDocument> document(atspi_accessible_get_document_iface(a));
        if (!document)
            return {};
        AtspiDocument* d = document.get();
        // Firefox names it DocURL; Chromium leaves that empty and says URI.
        for (const char* name : {"DocURL", "URI"}) {
            auto value = ownedString(a, [d, name](GError** e) {
                return atspi_document_get_document_attribute_value(d, const_cast<gchar*>(name), e);
            });
            if (value && !value->isEmpty())
                return *value;
        }
        return {};
    }

    AXValue frame(AtspiAccessible* a) {
        GRef<AtspiComponent> component(atspi_accessible_get_component_iface(a));
        if (!component)
            return {};
        AtspiComponent* c = component.get();
        auto rect = call(a, [c](GError** e) {
            return atspi_component_get_extents(c, ATSPI_COORD_TYPE_SCREEN, e);
        });
        if (!rect || !*rect)
            return {};
        const QRect r((*rect)->x, (*rect)->y, (*rect)->width, (*rect)->height);
        g_free(*rect);
        return r;
    }

    GRef<AtspiAccessible> labelledBy(AtspiAccessible* a) {
        auto relations =
            call(a, [a](GError** e) { return atspi_accessible_get_relation_set(a, e); });
        if (!relations || !*relations)
            return {};
        GRef<AtspiAccessible> target;
        GArray* list = *relations;
        for (guint i = 0; i < list->len; ++i) {
            AtspiRelation* relation = g_array_index(list, AtspiRelation*, i);
            if (!target &&
                atspi_relation_get_relation_type(relation) == ATSPI_RELATION_LABELLED_BY &&
                atspi_relation_get_n_targets(relation) > 0)
                target.reset(atspi_relation_get_target(relation, 0));
            g_object_unref(relation);
        }
        g_array_free(list, TRUE);
        return target;
    }

    std::optional<std::vector<GRef<AtspiAccessible>>> children(AtspiAccessible* a) {
        auto count = call(a, [a](GError** e) { return atspi_accessible_get_child_count(a, e); });
        if (!count || *count < 0)
            return std::nullopt;
        std::vector<GRef<AtspiAccessible>> out;
        const int n = std::min(*count, kMaxChildren);
        out.reserve(n);
        const qint64 startedAt = now();
        for (int i = 0; i < n && now() - startedAt < kMaxChildrenReadMs; ++i) {
            auto child = call(
                a, [a, i](GError** e) { return atspi_accessible_get_child_at_index(a, i, e); });
            if (!child)
                return out.empty() ? std::nullopt : std::optional(std::move(out));
            if (*child)
                out.emplace_back(*child);
        }
        return out;
    }

    GRef<AtspiAccessible> parent(AtspiAccessible* a) {
        auto p = call(a, [a](GError** e) { return atspi_accessible_get_parent(a, e); });
        if (!p || !*p)
            return {};
        return GRef<AtspiAccessible>(*p);
    }

    // The application's window that has the focus: the active frame, else
    // the first frame with a name (Chromium keeps unnamed helper frames).
    GRef<AtspiAccessible> focusedWindow(AtspiAccessible* app) {
        auto frames = children(app);
        if (!frames)
            return {};
        for (auto& frame : *frames) {
            const auto set = states(frame.get());
            if (hasState(set.get(), ATSPI_STATE_ACTIVE))
                return std::move(frame);
        }
        for (auto& frame : *frames) {
            AtspiAccessible* f = frame.get();
            const auto name =
                ownedString(f, [f](GError** e) { return atspi_accessible_get_name(f, e); });
            if (name && !name->isEmpty())
                return std::move(frame);
        }
        return {};
    }

    // The focused element below `root`: one Collection query where the
    // application offers it, else a breadth-first walk of bounded size.
    GRef<AtspiAccessible> searchFocused(AtspiAccessible* root) {
        if (GRef<AtspiCollection> collection{atspi_accessible_get_collection_iface(root)}) {
            GArray* wanted = g_array_new(FALSE, FALSE, sizeof(AtspiStateType));
            const AtspiStateType focusedState = ATSPI_STATE_FOCUSED;
            g_array_append_val(wanted, focusedState);
            GRef<AtspiStateSet> set(atspi_state_set_new(wanted));
            g_array_free(wanted, TRUE);
            GRef<AtspiMatchRule> rule(atspi_match_rule_new(
                set.get(), ATSPI_Collection_MATCH_ALL, nullptr, ATSPI_Collection_MATCH_ALL, nullptr,
                ATSPI_Collection_MATCH_ALL, nullptr, ATSPI_Collection_MATCH_ALL, FALSE));
            AtspiCollection* c = collection.get();
            AtspiMatchRule* r = rule.get();
            auto matches = call(root, [c, r](GError** e) {
                return atspi_collection_get_matches(c, r, ATSPI_Collection_SORT_ORDER_CANONICAL, 1,
                                                    TRUE, e);
            });
            if (matches && *matches) {
                GRef<AtspiAccessible> found;
                for (guint i = 0; i < (*matches)->len; ++i) {
                    AtspiAccessible* match = g_array_index(*matches, AtspiAccessible*, i);
                    if (!found)
                        found.reset(match);
                    else
                        g_object_unref(match);
                }
                g_array_free(*matches, TRUE);
                if (found)
                    return found;
            }
        }
        std::deque<GRef<AtspiAccessible>> queue;
        queue.push_back(GRef<AtspiAccessible>(static_cast<AtspiAccessible*>(g_object_ref(root))));
        int budget = kFocusSearchBudget;
        while (!queue.empty() && budget-- > 0) {
            GRef<AtspiAccessible> next = std::move(queue.front());
            queue.pop_front();
            const auto set = states(next.get());
            if (!set)
                continue;
            if (hasState(set.get(), ATSPI_STATE_FOCUSED) && next.get() != root)
                return next;
            if (!hasState(set.get(), ATSPI_STATE_SHOWING) && next.get() != root)
                continue;
            if (auto kids = children(next.get())) {
                for (auto& kid : *kids)
                    queue.push_back(std::move(kid));
            }
        }
        return {};
    }

    GRef<AtspiAccessible> focusedElement(AtspiAccessible* app) {
        const QString bus = busNameOf(app);
        if (const auto it = focused.find(bus); it != focused.end() && it->second)
            return GRef<AtspiAccessible>(
                static_cast<AtspiAccessible*>(g_object_ref(it->second.get())));
        if (focusListener) {
            const auto searched = focusSearchedAt.constFind(bus);
            if (searched != focusSearchedAt.cend() && now() - *searched < kFocusSearchIntervalMs)
                return {};
        }
        focusSearchedAt.insert(bus, now());
        GRef<AtspiAccessible> window = focusedWindow(app);
        if (!window)
            return {};
        GRef<AtspiAccessible> found = searchFocused(window.get());
        if (found && focusListener)
            focused[bus].reset(static_cast<AtspiAccessible*>(g_object_ref(found.get())));
        return found;
    }

    void onFocusEvent(AtspiEvent* event) {
        if (!event->source)
            return;
        const QString bus = busNameOf(event->source);
        if (event->detail1) {
            focused[bus].reset(static_cast<AtspiAccessible*>(g_object_ref(event->source)));
            // Held while calling, so that a removed listener is never called late.
            const std::lock_guard guard(movedLock);
            for (const auto& [id, moved] : movedListeners)
                moved();
        } else if (const auto it = focused.find(bus);
                   it != focused.end() && it->second &&
                   pathOf(it->second.get()) == pathOf(event->source)) {
            focused.erase(it);
        }
    }

    void followFocus() {
        if (focusListener)
            return;
        focusListener = atspi_event_listener_new(
            [](AtspiEvent* event, void* self) {
                static_cast<Backend*>(self)->onFocusEvent(event);
                g_boxed_free(ATSPI_TYPE_EVENT, event);
            },
            this, nullptr);
        atspi_event_listener_register(focusListener, "object:state-changed:focused", nullptr);
    }

    GRef<AtspiAccessible> application(qint64 pid) {
        // The list of applications is read again at most every two seconds:
        // a poll asks for the same browser several times a second.
        if (applicationsReadAt < 0 || now() - applicationsReadAt > 2000 ||
            !applications.contains(pid)) {
            // An unknown process asked for again and again (one without a
            // tree) costs a read of the list at most four times a second.
            if (applicationsReadAt >= 0 && now() - applicationsReadAt < 250)
                return {};
            applications.clear();
            applicationsReadAt = now();
            GRef<AtspiAccessible> desktop(atspi_get_desktop(0));
            if (auto apps = desktop ? children(desktop.get()) : std::nullopt) {
                for (auto& app : *apps) {
                    AtspiAccessible* a = app.get();
                    auto id =
                        call(a, [a](GError** e) { return atspi_accessible_get_process_id(a, e); });
                    if (id && *id > 0)
                        applications[qint64(*id)] = std::move(app);
                }
            }
        }
        const auto it = applications.find(pid);
        if (it == applications.end())
            return {};
        return GRef<AtspiAccessible>(static_cast<AtspiAccessible*>(g_object_ref(it->second.get())));
    }
};

namespace {
using Backend = AtspiAccessibility::Backend;

bool writeA11yStatus(bool on);

class AtspiNode final : public AXNode {
public:
    // Takes over one reference to accessible; made on the backend's thread.
    AtspiNode(std::shared_ptr<Backend> backend, AtspiAccessible* accessible)
        : backend(std::move(backend)), accessible(accessible), bus(busNameOf(accessible)),
          path(pathOf(accessible)) {}

    ~AtspiNode() override {
        // The last reference must go on the thread that owns libatspi.
        AtspiAccessible* a = accessible;
        if (backend->stopping || std::this_thread::get_id() == backend->threadId)
            g_object_unref(a);
        else
            backend->post([a] { g_object_unref(a); });
    }

    AXValue read(QStringView attribute) const override {
        const QString name = attribute.toString();
        return backend->run([this, name]() -> AXValue { return readOnThread(name); });
    }

    bool write(QStringView attribute, const std::variant<QString, bool>& value) override {
        // A browser builds its tree once the session has accessibility on.
        if (attribute == AX::enhancedUserInterface)
            return std::holds_alternative<bool>(value) && std::get<bool>(value) &&
                   writeA11yStatus(true);
        if (attribute != AX::value || !std::holds_alternative<QString>(value))
            return false;
        const QByteArray utf8 = std::get<QString>(value).toUtf8();
        return backend->run([this, utf8]() -> bool {
            Backend& b = *backend;
            GRef<AtspiEditableText> editable(atspi_accessible_get_editable_text_iface(accessible));
            if (!editable)
                return false;
            AtspiEditableText* e = editable.get();
            const auto ok = b.call(accessible, [e, &utf8](GError** error) {
                return atspi_editable_text_set_text_contents(e, utf8.constData(), error);
            });
            return ok && *ok;
        });
    }

    bool sameAs(const AXNode& other) const override {
        const auto* o = dynamic_cast<const AtspiNode*>(&other);
        return o && o->bus == bus && o->path == path;
    }
    std::size_t identityHash() const override { return qHash(bus) ^ (qHash(path) << 1); }

    static AXElement wrap(const std::shared_ptr<Backend>& backend, GRef<AtspiAccessible> a) {
        if (!a)
            return {};
        return AXElement(std::make_shared<AtspiNode>(backend, a.release()));
    }

private:
    AXValue readOnThread(const QString& name) const {
        Backend& b = *backend;
        AtspiAccessible* a = accessible;
        if (name == AX::role)
            return b.mappedRole(a, false);
        if (name == AX::subrole)
            return b.mappedRole(a, true);
        if (name == AX::value)
            return b.textContents(a);
        if (name == AX::title) {
            auto text =
                b.ownedString(a, [a](GError** e) { return atspi_accessible_get_name(a, e); });
            return text ? AXValue(*text) : AXValue();
        }
        if (name == AX::description) {
            auto text = b.ownedString(
                a, [a](GError** e) { return atspi_accessible_get_description(a, e); });
            return text ? AXValue(*text) : AXValue();
        }
        if (name == AX::placeholderValue || name == AX::domIdentifier) {
            const auto attrs = b.attributes(a);
            if (!attrs)
                return {};
            const QStringList keys = name == AX::domIdentifier
                                         ? QStringList{u"id"_s}
                                         : QStringList{u"placeholder"_s, u"placeholder-text"_s};
            for (const QString& key : keys) {
                if (const auto it = attrs->constFind(key); it != attrs->cend())
                    return *it;
            }
            return {};
        }
        if (name == AX::url)
            return b.url(a);
        if (name == AX::frame)
            return b.frame(a);
        if (name == AX::parent)
            return wrap(backend, b.parent(a));
        if (name == AX::titleUIElement)
            return wrap(backend, b.labelledBy(a));
        if (name == AX::children) {
            auto kids = b.children(a);
            if (!kids)
                return {};
            QList<AXElement> list;
            list.reserve(kids->size());
            for (auto& kid : *kids)
                list.append(wrap(backend, std::move(kid)));
            return list;
        }
        if (name == AX::focusedUIElement || name == AX::focusedWindow) {
            const auto r = b.role(a);
            if (!r || *r != ATSPI_ROLE_APPLICATION)
                return {};
            return wrap(backend,
                        name == AX::focusedUIElement ? b.focusedElement(a) : b.focusedWindow(a));
        }
        return {};
    }

    std::shared_ptr<Backend> backend;
    AtspiAccessible* accessible;
    QString bus;
    QString path;
};

// org.a11y.Status on the session bus: whether accessibility is switched on.
std::optional<bool> readA11yStatus() {
    if (!sessionBusConfigured())
        return std::nullopt;
    GError* error = nullptr;
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (!bus) {
        g_clear_error(&error);
        return std::nullopt;
    }
    GVariant* reply = g_dbus_connection_call_sync(
        bus, "org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties", "Get",
        g_variant_new("(ss)", "org.a11y.Status", "IsEnabled"), G_VARIANT_TYPE("(v)"),
        G_DBUS_CALL_FLAGS_NONE, 2000, nullptr, &error);
    g_object_unref(bus);
    if (!reply) {
        g_clear_error(&error);
        return std::nullopt;
    }
    GVariant* inner = nullptr;
    g_variant_get(reply, "(v)", &inner);
    const bool on = inner && g_variant_is_of_type(inner, G_VARIANT_TYPE_BOOLEAN) &&
                    g_variant_get_boolean(inner);
    if (inner)
        g_variant_unref(inner);
    g_variant_unref(reply);
    return on;
}

bool writeA11yStatus(bool on) {
    if (!sessionBusConfigured())
        return false;
    GError* error = nullptr;
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (!bus) {
        g_clear_error(&error);
        return false;
    }
    // Only IsEnabled: ScreenReaderEnabled would start a screen reader on
    // some desktops.
    GVariant* reply = g_dbus_connection_call_sync(
        bus, "org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties", "Set",
        g_variant_new("(ssv)", "org.a11y.Status", "IsEnabled", g_variant_new_boolean(on)), nullptr,
        G_DBUS_CALL_FLAGS_NONE, 2000, nullptr, &error);
    g_object_unref(bus);
    if (!reply) {
        g_clear_error(&error);
        return false;
    }
    g_variant_unref(reply);
    return true;
}
} // namespace

AtspiAccessibility::AtspiAccessibility() = default;
AtspiAccessibility::~AtspiAccessibility() = default;

bool AtspiAccessibility::isEnabled() {
    const std::lock_guard guard(statusLock);
    const auto now = std::chrono::steady_clock::now();
    if (!knownStatus || now - statusReadAt >= statusFreshFor) {
        knownStatus = readA11yStatus();
        statusReadAt = now;
    }
    return knownStatus.value_or(false);
}

bool AtspiAccessibility::enable() {
    writeA11yStatus(true);
    {
        const std::lock_guard guard(statusLock);
        knownStatus.reset();
    }
    return isEnabled();
}

bool AtspiAccessibility::isReachable() {
    std::call_once(started, [this] { backend = std::make_shared<Backend>(); });
    return backend->initialised;
}

void AtspiAccessibility::followFocusEvents() {
    if (!isReachable())
        return;
    backend->run([b = backend.get()] {
        b->followFocus();
        return true;
    });
}

int AtspiAccessibility::addFocusListener(std::function<void()> moved) {
    if (!isReachable() || !moved)
        return 0;
    followFocusEvents();
    const std::lock_guard guard(backend->movedLock);
    const int id = ++backend->lastListenerId;
    backend->movedListeners.emplace(id, std::move(moved));
    return id;
}

void AtspiAccessibility::removeFocusListener(int id) {
    if (id == 0 || !backend)
        return;
    const std::lock_guard guard(backend->movedLock);
    backend->movedListeners.erase(id);
}

AXElement AtspiAccessibility::application(qint64 pid) {
    if (!isReachable())
        return {};
    Backend* b = backend.get();
    return b->run([b, pid] { return AtspiNode::wrap(b->shared_from_this(), b->application(pid)); });
}

quint64 AtspiAccessibility::calls() const {
    return backend ? backend->callCount.load() : 0;
}
