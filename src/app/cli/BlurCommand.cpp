#include "app/cli/BlurCommand.h"

#include "app/cli/CommandParser.h"
#include "app/cli/CommandStreams.h"
#include "chatblur/BlurSiteStore.h"
#include "chatblur/ChatLocator.h"
#include "platform/Accessibility.h"
#include "platform/FrontmostApplication.h"
#include "platform/Platform.h"

#include <ostream>

using namespace Qt::StringLiterals;

namespace {

const QStringList kChangingActions{u"add"_s, u"remove"_s, u"enable"_s, u"disable"_s};

QString rectsJson(const QList<QRect>& rects) {
    QStringList parts;
    for (const QRect& r : rects)
        parts.append(u"[%1,%2,%3,%4]"_s.arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()));
    return u'[' + parts.join(u',') + u']';
}

// A host as typed on the command line: "Dev.Local:8080" → ("dev.local", 8080).
std::pair<QString, std::optional<int>> hostAndPort(const QString& typed) {
    const QString host = typed.trimmed().toLower();
    const qsizetype colon = host.lastIndexOf(u':');
    if (colon > 0) {
        bool ok = false;
        const int port = host.mid(colon + 1).toInt(&ok);
        if (ok && port > 0 && port <= 65535)
            return {host.left(colon), port};
    }
    return {host, std::nullopt};
}

// The listed site a command names: its host as stored, or what cleanHost
// makes of an address ("https://www.chatgpt.com/").
std::optional<BlurSite> listedSite(const BlurSiteStore& store, const QString& typed) {
    const QString exact = typed.trimmed().toLower();
    const std::optional<QString> cleaned = BlurSiteStore::cleanHost(typed);
    for (const BlurSite& site : store.all()) {
        if (site.host == exact || (cleaned && site.host == *cleaned))
            return site;
    }
    return std::nullopt;
}

} // namespace

BlurCommand::BlurCommand(BlurSiteStore* store, Accessibility* accessibility,
                         FrontmostApplication* applications, const Environment* environment)
    : store(store), accessibility(accessibility), applications(applications),
      environment(environment) {}

QString BlurCommand::name() const {
    return u"blur"_s;
}

QString BlurCommand::summary() const {
    return u"List, add and switch the chat sites whose chat titles are blurred."_s;
}

bool BlurCommand::changesDataWith(const QStringList& arguments) const {
    for (const QString& argument : arguments) {
        if (!argument.startsWith(u'-'))
            return kChangingActions.contains(argument);
    }
    return false;
}

int BlurCommand::run(const QStringList& arguments, CommandStreams& streams) {
    CommandParser parser(
        name(),
        summary() + u"\n  sites [--json]         every site, built-in ones first, with its switch\n"
                    "  add ADDRESS [PATTERN]  add a site; PATTERN is what its chat links contain\n"
                    "  remove HOST            remove a site you added\n"
                    "  enable HOST            blur the site's chat list\n"
                    "  disable HOST           stop blurring the site's chat list\n"
                    "  site HOST              the site a page on HOST belongs to, as JSON\n"
                    "  scan [--pid PID] --json  what would be covered in the browser now\n"
                    "                         (screen pixels, origin top-left)"_s,
        u"ACTION [ARGUMENTS]"_s);
    const QCommandLineOption jsonOption(u"json"_s, u"Print JSON."_s);
    const QCommandLineOption pidOption(u"pid"_s, u"scan: read the browser of process PID."_s,
                                       u"PID"_s);
    parser.options().addOption(jsonOption);
    parser.options().addOption(pidOption);
    if (std::optional<int> status = parser.parse(arguments, streams))
        return *status;
    const QStringList positional = parser.options().positionalArguments();
    if (positional.isEmpty())
        return parser.usageError(u"say sites, add, remove, enable, disable, site or scan"_s,
                                 streams);
    const QString action = positional[0];
    const QStringList rest = positional.mid(1);
    const bool json = parser.options().isSet(jsonOption);
    if (parser.options().isSet(pidOption) && action != u"scan"_s)
        return parser.usageError(u"--pid is for scan"_s, streams);
    if (json && action != u"sites"_s && action != u"scan"_s)
        return parser.usageError(u"--json is for sites and scan"_s, streams);
    if (action == u"scan"_s) {
        if (!rest.isEmpty())
            return parser.usageError(u"scan takes no arguments"_s, streams);
        std::optional<qint64> pid;
        if (parser.options().isSet(pidOption)) {
            bool ok = false;
            pid = parser.options().value(pidOption).toLongLong(&ok);
            if (!ok || *pid <= 0)
                return parser.usageError(u"--pid needs a process id"_s, streams);
        }
        return scan(pid, json, streams);
    }

    BlurSiteStore& sites = store ? *store : BlurSiteStore::shared();
    const QString prefix = u"tovik blur "_s + action + u": "_s;
    if (action == u"sites"_s) {
        if (!rest.isEmpty())
            return parser.usageError(u"sites takes no arguments"_s, streams);
        const QList<BlurSite> all = sites.all();
        if (json) {
            QByteArray text = "[";
            for (qsizetype i = 0; i < all.size(); ++i)
                text +=
                    (i ? "," : "") + all[i].toJson({{u"enabled"_s, sites.isEnabled(all[i].host)}});
            writeUtf8(streams.out, QString::fromUtf8(text + "]\n"));
            return ExitStatus::success;
        }
        for (const BlurSite& site : all) {
            writeUtf8(streams.out,
                      u"%1  %2  %3  %4%5\n"_s.arg(
                          sites.isEnabled(site.host) ? u"on "_s : u"off"_s, site.name, site.host,
                          site.paths.isEmpty() ? u"(default links)"_s : site.paths.join(u' '),
                          site.builtIn ? QString() : u"  (yours)"_s));
        }
        return ExitStatus::success;
    }
    if (action == u"add"_s) {
        if (rest.isEmpty() || rest.size() > 2)
            return parser.usageError(u"add takes an ADDRESS and an optional PATTERN"_s, streams);
        if (!sites.add(rest[0], rest.value(1))) {
            // The same words the page shows.
            writeUtf8(streams.err, BlurSiteStore::cleanHost(rest[0])
                                       ? u"That site is already in the list.\n"_s
                                       : u"That does not look like a website address.\n"_s);
            return ExitStatus::failure;
        }
        writeUtf8(streams.out, QString::fromUtf8(sites.custom().last().toJson() + "\n"));
        return ExitStatus::success;
    }
    if (action == u"remove"_s || action == u"enable"_s || action == u"disable"_s ||
        action == u"site"_s) {
        if (rest.size() != 1)
            return parser.usageError(action + u" takes one HOST"_s, streams);
    } else {
        return parser.usageError(u"unknown action "_s + quoted(action), streams);
    }

    if (action == u"site"_s) {
        const auto [host, port] = hostAndPort(rest[0]);
        const std::optional<BlurSite> site = sites.site(host, port);
        if (!site)
            return ExitStatus::failure;
        writeUtf8(streams.out, QString::fromUtf8(site->toJson() + "\n"));
        return ExitStatus::success;
    }

    const std::optional<BlurSite> site = listedSite(sites, rest[0]);
    if (!site) {
        // A switched-off mark can outlive its site (a settings file edited
        // by hand); removing or enabling it still cleans it up.
        const QString host = rest[0].trimmed().toLower();
        if (action != u"disable"_s && sites.disabled().contains(host)) {
            if (action == u"remove"_s)
                sites.remove(host);
            else
                sites.setEnabled(true, host);
            return ExitStatus::success;
        }
        writeUtf8(streams.err, prefix + u"no site "_s + quoted(rest[0]) +
                                   u" in the list (see 'tovik blur sites')\n"_s);
        return ExitStatus::failure;
    }
    if (action == u"remove"_s) {
        if (site->builtIn) {
            writeUtf8(streams.err,
                      prefix + site->name + u" is built in and can only be disabled\n"_s);
            return ExitStatus::failure;
        }
        sites.remove(site->host);
    } else {
        sites.setEnabled(action == u"enable"_s, site->host);
    }
    return ExitStatus::success;
}

int BlurCommand::scan(std::optional<qint64> pid, bool json, CommandStreams& streams) {
    Accessibility& a11y = accessibility ? *accessibility : Platform::current().accessibility();
    FrontmostApplication& apps =
        applications ? *applications : Platform::current().frontmostApplication();
    const Environment& env =
        environment ? *environment : std::as_const(Platform::current().environment());
    BlurSiteStore& sites = store ? *store : BlurSiteStore::shared();
    const QString prefix = u"tovik blur scan: "_s;

    if (!a11y.isReachable()) {
        writeUtf8(streams.err, prefix + u"no accessibility bus: switch accessibility on for the "
                                        "session (see the README) and try again\n"_s);
        return ExitStatus::failure;
    }
    if (pid && !apps.running(*pid)) {
        writeUtf8(streams.err, prefix + u"no process "_s + QString::number(*pid) + u'\n');
        return ExitStatus::failure;
    }
    ChatLocator locator(a11y, apps, env, [&sites](const QString& host, std::optional<int> port) {
        return sites.site(host, port);
    });
    if (pid)
        locator.setWatchedPid(*pid);
    const ChatCover cover = locator.locateChats();
    if (json) {
        writeUtf8(streams.out, u"{\"rows\":"_s + rectsJson(cover.rows) + u",\"blocks\":"_s +
                                   rectsJson(cover.blocks) + u"}\n"_s);
        return ExitStatus::success;
    }
    writeUtf8(streams.out, u"site %1: %2 rows, %3 blocks\n"_s
                               .arg(locator.webHost().isEmpty() ? u"-"_s : locator.webHost())
                               .arg(cover.rows.size())
                               .arg(cover.blocks.size()));
    for (const QRect& r : cover.blocks)
        writeUtf8(streams.out,
                  u"block %1,%2 %3×%4\n"_s.arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()));
    for (const QRect& r : cover.rows)
        writeUtf8(streams.out,
                  u"row %1,%2 %3×%4\n"_s.arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()));
    return ExitStatus::success;
}
