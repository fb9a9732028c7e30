#pragma once

#include "chatblur/BlurSite.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <mutex>
#include <optional>

class UserDefaults;

// The sites whose chat lists are covered: the built-in table, the user's own
// sites and the set the user switched off, kept in the settings store.
// Changes happen on the main thread; site() may be called from any thread.
class BlurSiteStore : public QObject {
    Q_OBJECT
public:
    explicit BlurSiteStore(UserDefaults& defaults, QObject* parent = nullptr);

    static BlurSiteStore& shared();

    // The user's own sites, in the order added.
    const QList<BlurSite>& custom() const { return customSites; }
    // Hosts switched off (built-in or custom).
    const QSet<QString>& disabled() const { return disabledHosts; }
    bool isEnabled(const QString& host) const { return !disabledHosts.contains(host); }
    // Built-ins first, then the user's sites.
    QList<BlurSite> all() const;

    void setEnabled(bool enabled, const QString& host);
    // False when the address names no usable host or the host is listed
    // already (switched-off sites included).
    bool add(const QString& address, const QString& pattern);
    // Removes the user's site and forgets that it was switched off; built-in
    // sites cannot be removed.
    void remove(const QString& host);

    // The first site in force whose host is this host or a parent domain of
    // it. A site listed with a port also matches a host without one when the
    // page's port is given and equal (a page's host never carries its port).
    std::optional<BlurSite> site(const QString& host, std::optional<int> port = {}) const;

    // What the user typed, as a host: scheme, path and "www." taken off;
    // absent when it has no dot, holds white space or is too short.
    static std::optional<QString> cleanHost(const QString& address);

    // Where a stored value that could not be read is kept, so that saving
    // does not destroy it.
    static QString asideKey(const QString& key);

Q_SIGNALS:
    void changed();

private:
    void load();
    void save();
    void publish();

    UserDefaults& defaults;
    QList<BlurSite> customSites;
    QSet<QString> disabledHosts;
    mutable std::mutex lock;
    QList<BlurSite> active;
};
