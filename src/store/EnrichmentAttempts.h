#pragma once

#include <QHash>
#include <QString>
#include <QUuid>

// When each item was last read by enrichment, kept in the cache folder rather
// than the index: it is only a hint that saves work. Without it every start
// would fetch every link that has no preview again (many pages simply have
// none), and write a new icon each time. Losing the file costs one more round
// of fetching, nothing else. Main thread only.
class EnrichmentAttempts {
public:
    // path: the file to keep the record in; empty keeps it in memory only.
    // It is read when first needed, so a store that only reads items never
    // opens it.
    explicit EnrichmentAttempts(QString path);

    // True when the item was read less than retryAfterSeconds before now.
    bool triedRecently(const QUuid& id, double now) const;
    void record(const QUuid& id, double now);
    void forget(const QUuid& id);

    // Writes the record when it changed; true when it is on disk (or needs no file).
    bool save();

    static constexpr double retryAfterSeconds = 7 * 24 * 3600.0;

private:
    void load() const;

    QString path;
    mutable QHash<QUuid, double> lastTried;
    mutable bool loaded = false;
    bool dirty = false;
};
