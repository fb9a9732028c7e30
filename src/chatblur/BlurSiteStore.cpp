#include "chatblur/BlurSiteStore.h"

#include "common/SharedInstance.h"
#include "platform/DefaultsKeys.h"
#include "platform/UserDefaults.h"

using namespace Qt::StringLiterals;

namespace {

bool hostMatches(const QString& host, const QString& siteHost) {
    return host == siteHost || (host.size() > siteHost.size() + 1 && host.endsWith(siteHost) &&
                                host[host.size() - siteHost.size() - 1] == u'.');
}

// "dev.local:8080" → ("dev.local", 8080); a host without a port has none.
std::pair<QString, std::optional<int>> splitPort(const QString& host) {
    const qsizetype colon = host.lastIndexOf(u':');
    if (colon <= 0)
        return {host, std::nullopt};
    bool ok = false;
    const int port = host.mid(colon + 1).toInt(&ok);
    if (!ok || port <= 0 || port > 65535)
        return {host, std::nullopt};
    return {host.left(colon), port};
}

} // namespace

BlurSiteStore::BlurSiteStore(UserDefaults& defaults, QObject* parent)
    : QObject(parent), defaults(defaults) {
    load();
    publish();
}

BlurSiteStore& BlurSiteStore::shared() {
    return SharedInstance<BlurSiteStore>::get();
}

QString BlurSiteStore::asideKey(const QString& key) {
    return key + u".unreadable"_s;
}

void BlurSiteStore::load() {
    if (const std::optional<QVariant> stored = defaults.object(DefaultsKeys::blurCustomSites)) {
        std::optional<QList<BlurSite>> sites;
        if (stored->typeId() == QMetaType::QByteArray)
            sites = BlurSite::listFromJson(stored->toByteArray());
        if (sites)
            customSites = *sites;
        else
            // The next save would overwrite what the user had: keep it.
            defaults.set(asideKey(DefaultsKeys::blurCustomSites), *stored);
    }
    if (const std::optional<QVariant> stored = defaults.object(DefaultsKeys::blurDisabledSites)) {
        if (stored->typeId() == QMetaType::QStringList) {
            const QStringList hosts = stored->toStringList();
            disabledHosts = QSet<QString>(hosts.begin(), hosts.end());
        } else {
            defaults.set(asideKey(DefaultsKeys::blurDisabledSites), *stored);
        }
    }
}

void BlurSiteStore::save() {
    defaults.set(DefaultsKeys::blurCustomSites, BlurSite::listToJson(customSites));
    QStringList hosts(disabledHosts.begin(), disabledHosts.end());
    hosts.sort();
    defaults.set(DefaultsKeys::blurDisabledSites, hosts);
    publish();
    Q_EMIT changed();
}

void BlurSiteStore::publish() {
    QList<BlurSite> sites;
    for (const BlurSite& site : all()) {
        if (!disabledHosts.contains(site.host))
            sites.append(site);
    }
    const std::lock_guard guard(lock);
    active.swap(sites);
}

QList<BlurSite> BlurSiteStore::all() const {
    return BlurSite::builtIns() + customSites;
}

void BlurSiteStore::setEnabled(bool enabled, const QString& host) {
    if (enabled)
        disabledHosts.remove(host);
    else
        disabledHosts.insert(host);
    save();
}

bool BlurSiteStore::add(const QString& address, const QString& pattern) {
    const std::optional<QString> host = cleanHost(address);
    if (!host)
        return false;
    for (const BlurSite& site : all()) {
        if (site.host == *host)
            return false;
    }
    BlurSite site{*host, *host, {}, false};
    // Only spaces are taken off the pattern: the user may mean a tab.
    qsizetype first = 0;
    qsizetype last = pattern.size();
    while (first < last && pattern[first] == u' ')
        ++first;
    while (last > first && pattern[last - 1] == u' ')
        --last;
    const QString path = pattern.mid(first, last - first);
    if (!path.isEmpty())
        site.paths.append(path.startsWith(u'/') ? path : u'/' + path);
    customSites.append(site);
    save();
    return true;
}

void BlurSiteStore::remove(const QString& host) {
    customSites.removeIf([&](const BlurSite& site) { return site.host == host; });
    disabledHosts.remove(host);
    save();
}

std::optional<BlurSite> BlurSiteStore::site(const QString& host, std::optional<int> port) const {
    QList<BlurSite> sites;
    {
        const std::lock_guard guard(lock);
        sites = active;
    }
    for (const BlurSite& site : sites) {
        if (hostMatches(host, site.host))
            return site;
        if (!port)
            continue;
        const auto [siteHost, sitePort] = splitPort(site.host);
        if (sitePort && *sitePort == *port && hostMatches(host, siteHost))
            return site;
    }
    return std::nullopt;
}

std::optional<QString> BlurSiteStore::cleanHost(const QString& address) {
    QString text = address.trimmed().toLower();
    if (const qsizetype scheme = text.indexOf(u"://"); scheme >= 0)
        text = text.mid(scheme + 3);
    if (const qsizetype slash = text.indexOf(u'/'); slash >= 0)
        text = text.left(slash);
    if (text.startsWith(u"www."))
        text = text.mid(4);
    const bool hasSpace =
        std::any_of(text.begin(), text.end(), [](QChar c) { return c.isSpace(); });
    if (!text.contains(u'.') || hasSpace || text.size() <= 3)
        return std::nullopt;
    return text;
}
