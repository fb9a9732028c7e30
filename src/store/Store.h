#pragma once

#include "store/DataFolderLock.h"
#include "store/Item.h"
#include "store/SaveResult.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

#include <memory>
#include <optional>

class Categorizer;
class Clock;
class ContentEnricher;
class IndexWriter;
class SerialQueue;
struct ClipContent;
struct Enrichment;

// The single owner of every kept item: the list in memory (newest first), the
// data folder with its "Files" folder and "items.json", and the hand-over of
// new files, images and links to content enrichment. All operations run on
// the main thread; every change is written to the index.
class Store : public QObject {
    Q_OBJECT
public:
    struct Options {
        QString applicationSupport;  // the folder that holds "Lumavex"
        Clock* clock = nullptr;
        const Categorizer* categorizer = nullptr;
        std::shared_ptr<ContentEnricher> enricher; // none: items are not enriched
        bool readOnly = false;  // read the index only: no lock, no move, no writes
        int lockTimeoutMs = 5000;
    };

    // Opens the store of options.applicationSupport. A writable store first
    // takes the data folder's lock; null with error set when another process
    // keeps it beyond the timeout.
    static std::unique_ptr<Store> open(Options options, QString* error = nullptr);

    // The process's store, created on first use with the platform's services.
    static Store& shared();

    ~Store() override;

    const QList<Item>& items() const { return itemList; }
    const QString& root() const { return rootDir; }
    const QString& filesDir() const { return filesFolder; }
    const QString& indexFile() const { return indexPath; }
    bool isReadOnly() const { return readOnly; }
    // Where an unreadable index was moved at start, if that happened.
    const std::optional<QString>& setAsideIndex() const { return setAsidePath; }

    SaveResult save(const ClipContent& clip, const std::optional<QString>& tag);
    bool addText(const QString& text, const std::optional<QString>& source);
    bool addLink(const QUrl& url, const std::optional<QString>& source);
    void addImage(const QImage& image, const std::optional<QString>& source);
    void addFiles(const QList<QUrl>& fileURLs, const std::optional<QString>& source);
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

    static bool isImageFile(const QString& path);

    // The path of a stored file name inside "Files"; empty for a name that is
    // not a plain name (see isPlainStoredName).
    QString storedFilePath(const QString& name) const;

    void reindexMissingPreviews();

    // Blocks until every change so far is durably on disk. True on success.
    bool flush();

    // Items handed to enrichment whose results have not been merged yet.
    int pendingEnrichments() const { return enrichmentsInFlight; }

    // Merges what enrichment found into the item with the same id.
    void applyEnrichment(const Enrichment& enrichment);

Q_SIGNALS:
    // Emitted after every change of items().
    void changed();
    // Emitted on the main thread when the last pending enrichment was merged.
    void enrichmentIdle();

private:
    Store(Options options, QString root, DataFolderLock lock);

    void load();
    void persist();
    void index(const Item& item);
    void bump(qsizetype position);
    void insertFront(Item item);
    std::optional<QString> copyIntoStore(const QUrl& fileURL);
    std::optional<QString> categorize(const Item& item) const;
    qsizetype positionOf(const QUuid& id) const;
    double now() const;
    void enrichmentDone();

    Options options;
    QString rootDir;
    QString filesFolder;
    QString indexPath;
    bool readOnly = false;
    bool writesBlocked = false;
    std::optional<QString> setAsidePath;
    QList<Item> itemList;
    DataFolderLock folderLock;
    std::unique_ptr<IndexWriter> writer;
    std::unique_ptr<SerialQueue> extractionQueue;
    int enrichmentsInFlight = 0;
};
