#include "platform/memory/MemoryAccessibility.h"

#include <map>

using namespace Qt::StringLiterals;

struct MemoryAccessibility::Node {
    QString role;
    QHash<QString, QString> strings; // keyed by the description's keys
    std::optional<QRect> frame;
    std::weak_ptr<Node> parent;
    QString parentOverride; // id of a false parent
    QString labelId;
    QList<std::shared_ptr<Node>> children;
    qint64 pid = 0;
    bool alive = true;
    bool refusesValue = false;
    bool ignoresValue = false;
};

struct MemoryAccessibility::Tree {
    mutable std::mutex lock;
    QList<std::shared_ptr<Node>> applications;
    QHash<QString, std::weak_ptr<Node>> byId;
    QHash<qint64, std::weak_ptr<Node>> focused;
    QHash<qint64, std::weak_ptr<Node>> focusedWindow;
    QHash<QString, int> readCounts;
    int totalReads = 0;
    QStringList errors;
    // Called without `lock` held, under their own.
    std::mutex listenersLock;
    std::map<int, std::function<void()>> focusListeners;
    int lastListenerId = 0;
};

namespace {
using Node = MemoryAccessibility::Node;
using Tree = MemoryAccessibility::Tree;

class MemoryNode final : public AXNode {
public:
    MemoryNode(std::shared_ptr<Tree> tree, std::shared_ptr<Node> node)
        : tree(std::move(tree)), node(std::move(node)) {}

    AXValue read(QStringView attribute) const override {
        {
            const std::lock_guard guard(tree->lock);
            tree->totalReads++;
            tree->readCounts[attribute.toString()]++;
            if (!node->alive)
                return {};
        }
        return readAlive(attribute);
    }

    bool write(QStringView attribute, const std::variant<QString, bool>& value) override {
        const std::lock_guard guard(tree->lock);
        if (!node->alive)
            return false;
        if (attribute == AX::enhancedUserInterface)
            return std::holds_alternative<bool>(value);
        if (attribute != AX::value || !std::holds_alternative<QString>(value) || node->refusesValue)
            return false;
        if (!node->ignoresValue)
            node->strings.insert(u"value"_s, std::get<QString>(value));
        return true;
    }

    bool sameAs(const AXNode& other) const override {
        const auto* o = dynamic_cast<const MemoryNode*>(&other);
        return o && o->node == node;
    }
    std::size_t identityHash() const override { return std::hash<const void*>()(node.get()); }

private:
    AXElement wrap(const std::shared_ptr<Node>& n) const {
        if (!n || !n->alive)
            return {};
        return AXElement(std::make_shared<MemoryNode>(tree, n));
    }

    AXValue readAlive(QStringView attribute) const {
        const std::lock_guard guard(tree->lock);
        const auto text = [&](const QString& key) -> AXValue {
            const auto it = node->strings.constFind(key);
            if (it == node->strings.cend())
                return {};
            return *it;
        };
        if (attribute == AX::role)
            return node->role;
        if (attribute == AX::subrole)
            return text(u"sub"_s);
        if (attribute == AX::value)
            return text(u"value"_s);
        if (attribute == AX::title)
            return text(u"title"_s);
        if (attribute == AX::description)
            return text(u"desc"_s);
        if (attribute == AX::placeholderValue)
            return text(u"placeholder"_s);
        if (attribute == AX::domIdentifier)
            return text(u"id"_s);
        if (attribute == AX::url)
            return text(u"url"_s);
        if (attribute == AX::frame) {
            if (node->frame)
                return *node->frame;
            return {};
        }
        if (attribute == AX::children) {
            QList<AXElement> list;
            list.reserve(node->children.size());
            for (const auto& child : node->children)
                list.append(wrap(child));
            return list;
        }
        if (attribute == AX::parent) {
            if (!node->parentOverride.isEmpty())
                return wrap(tree->byId.value(node->parentOverride).lock());
            const auto p = node->parent.lock();
            if (!p)
                return {};
            return wrap(p);
        }
        if (attribute == AX::titleUIElement) {
            if (node->labelId.isEmpty())
                return {};
            const auto label = tree->byId.value(node->labelId).lock();
            if (!label)
                return {};
            return wrap(label);
        }
        if (attribute == AX::focusedUIElement || attribute == AX::focusedWindow) {
            if (node->role != AX::applicationRole)
                return {};
            const auto& map =
                attribute == AX::focusedUIElement ? tree->focused : tree->focusedWindow;
            const auto target = map.value(node->pid).lock();
            if (!target)
                return {};
            return wrap(target);
        }
        return {};
    }

    std::shared_ptr<Tree> tree;
    std::shared_ptr<Node> node;
};

// Splits one description line into words, keeping quoted values whole.
QStringList words(QStringView line, bool* ok) {
    QStringList out;
    QString current;
    bool quoted = false;
    bool any = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c == u'\\' && i + 1 < line.size()) {
                current += line[++i];
            } else if (c == u'"') {
                quoted = false;
            } else {
                current += c;
            }
        } else if (c == u'"') {
            quoted = true;
            any = true;
        } else if (c.isSpace()) {
            if (any || !current.isEmpty())
                out.append(current);
            current.clear();
            any = false;
        } else {
            current += c;
        }
    }
    if (any || !current.isEmpty())
        out.append(current);
    *ok = !quoted;
    return out;
}

qint64 owningPid(const std::shared_ptr<Node>& node) {
    std::shared_ptr<Node> n = node;
    while (n) {
        if (n->role == AX::applicationRole)
            return n->pid;
        n = n->parent.lock();
    }
    return 0;
}
} // namespace

MemoryAccessibility::MemoryAccessibility() : tree(std::make_shared<Tree>()) {}
MemoryAccessibility::~MemoryAccessibility() = default;

AXElement MemoryAccessibility::application(qint64 pid) {
    const std::lock_guard guard(tree->lock);
    if (!enabled)
        return {};
    for (const auto& app : tree->applications) {
        if (app->pid == pid && app->alive)
            return AXElement(std::make_shared<MemoryNode>(tree, app));
    }
    return {};
}

AXElement MemoryAccessibility::load(QStringView description) {
    std::shared_ptr<Node> root;
    QList<std::pair<qsizetype, std::shared_ptr<Node>>> stack; // indent, node
    qint64 pid = 0;
    const std::lock_guard guard(tree->lock);
    int lineNumber = 0;
    for (QStringView line : description.split(u'\n')) {
        ++lineNumber;
        qsizetype indent = 0;
        while (indent < line.size() && line[indent] == u' ')
            ++indent;
        if (line.trimmed().isEmpty())
            continue;
        bool ok = true;
        const QStringList parts = words(line.mid(indent), &ok);
        if (!ok || parts.isEmpty()) {
            tree->errors.append(u"line %1: unclosed quote"_s.arg(lineNumber));
            continue;
        }
        auto node = std::make_shared<Node>();
        node->role = parts.first();
        bool focused = false;
        bool focusedWindow = false;
        for (qsizetype i = 1; i < parts.size(); ++i) {
            const QString& word = parts[i];
            const qsizetype eq = word.indexOf(u'=');
            const QString key = eq < 0 ? word : word.left(eq);
            const QString value = eq < 0 ? QString() : word.mid(eq + 1);
            if (eq < 0 && key == "focused"_L1) {
                focused = true;
            } else if (eq < 0 && key == "focusedWindow"_L1) {
                focusedWindow = true;
            } else if (eq < 0 && key == "refusesValue"_L1) {
                node->refusesValue = true;
            } else if (eq < 0 && key == "ignoresValue"_L1) {
                node->ignoresValue = true;
            } else if (key == "pid"_L1) {
                node->pid = value.toLongLong();
            } else if (key == "label"_L1) {
                node->labelId = value;
            } else if (key == "parent"_L1) {
                node->parentOverride = value;
            } else if (key == "frame"_L1) {
                const QStringList n = value.split(u',');
                if (n.size() == 4)
                    node->frame = QRect(n[0].toInt(), n[1].toInt(), n[2].toInt(), n[3].toInt());
                else
                    tree->errors.append(u"line %1: frame needs x,y,w,h"_s.arg(lineNumber));
            } else if (QStringList{u"sub"_s, u"value"_s, u"title"_s, u"desc"_s, u"placeholder"_s,
                                   u"id"_s, u"url"_s}
                           .contains(key) &&
                       eq >= 0) {
                node->strings.insert(key, value);
            } else {
                tree->errors.append(u"line %1: unknown key %2"_s.arg(lineNumber).arg(key));
            }
        }
        while (!stack.isEmpty() && stack.last().first >= indent)
            stack.removeLast();
        if (stack.isEmpty()) {
            if (root) {
                tree->errors.append(u"line %1: a second root"_s.arg(lineNumber));
                continue;
            }
            root = node;
            pid = node->pid;
        } else {
            node->parent = stack.last().second;
            stack.last().second->children.append(node);
        }
        stack.append({indent, node});
        if (node->strings.contains(u"id"_s))
            tree->byId.insert(node->strings.value(u"id"_s), node);
        if (focused)
            tree->focused.insert(pid, node);
        if (focusedWindow)
            tree->focusedWindow.insert(pid, node);
    }
    if (!root)
        return {};
    tree->applications.append(root);
    return AXElement(std::make_shared<MemoryNode>(tree, root));
}

QStringList MemoryAccessibility::errors() const {
    const std::lock_guard guard(tree->lock);
    return tree->errors;
}

AXElement MemoryAccessibility::byId(const QString& id) const {
    std::shared_ptr<Node> node;
    {
        const std::lock_guard guard(tree->lock);
        node = tree->byId.value(id).lock();
    }
    if (!node || !node->alive)
        return {};
    return AXElement(std::make_shared<MemoryNode>(tree, node));
}

namespace {
// Finds the node by walking the trees: handles do not expose their node, and
// tests hold few elements, so the search is cheap enough.
std::shared_ptr<Node> find(const std::shared_ptr<Node>& from, const AXElement& element,
                           const std::shared_ptr<Tree>& tree) {
    if (AXElement(std::make_shared<MemoryNode>(tree, from)) == element)
        return from;
    for (const auto& child : from->children) {
        if (auto found = find(child, element, tree))
            return found;
    }
    return {};
}

std::shared_ptr<Node> nodeOf(const AXElement& element, const std::shared_ptr<Tree>& tree) {
    for (const auto& app : tree->applications) {
        if (auto found = find(app, element, tree))
            return found;
    }
    return {};
}

void kill(const std::shared_ptr<Node>& node) {
    node->alive = false;
    for (const auto& child : node->children)
        kill(child);
}
} // namespace

void MemoryAccessibility::focus(const AXElement& element) {
    {
        const std::lock_guard guard(tree->lock);
        const auto node = nodeOf(element, tree);
        if (!node)
            return;
        tree->focused.insert(owningPid(node), node);
    }
    const std::lock_guard guard(tree->listenersLock);
    for (const auto& [id, moved] : tree->focusListeners)
        moved();
}

int MemoryAccessibility::addFocusListener(std::function<void()> moved) {
    if (!moved)
        return 0;
    const std::lock_guard guard(tree->listenersLock);
    const int id = ++tree->lastListenerId;
    tree->focusListeners.emplace(id, std::move(moved));
    return id;
}

void MemoryAccessibility::removeFocusListener(int id) {
    const std::lock_guard guard(tree->listenersLock);
    tree->focusListeners.erase(id);
}

void MemoryAccessibility::remove(const AXElement& element) {
    const std::lock_guard guard(tree->lock);
    const auto node = nodeOf(element, tree);
    if (!node)
        return;
    kill(node);
    if (const auto p = node->parent.lock())
        p->children.removeAll(node);
}

void MemoryAccessibility::setString(const AXElement& element, const QString& key,
                                    const QString& text) {
    const std::lock_guard guard(tree->lock);
    if (const auto node = nodeOf(element, tree))
        node->strings.insert(key, text);
}

int MemoryAccessibility::reads() const {
    const std::lock_guard guard(tree->lock);
    return tree->totalReads;
}

int MemoryAccessibility::reads(QStringView attribute) const {
    const std::lock_guard guard(tree->lock);
    return tree->readCounts.value(attribute.toString());
}

void MemoryAccessibility::resetCounts() {
    const std::lock_guard guard(tree->lock);
    tree->totalReads = 0;
    tree->readCounts.clear();
}
