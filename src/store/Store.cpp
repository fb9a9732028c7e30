#include "store/Store.h"

#include "capture/ClipContent.h"
#include "common/Graphemes.h"
#include "common/ReferenceDate.h"
#include "common/SerialQueue.h"
#include "organise/Categorizer.h"
#include "platform/Clock.h"
#include "platform/Platform.h"
#include "store/ContentEnricher.h"
#include "store/ContentEnricherFactory.h"
#include "store/DataFolder.h"
#include "store/IndexFile.h"
#include "store/IndexWriter.h"
#include "store/StoredFileName.h"
#include "store/TagName.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QMimeDatabase>
#include <QPointer>
#include <QRegularExpression>
#include <QSet>

using namespace Qt::StringLiterals;

namespace {

QString freshId() {
    return idString(QUuid::createUuid());
}

// "Dec 8, 2026" style: the locale's long date without the weekday and with
// abbreviated month names, which is what a medium date style shows.
QString mediumDateFormat(const QLocale& locale) {
    QString format = locale.dateFormat(QLocale::LongFormat);
    format.remove(QRegularExpression(u"d{4}[,.]?\\s*"_s));
    format.replace(u"MMMM"_s, u"MMM"_s);
    return format.trimmed();
}

bool copyRecursively(const QString& from, const QString& to) {
    const QFileInfo source(from);
    if (!source.isDir() || source.isSymLink())
        return QFile::copy(from, to);
    if (!QDir().mkpath(to))
        return false;
    QDirIterator it(from, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    while (it.hasNext()) {
        const QString entry = it.next();
        if (!copyRecursively(entry, to + u'/' + it.fileName()))
            return false;
    }
    return true;
}

void removeStoredPath(const QString& path) {
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink())
        QDir(path).removeRecursively();
    else
        QFile::remove(path);
}

std::optional<QString> firstDisplayTag(const QList<Item>& items) {
    if (items.isEmpty())
        return std::nullopt;
    const QStringList tags = items.first().displayTags();
    if (tags.isEmpty())
        return std::nullopt;
    return tags.first();
}

} // namespace

std::unique_ptr<Store> Store::open(Options options, QString* error) {
    const QString root = DataFolder::root(options.applicationSupport, !options.readOnly);
    DataFolderLock lock;
    if (!options.readOnly) {
        QDir().mkpath(root + u"/Files"_s);
        lock = DataFolderLock::acquire(root, options.lockTimeoutMs, error);
        if (!lock.locked())
            return nullptr;
    }
    return std::unique_ptr<Store>(new Store(std::move(options), root, std::move(lock)));
}

Store& Store::shared() {
    static const std::unique_ptr<Store> store = [] {
        Platform& platform = Platform::current();
        Options options;
        options.applicationSupport = DataFolder::applicationSupport(platform.environment());
        options.clock = &platform.clock();
        options.categorizer = &Categorizer::shared();
        options.enricher = makeContentEnricher();
        std::unique_ptr<Store> opened = Store::open(options);
        if (!opened) {
            // Another process writes the folder: show its items, change nothing.
            options.readOnly = true;
            opened = Store::open(options);
        }
        return opened;
    }();
    return *store;
}

Store::Store(Options options, QString root, DataFolderLock lock)
    : options(std::move(options)), rootDir(std::move(root)), folderLock(std::move(lock)) {
    readOnly = this->options.readOnly;
    filesFolder = rootDir + u"/Files"_s;
    indexPath = rootDir + u"/items.json"_s;
    if (!readOnly) {
        writer = std::make_unique<IndexWriter>(indexPath);
        extractionQueue = std::make_unique<SerialQueue>(u"lumavex.extract"_s);
    }
    load();
    if (!readOnly)
        reindexMissingPreviews();
}

Store::~Store() {
    // Stop enrichment first: its queued results refer to this store.
    extractionQueue.reset();
    if (writer)
        writer->flush();
}

double Store::now() const {
    return ReferenceDate::secondsFrom(options.clock->now());
}

void Store::load() {
    IndexFile::ReadResult read = IndexFile::read(indexPath, options.clock->now(), !readOnly);
    itemList = std::move(read.items);
    setAsidePath = read.setAsidePath;
    writesBlocked = read.blocked;
}

void Store::persist() {
    Q_EMIT changed();
    if (readOnly || writesBlocked)
        return;
    writer->write(itemList);
}

bool Store::flush() {
    if (readOnly || writesBlocked)
        return false;
    return writer->flush();
}

qsizetype Store::positionOf(const QUuid& id) const {
    for (qsizetype i = 0; i < itemList.size(); ++i) {
        if (itemList[i].id == id)
            return i;
    }
    return -1;
}

const Item* Store::item(const QUuid& id) const {
    const qsizetype at = positionOf(id);
    return at < 0 ? nullptr : &itemList[at];
}

std::optional<QString> Store::categorize(const Item& item) const {
    const std::optional<QString> url =
        item.kind == ItemKind::link ? std::optional<QString>(item.detail) : std::nullopt;
    return options.categorizer->categorize(item.title, item.text, url);
}

void Store::insertFront(Item item) {
    itemList.prepend(std::move(item));
}

void Store::bump(qsizetype position) {
    Item item = itemList.takeAt(position);
    item.savedAt = now();
    itemList.prepend(std::move(item));
    persist();
}

SaveResult Store::save(const ClipContent& clip, const std::optional<QString>& tag) {
    QSet<QUuid> before;
    before.reserve(itemList.size());
    for (const Item& item : std::as_const(itemList))
        before.insert(item.id);

    SaveResult result;
    if (!clip.fileURLs.isEmpty()) {
        addFiles(clip.fileURLs, clip.sourceApp);
    } else if (clip.image) {
        addImage(*clip.image, clip.sourceApp);
    } else if (clip.url) {
        result.isNew = addLink(*clip.url, clip.sourceApp);
    } else if (clip.string && !clip.string->isEmpty()) {
        result.isNew = addText(*clip.string, clip.sourceApp);
    } else {
        return result;
    }

    if (tag) {
        QList<QUuid> added;
        for (const Item& item : std::as_const(itemList)) {
            if (!before.contains(item.id))
                added.append(item.id);
        }
        if (added.isEmpty() && !itemList.isEmpty())
            added.append(itemList.first().id);
        for (const QUuid& id : added)
            addTag(*tag, id);
    }
    result.tag = firstDisplayTag(itemList);
    return result;
}

bool Store::addText(const QString& text, const std::optional<QString>& source) {
    const QString trimmed = text.trimmed();
    // Nothing to keep; an empty note would only be clutter.
    if (trimmed.isEmpty())
        return false;
    for (qsizetype i = 0; i < itemList.size(); ++i) {
        if (itemList[i].kind == ItemKind::text && itemList[i].text == trimmed) {
            bump(i);
            return false;
        }
    }
    const qsizetype lineFeed = trimmed.indexOf(u'\n');
    const QString line = lineFeed < 0 ? trimmed : trimmed.left(lineFeed);

    Item item;
    item.id = QUuid::createUuid();
    item.kind = ItemKind::text;
    item.title = Graphemes::hasAtLeast(line, 71) ? Graphemes::prefix(line, 70) + u"…"_s : line;
    item.detail = u"Text snippet"_s;
    item.text = trimmed;
    item.savedAt = now();
    item.source = source;
    item.category = options.categorizer->categorize(item.title, trimmed, std::nullopt);
    insertFront(std::move(item));
    persist();
    return true;
}

bool Store::addLink(const QUrl& url, const std::optional<QString>& source) {
    const QString absolute = url.toString(QUrl::FullyEncoded);
    for (qsizetype i = 0; i < itemList.size(); ++i) {
        if (itemList[i].kind == ItemKind::link && itemList[i].detail == absolute) {
            bump(i);
            return false;
        }
    }
    Item item;
    item.id = QUuid::createUuid();
    item.kind = ItemKind::link;
    item.title = hostOrAbsoluteString(url);
    item.detail = absolute;
    item.source = source;
    item.savedAt = now();
    item.category = options.categorizer->categorize(item.title, std::nullopt, absolute);
    insertFront(item);
    persist();
    index(item);
    return true;
}

void Store::addImage(const QImage& image, const std::optional<QString>& source) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, "PNG"))
        return;
    const QString name = freshId() + u".png"_s;
    QFile file(filesFolder + u'/' + name);
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        file.write(png);
    file.close();

    const QLocale locale;
    const QDateTime local = options.clock->now().toLocalTime();
    Item item;
    item.id = QUuid::createUuid();
    item.kind = ItemKind::image;
    item.title = u"Image · "_s + locale.toString(local.date(), mediumDateFormat(locale)) + u" "_s +
                 locale.toString(local.time(), QLocale::ShortFormat);
    item.detail = u"Copied image"_s;
    item.fileName = name;
    item.source = source;
    item.savedAt = now();
    insertFront(item);
    persist();
    index(item);
}

bool Store::isImageFile(const QString& path) {
    static const QMimeDatabase database;
    const QMimeType type = database.mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    return type.isValid() && type.name().startsWith(u"image/"_s);
}

std::optional<QString> Store::copyIntoStore(const QUrl& fileURL) {
    const QString path = QDir::cleanPath(fileURL.toLocalFile());
    const QString name = freshId() + u"-"_s + QFileInfo(path).fileName();
    const QString target = filesFolder + u'/' + name;
    if (!copyRecursively(path, target)) {
        removeStoredPath(target); // no half copies left behind
        return std::nullopt;
    }
    return name;
}

void Store::addFiles(const QList<QUrl>& fileURLs, const std::optional<QString>& source) {
    for (const QUrl& url : fileURLs) {
        const QString path = QDir::cleanPath(url.toLocalFile());
        const QFileInfo info(path);
        Item item;
        item.id = QUuid::createUuid();
        item.kind = isImageFile(path) ? ItemKind::image : ItemKind::file;
        item.title = info.fileName();
        item.detail = info.absolutePath();
        item.fileName = copyIntoStore(url);
        item.source = source;
        item.savedAt = now();
        insertFront(item);
        persist();
        index(item);
    }
}

QString Store::storedFilePath(const QString& name) const {
    if (!isPlainStoredName(name))
        return {};
    return filesFolder + u'/' + name;
}

void Store::remove(const Item& item) {
    for (const std::optional<QString>& name : {item.fileName, item.thumbFileName, item.iconFileName}) {
        if (!name || name->isEmpty())
            continue;
        const QString path = storedFilePath(*name);
        if (!path.isEmpty() && !readOnly)
            removeStoredPath(path);
    }
    itemList.removeIf([&item](const Item& candidate) { return candidate.id == item.id; });
    persist();
}

std::optional<QString> Store::canonicalTag(const QString& raw) const {
    const std::optional<QString> cleaned = TagName::clean(raw);
    if (!cleaned)
        return std::nullopt;
    for (const QString& existing : allTags()) {
        if (existing.compare(*cleaned, Qt::CaseInsensitive) == 0)
            return existing;
    }
    return cleaned;
}

void Store::addTag(const QString& name, const QUuid& id) {
    const std::optional<QString> tag = canonicalTag(name);
    const qsizetype at = positionOf(id);
    if (!tag || at < 0)
        return;
    QStringList tags = itemList[at].tags.value_or(QStringList());
    if (tags.contains(*tag, Qt::CaseInsensitive))
        return;
    tags.append(*tag);
    itemList[at].tags = tags;
    persist();
}

void Store::removeTag(const QString& name, const QUuid& id) {
    const std::optional<QString> tag = canonicalTag(name);
    const qsizetype at = positionOf(id);
    if (!tag || at < 0)
        return;
    QStringList tags = itemList[at].displayTags();
    tags.removeIf([&tag](const QString& t) { return t.compare(*tag, Qt::CaseInsensitive) == 0; });
    itemList[at].tags = tags;
    persist();
}

void Store::toggleTag(const QString& name, const QUuid& id) {
    const std::optional<QString> tag = canonicalTag(name);
    const qsizetype at = positionOf(id);
    if (!tag || at < 0)
        return;
    if (itemList[at].hasTag(*tag)) {
        removeTag(*tag, id);
        return;
    }
    QStringList tags = itemList[at].displayTags();
    tags.append(*tag);
    itemList[at].tags = tags;
    persist();
}

void Store::resetToAuto(const QUuid& id) {
    const qsizetype at = positionOf(id);
    if (at < 0)
        return;
    itemList[at].tags.reset();
    itemList[at].category = categorize(itemList[at]);
    persist();
}

Store::AutoSortCounts Store::autoSortAll() {
    AutoSortCounts counts;
    for (Item& item : itemList) {
        if (item.tags)
            continue;
        const std::optional<QString> category = categorize(item);
        if (category != item.category) {
            item.category = category;
            ++counts.changed;
        }
        if (category)
            ++counts.sorted;
    }
    if (counts.changed > 0)
        persist();
    return counts;
}

QStringList Store::allTags() const {
    struct Use {
        int count = 0;
        qsizetype firstPosition = 0;
    };
    QHash<QString, Use> uses;
    QStringList spellings;
    for (qsizetype i = 0; i < itemList.size(); ++i) {
        for (const QString& tag : itemList[i].displayTags()) {
            auto it = uses.find(tag);
            if (it == uses.end()) {
                uses.insert(tag, Use{1, i});
                spellings.append(tag);
            } else {
                ++it->count;
            }
        }
    }
    std::stable_sort(spellings.begin(), spellings.end(), [&uses](const QString& a, const QString& b) {
        const Use& ua = uses[a];
        const Use& ub = uses[b];
        if (ua.count != ub.count)
            return ua.count > ub.count;
        return ua.firstPosition < ub.firstPosition;
    });
    QSet<QString> lowered;
    for (const QString& spelling : std::as_const(spellings))
        lowered.insert(spelling.toLower());
    for (const QString& category : Categorizer::allCategories()) {
        if (!lowered.contains(category.toLower()))
            spellings.append(category);
    }
    return spellings;
}

void Store::reindexMissingPreviews() {
    bool categorized = false;
    for (Item& item : itemList) {
        if (item.category)
            continue;
        if (std::optional<QString> category = categorize(item)) {
            item.category = category;
            categorized = true;
        }
    }
    if (categorized)
        persist();
    for (const Item& item : std::as_const(itemList)) {
        if ((item.kind == ItemKind::file || item.kind == ItemKind::link) && !item.thumbFileName)
            index(item);
    }
}

void Store::index(const Item& item) {
    if (readOnly || !options.enricher)
        return;
    ++enrichmentsInFlight;
    std::shared_ptr<ContentEnricher> enricher = options.enricher;
    const QString files = filesFolder;
    QPointer<Store> store(this);
    extractionQueue->submit([enricher, files, item, store] {
        std::optional<Enrichment> found = enricher->enrich(item, files);
        // Results are merged on the main thread; a store gone meanwhile drops them.
        QMetaObject::invokeMethod(
            store.data(),
            [store, found = std::move(found)] {
                if (!store)
                    return;
                if (found)
                    store->applyEnrichment(*found);
                store->enrichmentDone();
            },
            Qt::QueuedConnection);
    });
}

void Store::enrichmentDone() {
    if (--enrichmentsInFlight == 0)
        Q_EMIT enrichmentIdle();
}

void Store::applyEnrichment(const Enrichment& enrichment) {
    const qsizetype at = positionOf(enrichment.id);
    if (at < 0)
        return;
    Item& item = itemList[at];
    if (enrichment.text)
        item.text = enrichment.text;
    if (enrichment.title && !enrichment.title->isEmpty())
        item.title = *enrichment.title;
    if (enrichment.thumbFileName)
        item.thumbFileName = enrichment.thumbFileName;
    if (enrichment.iconFileName)
        item.iconFileName = enrichment.iconFileName;
    if (enrichment.category)
        item.category = enrichment.category;
    persist();
}
