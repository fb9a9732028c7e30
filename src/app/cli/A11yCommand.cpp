#include "app/cli/A11yCommand.h"

#include "app/cli/CommandParser.h"
#include "app/cli/CommandStreams.h"
#include "autofill/FieldTexts.h"
#include "platform/Accessibility.h"
#include "platform/FrontmostApplication.h"
#include "platform/Platform.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <ostream>

using namespace Qt::StringLiterals;

namespace {
// A tree print stops after this many elements: pages can hold far more.
constexpr int kTreeElementLimit = 20000;

QString oneLine(QString text, int limit = 200) {
    text.replace(u'\n', u' ').replace(u'\r', u' ').replace(u'\t', u' ');
    if (text.size() > limit)
        text = text.left(limit - 1) + u'…';
    return text;
}

struct TreePrinter {
    CommandStreams& streams;
    int maxDepth;
    int printed = 0;
    int skipped = 0;

    void print(const AXElement& element, int depth, QList<AXElement>& path) {
        if (printed >= kTreeElementLimit) {
            skipped++;
            return;
        }
        QString line(depth * 2, u' ');
        line += element.string(AX::role).value_or(u"?"_s);
        if (const auto sub = element.string(AX::subrole))
            line += u'/' + *sub;
        if (const auto title = element.string(AX::title); title && !title->isEmpty())
            line += u" \""_s + oneLine(*title) + u'"';
        const QString role = element.string(AX::role).value_or(QString());
        if (role == AX::linkRole || role == AX::webAreaRole) {
            if (const auto url = element.string(AX::url))
                line += u" <"_s + oneLine(*url, 400) + u'>';
        }
        if (const auto frame = element.frame())
            line += u" [%1,%2 %3×%4]"_s.arg(frame->x())
                        .arg(frame->y())
                        .arg(frame->width())
                        .arg(frame->height());
        writeUtf8(streams.out, line + u'\n');
        printed++;
        if (depth >= maxDepth)
            return;
        // A broken tree can name an ancestor as a child.
        path.append(element);
        for (const AXElement& child : element.children().value_or(QList<AXElement>{})) {
            if (path.contains(child)) {
                writeUtf8(streams.out, QString((depth + 1) * 2, u' ') + u"(cycle)\n"_s);
                continue;
            }
            print(child, depth + 1, path);
        }
        path.removeLast();
    }
};
} // namespace

A11yCommand::A11yCommand(Accessibility* accessibility, FrontmostApplication* applications)
    : accessibility(accessibility), applications(applications) {}

QString A11yCommand::name() const {
    return u"a11y"_s;
}

QString A11yCommand::summary() const {
    return u"Show what Tovik reads of an application's accessibility tree."_s;
}

int A11yCommand::run(const QStringList& arguments, CommandStreams& streams) {
    CommandParser parser(
        name(),
        summary() +
            u"\n  focus  the focused element as the autofill engine sees it\n"
            "  tree   the application's tree, one element a line: role, name, address, frame\n"
            "Without --pid they read the application whose window is active."_s,
        u"focus|tree"_s);
    const QCommandLineOption pidOption(u"pid"_s, u"Read the application of process PID."_s,
                                       u"PID"_s);
    const QCommandLineOption jsonOption(u"json"_s, u"focus: print JSON."_s);
    const QCommandLineOption depthOption(u"depth"_s, u"tree: go at most N levels down."_s, u"N"_s,
                                         u"64"_s);
    parser.options().addOption(pidOption);
    parser.options().addOption(jsonOption);
    parser.options().addOption(depthOption);
    if (std::optional<int> status = parser.parse(arguments, streams))
        return *status;
    const QStringList positional = parser.options().positionalArguments();
    if (positional.size() != 1 || (positional[0] != u"focus" && positional[0] != u"tree"))
        return parser.usageError(u"say focus or tree"_s, streams);
    const bool focusAction = positional[0] == u"focus";
    if (!focusAction && parser.options().isSet(jsonOption))
        return parser.usageError(u"--json is for focus"_s, streams);
    if (focusAction && parser.options().isSet(depthOption))
        return parser.usageError(u"--depth is for tree"_s, streams);
    bool depthOk = false;
    const int depth = parser.options().value(depthOption).toInt(&depthOk);
    if (!depthOk || depth < 0)
        return parser.usageError(u"--depth needs a whole number of 0 or more"_s, streams);

    Accessibility& a11y = accessibility ? *accessibility : Platform::current().accessibility();
    FrontmostApplication& apps =
        applications ? *applications : Platform::current().frontmostApplication();
    const QString prefix = u"tovik a11y "_s + positional[0] + u": "_s;
    if (!a11y.isReachable()) {
        writeUtf8(streams.err, prefix + u"no accessibility bus: switch accessibility on for the "
                                        "session (see the README) and try again\n"_s);
        return ExitStatus::failure;
    }

    std::optional<RunningApplication> app;
    if (parser.options().isSet(pidOption)) {
        bool ok = false;
        const qint64 pid = parser.options().value(pidOption).toLongLong(&ok);
        if (!ok || pid <= 0)
            return parser.usageError(u"--pid needs a process id"_s, streams);
        app = apps.running(pid);
        if (!app) {
            writeUtf8(streams.err, prefix + u"no process "_s + QString::number(pid) + u'\n');
            return ExitStatus::failure;
        }
    } else {
        app = apps.frontmost();
        if (!app) {
            writeUtf8(streams.err, prefix + u"no window is active\n"_s);
            return ExitStatus::failure;
        }
    }

    const AXElement root = a11y.application(app->pid);
    if (!root) {
        writeUtf8(streams.err,
                  prefix + app->applicationId + u" (process "_s + QString::number(app->pid) +
                      u") has no accessibility tree; is accessibility switched on?\n"_s);
        return ExitStatus::failure;
    }

    if (!focusAction) {
        TreePrinter printer{streams, depth};
        QList<AXElement> path;
        printer.print(root, 0, path);
        if (printer.skipped > 0)
            writeUtf8(streams.out, u"… %1 more elements not shown\n"_s.arg(printer.skipped));
        return ExitStatus::success;
    }

    const AXElement focused = root.element(AX::focusedUIElement);
    if (!focused) {
        writeUtf8(streams.err, prefix + app->applicationId + u" has no focused element\n"_s);
        return ExitStatus::failure;
    }
    const auto text = [](const std::optional<QString>& t) {
        return t ? QJsonValue(*t) : QJsonValue(QJsonValue::Null);
    };
    const auto role = focused.string(AX::role);
    const auto subrole = focused.string(AX::subrole);
    FieldTexts texts = readFieldTexts(focused);
    // What the user types into a password field is theirs alone.
    if (subrole == AX::secureTextFieldSubrole)
        texts.value.reset();
    QJsonObject json{{u"app"_s, app->applicationId},
                     {u"pid"_s, app->pid},
                     {u"role"_s, text(role)},
                     {u"subrole"_s, text(subrole)}};
    const QJsonObject fieldJson = texts.toJson();
    for (auto it = fieldJson.begin(); it != fieldJson.end(); ++it)
        json.insert(it.key(), it.value());
    json.insert(u"web"_s, isInsideWebPage(focused));

    if (parser.options().isSet(jsonOption)) {
        const QByteArray bytes = QJsonDocument(json).toJson(QJsonDocument::Compact);
        streams.out.write(bytes.constData(), bytes.size());
        streams.out << '\n';
        return ExitStatus::success;
    }
    for (const QString& key :
         {u"app"_s, u"pid"_s, u"role"_s, u"subrole"_s, u"label"_s, u"title"_s, u"description"_s,
          u"before"_s, u"picker"_s, u"placeholder"_s, u"value"_s, u"domId"_s, u"web"_s}) {
        const QJsonValue v = json.value(key);
        QString shown;
        if (v.isNull())
            shown = u"-"_s;
        else if (v.isBool())
            shown = v.toBool() ? u"true"_s : u"false"_s;
        else if (v.isDouble())
            shown = QString::number(qint64(v.toDouble()));
        else
            shown = quoted(v.toString());
        writeUtf8(streams.out, key + u": "_s + shown + u'\n');
    }
    return ExitStatus::success;
}
