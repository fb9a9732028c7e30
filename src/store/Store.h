#pragma once

#include "store/DataFolderLock.h"
#include "store/EnrichmentAttempts.h"
#include "store/Item.h"
#include "store/ItemChanges.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <atomic>
#include <memory>
#include <mutex>
#include <optional>

class AutoCategorizer;
class Clock;
class ContentEnricher;
class IndexJournal;
class IndexWriter;
class SerialQueue;
struct Enrichment;

// The single owner of every kept item: the list in memory (newest first), the
// data folder with its "Files" folder and "items.json", and the hand-over of
// new files, images and links to content enrichment. All operations run on
// the main thread; every change is written to the index.
//
// Only the process holding the data folder's lock may change it. A store that
// does not hold it (read-only, or still waiting for another process to let
// go) changes nothing: every keep answers a failure and every other change is
// refused, so nothing is shown as kept that would be gone at quit.
class Store : public QObject {
    Q_OBJECT
public:
    struct Options {
        QString applicationSupport; // the folder that holds "Lumavex"
        Clock* clock = nullptr;
        const AutoCategorizer* categorizer = nullptr;
        std::shared_ptr<ContentEnricher> enricher; // none: items are not enriched
        // Where enrichment attempts are remembered (see EnrichmentAttempts);
        // empty: not remembered, every open hands over everything unread.
        QString cacheFolder;
        bool readOnly = false; // read the index only: no lock, no move, no writes
        int lockTimeoutMs = 5000;
        // When the lock stays busy past the timeout, open as a reader anyway
        // and become the writer as soon as the lock is free (the desktop app).
        bool waitForLock = false;
        int lockRetryMs = 250;
        // Hand unread items to enrichment as the store opens (see
        // reindexMissingPreviews); a command that keeps one item does not.
        bool enrichAtOpen = true;
        // Items get at once the category found without a language model; the
        // model's answer (slow, and slower still while the model loads) is
        // worked out on a thread of its own and merged when it comes, unless
        // the item changed meanwhile. The desktop app, whose interface
        // thread must not wait; a command categorises in place.
        bool meaningInBackground = false;
    };

    // Opens the store of options.applicationSupport. A writable store first
    // takes the data folder's lock; null with error set when another process
    // keeps it beyond the timeout (unless options.waitForLock).
    static std::unique_ptr<Store> open(Options options, QString* error = nullptr);

    // The process's store, created on first use with the platform's services.
    static Store& shared();

    ~Store() override;

    const QList<Item>& items() const { return itemList; }
    const QString& root() const { return rootDir; }
    const QString& filesDir() const { return filesFolder; }
    const QString& indexFile() const { return indexPath; }
    bool isReadOnly() const { return readOnly; }
    // True when changes are stored: the lock is held and the index can be
    // written without destroying an unreadable one.
    bool isWritable() const { return !readOnly && !writesBlocked; }
    // Why nothing can be stored now, in a few words; empty while writable.
    QString writeRefusal() const;
    // Where an unreadable index was moved at start, if that happened.
    const std::optional<QString>& setAsideIndex() const { return setAsidePath; }
    // Where a journal with unreadable lines was copied at start, if that
    // happened.
    const std::optional<QString>& setAsideJournal() const { return setAsideJournalPath; }

    // True: a new item; false: an existing one was bumped, or nothing could be
    // stored (see isWritable).
    bool addText(const QString& text, const std::optional<QString>& source);
    bool addLink(const QUrl& url, const std::optional<QString>& source);
    // True when the image was stored; otherwise failure says why.
    bool addImage(const QImage& image, const std::optional<QString>& source,
                  QString* failure = nullptr);
    // One item per file or folder that was copied whole; the answer names,
    // one line each, those that could not be (no item is made for them).
    QStringList addFiles(const QList<QUrl>& fileURLs, const std::optional<QString>& source);
    // The item's stored files are deleted once the index without it is on disk.
    void remove(const Item& item);

    void addTag(const QString& name, const QUuid& id);
    void removeTag(const QString& name, const QUuid& id);
    void toggleTag(const QString& name, const QUuid& id);
    void resetToAuto(const QUuid& id);

    struct AutoSortCounts {
        int sorted = 0;
        int changed = 0;
    };
    AutoSortCounts autoSortAll();

    QStringList allTags() const;
    std::optional<QString> canonicalTag(const QString& raw) const;

    // The item with this id, if any.
    const Item* item(const QUuid& id) const;

    // The revision of the item's present content (see ItemRevision); 0 for
    // an id the store does not hold.
    quint64 revision(const QUuid& id) const;

    static bool isImageFile(const QString& path);

    // The path of a stored file name inside "Files"; empty for a name that is
    // not a plain name (see isPlainStoredName).
    QString storedFilePath(const QString& name) const;

    // Categorises items without a category, then hands to enrichment every
    // item still lacking what it gives (a link's or file's preview, an image's
    // text) that was not tried in the last days.
    void reindexMissingPreviews();

    // Hands every item lacking what enrichment gives to it, also those tried
    // recently (the user asked). The number handed over.
    int enrichMissing();

    // Blocks until every change so far is durably on disk, in the index
    // itself. True on success.
    bool flush();
    // True once every change so far is safe from a crash: appended to the
    // journal when it was made, or else written in the index (which this
    // then waits for). What a command waits for before it answers.
    bool ensureDurable();

    // Items handed to enrichment whose results have not been merged yet.
    int pendingEnrichments() const { return enrichmentsInFlight; }
    // Items whose category is being worked out in the background.
    int pendingCategories() const { return int(categoryPending.size()); }

    // Merges what enrichment found into the item with the same id.
    void applyEnrichment(const Enrichment& enrichment);

    // A category worked out in the background for the item at a revision.
    struct FoundCategory {
        QUuid id;
        quint64 revision = 0;
        std::optional<QString> category;
    };

Q_SIGNALS:
    // Emitted after every change of items(), saying what changed; then
    // changed() follows.
    void itemsChanged(const ItemChanges& changes);
    // Emitted after every change of items().
    void changed();
    // Emitted on the main thread when the last pending enrichment was merged.
    void enrichmentIdle();
    // Emitted once a store that waited for the lock has become the writer.
    void becameWritable();

private:
    Store(Options options, QString root, DataFolderLock lock);

    // Reads the index and replays the journal over it; the journal's entries
    // applied.
    int load();
    // Appends a change to the journal; false when it is not there.
    bool journalChanges(const ItemChanges& changes);
    void persist(const ItemChanges& changes, QStringList obsoleteFiles = {});
    // Gives the item a new revision and answers it.
    ItemRevision touch(const QUuid& id);
    // The notice of one item's new content, with its new revision.
    ItemChanges changeOf(const QUuid& id);
    void startWriting();
    void categorizeMissing();
    void tryBecomeWriter();
    int handOverUnenriched(bool includeRecentlyTried);
    static bool lacksEnrichment(const Item& item);
    QString storedPathOf(const std::optional<QString>& name) const;
    void index(const Item& item);
    void bump(qsizetype position);
    void insertFront(Item item);
    std::optional<QString> copyIntoStore(const QUrl& fileURL, QString* failure);
    std::optional<QString> categorize(const Item& item) const;
    // The category the item gets now; when its model answer is left to the
    // background (meaningInBackground), the item's id joins later.
    std::optional<QString> categoryNow(const Item& item, QList<QUuid>& later) const;
    void categorizeLater(const QList<QUuid>& ids);
    void mergeFoundCategories();
    qsizetype positionOf(const QUuid& id) const;
    double now() const;
    void enrichmentDone(const QUuid& id);

    Options options;
    QString rootDir;
    QString filesFolder;
    QString indexPath;
    bool readOnly = false;
    bool writesBlocked = false;
    std::optional<QString> setAsidePath;
    std::optional<QString> setAsideJournalPath;
    QList<Item> itemList;
    // Every item's revision: the grid asks for each entry's on every layout.
    QHash<QUuid, quint64> revisions;
    quint64 lastRevision = 0;
    DataFolderLock folderLock;
    // Small changes are safe once journaled; a larger one (a re-sort of
    // everything) or a failed append waits for the index (unjournaled).
    std::unique_ptr<IndexJournal> journal;
    bool unjournaled = false;
    std::unique_ptr<IndexWriter> writer;
    // A snapshot handed to the writer shares the item list, so the change
    // after it copies the whole list. Journaled changes are safe already: the
    // writer gets the first at once and the rest of a burst together once
    // per indexSpacing, so a burst copies the list a few times a second
    // rather than once per change.
    void handOverIndex();
    QTimer indexSpacing;
    bool indexOwed = false;
    QStringList owedObsolete;
    std::unique_ptr<SerialQueue> extractionQueue;
    int enrichmentsInFlight = 0;
    QHash<QUuid, int> enriching; // ids handed over and not merged yet
    // The model's answers: asked on their own queue, handed back through
    // foundCategories under categoryLock, merged only while the item is at
    // the revision it was asked for (categoryPending).
    std::unique_ptr<SerialQueue> categoryQueue;
    std::shared_ptr<std::atomic<bool>> categoryStop = std::make_shared<std::atomic<bool>>(false);
    std::mutex categoryLock;
    QList<FoundCategory> foundCategories;
    QHash<QUuid, quint64> categoryPending;
    EnrichmentAttempts attempts;
    QTimer attemptsSaver;
    QTimer lockRetry;
};
