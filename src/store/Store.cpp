#include "store/Store.h"

#include "common/AtomicFile.h"
#include "common/Graphemes.h"
#include "common/HandOver.h"
#include "common/ReferenceDate.h"
#include "common/SerialQueue.h"
#include "common/SharedInstance.h"
#include "platform/Clock.h"
#include "store/AutoCategorizer.h"
#include "store/ContentEnricher.h"
#include "store/DataFolder.h"
#include "store/FileCopy.h"
#include "store/ImageData.h"
#include "store/IndexFile.h"
#include "store/IndexJournal.h"
#include "store/IndexWriter.h"
#include "store/StoredFileName.h"
#include "store/TagName.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QMimeDatabase>
#include <QPointer>
#include <QRegularExpression>
#include <QSet>
#include <QThread>
#include <utility>
#include <vector>

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

// How long attempt records may gather before they are written.
constexpr int attemptsSaveDelayMs = 2000;

} // namespace

std::unique_ptr<Store> Store::open(Options options, QString* error) {
    const QString root = DataFolder::root(options.applicationSupport, !options.readOnly);
    DataFolderLock lock;
    if (!options.readOnly) {
        QDir().mkpath(root + u"/Files"_s);
        lock = DataFolderLock::acquire(root, options.lockTimeoutMs, error);
        if (!lock.locked() && !options.waitForLock)
            return nullptr;
    }
    return std::unique_ptr<Store>(new Store(std::move(options), root, std::move(lock)));
}

Store& Store::shared() {
    return SharedInstance<Store>::get();
}

Store::Store(Options options, QString root, DataFolderLock lock)
    : options(std::move(options)), rootDir(std::move(root)), folderLock(std::move(lock)),
      attempts(this->options.cacheFolder.isEmpty()
                   ? QString()
                   : this->options.cacheFolder + u"/enrichment-attempts.json"_s) {
    filesFolder = rootDir + u"/Files"_s;
    indexPath = rootDir + u"/items.json"_s;
    indexSpacing.setSingleShot(true);
    indexSpacing.setInterval(IndexWriter::journaledSpacing);
    connect(&indexSpacing, &QTimer::timeout, this, [this] {
        if (indexOwed)
            handOverIndex();
    });
    attemptsSaver.setSingleShot(true);
    attemptsSaver.setInterval(attemptsSaveDelayMs);
    connect(&attemptsSaver, &QTimer::timeout, this, [this] { attempts.save(); });
    readOnly = this->options.readOnly || !folderLock.locked();
    if (!readOnly) {
        startWriting();
        return;
    }
    load();
    if (!this->options.readOnly) {
        // Waiting for the lock: meanwhile this is a reader of what is on disk.
        lockRetry.setInterval(this->options.lockRetryMs);
        connect(&lockRetry, &QTimer::timeout, this, &Store::tryBecomeWriter);
        lockRetry.start();
    }
}

Store::~Store() {
    // Categorising hands its answers to this store; a long batch stops at
    // the next item.
    *categoryStop = true;
    categoryQueue.reset();
    // Stop enrichment first: its queued results refer to this store, and a
    // slow page must not hold up quitting while the queue is joined.
    if (options.enricher)
        options.enricher->stop();
    extractionQueue.reset();
    if (writer) {
        if (indexOwed)
            handOverIndex();
        writer->flush();
    }
    attempts.save();
}

void Store::startWriting() {
    readOnly = false;
    extractionQueue = std::make_unique<SerialQueue>(u"lumavex.extract"_s);
    if (options.meaningInBackground)
        categoryQueue = std::make_unique<SerialQueue>(u"lumavex.categorize"_s);
    const int replayed = load();
    journal = std::make_unique<IndexJournal>(IndexJournal::pathFor(indexPath));
    writer = std::make_unique<IndexWriter>(indexPath, journal.get());
    // What the journal added goes into the index, which then lets the
    // journal go.
    if (replayed > 0 && isWritable())
        writer->write(itemList, {}, journal->mark());
    if (options.enrichAtOpen)
        reindexMissingPreviews();
    else
        categorizeMissing();
}

void Store::tryBecomeWriter() {
    DataFolderLock lock = DataFolderLock::acquire(rootDir, 0);
    if (!lock.locked())
        return;
    lockRetry.stop();
    folderLock = std::move(lock);
    // The previous writer may have changed the index since it was read.
    startWriting();
    ItemChanges reread;
    reread.reloaded = true;
    Q_EMIT itemsChanged(reread);
    Q_EMIT changed();
    Q_EMIT becameWritable();
}

QString Store::writeRefusal() const {
    if (isWritable())
        return {};
    if (writesBlocked)
        return u"the index "_s + indexPath +
               u" could not be read nor set aside, so nothing is written over it"_s;
    if (options.readOnly)
        return u"the store was opened for reading only"_s;
    return u"another Tovik process is writing "_s + rootDir + u"; try again in a moment"_s;
}

double Store::now() const {
    return ReferenceDate::secondsFrom(options.clock->now());
}

int Store::load() {
    IndexJournal::Replay replay;
    // A reader shares the folder with a writer that replaces the index and
    // then drops what the new index holds from the journal. An index read
    // before such a replacement with a journal read after it would miss
    // those changes, so the pair is read again until no replacement fell
    // between them. The writer itself never races: it holds the lock.
    for (int attempt = 0;; ++attempt) {
        const IndexFile::Identity before = IndexFile::identity(indexPath);
        IndexFile::ReadResult read = IndexFile::read(indexPath, options.clock->now(), !readOnly);
        itemList = std::move(read.items);
        setAsidePath = read.setAsidePath;
        writesBlocked = read.blocked;
        // Changes acknowledged since the index was last written. Over an
        // index that could not be read they still are what the user made last.
        replay = IndexJournal::replay(IndexJournal::pathFor(indexPath), itemList, !readOnly);
        if (!readOnly || attempt == 8 || IndexFile::identity(indexPath) == before)
            break;
    }
    if (replay.setAsidePath)
        setAsideJournalPath = replay.setAsidePath;
    // What was read may differ from anything seen before under the same ids.
    const quint64 loaded = ++lastRevision;
    revisions.clear();
    revisions.reserve(itemList.size());
    for (const Item& item : std::as_const(itemList))
        revisions.insert(item.id, loaded);
    return replay.applied;
}

quint64 Store::revision(const QUuid& id) const {
    return revisions.value(id, 0);
}

ItemRevision Store::touch(const QUuid& id) {
    const quint64 revision = ++lastRevision;
    revisions.insert(id, revision);
    return {id, revision};
}

ItemChanges Store::changeOf(const QUuid& id) {
    ItemChanges changes;
    changes.changed.append(touch(id));
    return changes;
}

void Store::persist(const ItemChanges& changes, QStringList obsoleteFiles) {
    Q_EMIT itemsChanged(changes);
    Q_EMIT changed();
    if (!isWritable())
        return;
    if (!journalChanges(changes))
        unjournaled = true;
    owedObsolete += obsoleteFiles;
    if (unjournaled || !indexSpacing.isActive()) {
        handOverIndex();
        return;
    }
    indexOwed = true;
}

void Store::handOverIndex() {
    indexOwed = false;
    writer->write(itemList, std::exchange(owedObsolete, {}), journal->mark());
    // Without an event loop nothing would end the spacing: every change then
    // goes to the writer at once.
    if (thread()->eventDispatcher())
        indexSpacing.start();
}

bool Store::journalChanges(const ItemChanges& changes) {
    // Each entry is a whole item: past a few hundred, writing the index
    // costs less than the journal would.
    constexpr qsizetype kMostEntries = 256;
    if (changes.reloaded ||
        changes.added.size() + changes.changed.size() + changes.removed.size() > kMostEntries)
        return false;
    QList<Item> put;
    for (const QList<ItemRevision>* list : {&changes.added, &changes.changed}) {
        for (const ItemRevision& revision : *list) {
            if (const qsizetype at = positionOf(revision.id); at >= 0)
                put.append(itemList[at]);
        }
    }
    if (put.isEmpty() && changes.removed.isEmpty())
        return !changes.reordered;
    return journal->append(put, changes.removed);
}

bool Store::ensureDurable() {
    if (!isWritable())
        return false;
    attempts.save();
    if (!unjournaled)
        return true;
    const bool ok = writer->flush();
    if (ok)
        unjournaled = false;
    return ok;
}

bool Store::flush() {
    if (!isWritable())
        return false;
    attempts.save();
    if (indexOwed)
        handOverIndex();
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

std::optional<QString> Store::categoryNow(const Item& item, QList<QUuid>& later) const {
    if (!categoryQueue)
        return categorize(item);
    const std::optional<QString> url =
        item.kind == ItemKind::link ? std::optional<QString>(item.detail) : std::nullopt;
    const AutoCategorizer::QuickAnswer quick =
        options.categorizer->quickCategorize(item.title, item.text, url);
    if (!quick.settled)
        later.append(item.id);
    return quick.category;
}

namespace {

// A copy with data of its own: the question goes to another thread, and
// nothing of the items' shared strings should be released over there.
QString ownCopy(const QString& text) {
    return QString(text.constData(), text.size());
}

std::optional<QString> ownCopy(const std::optional<QString>& text) {
    return text ? std::optional<QString>(ownCopy(*text)) : std::nullopt;
}

Item ownCopy(const Item& item) {
    Item copy = item;
    for (QString* text : {&copy.title, &copy.detail})
        *text = ownCopy(*text);
    for (std::optional<QString>* text : {&copy.fileName, &copy.text, &copy.source,
                                         &copy.thumbFileName, &copy.iconFileName, &copy.category})
        *text = ownCopy(*text);
    if (copy.tags) {
        QStringList tags;
        for (const QString& tag : *copy.tags)
            tags.append(ownCopy(tag));
        copy.tags = tags;
    }
    return copy;
}

// Answers go back in batches, so that a whole library categorised at start
// is merged and written a few times rather than once per item.
constexpr qsizetype categoryBatch = 256;

} // namespace

void Store::categorizeLater(const QList<QUuid>& ids) {
    if (ids.isEmpty() || !categoryQueue)
        return;
    struct Question {
        QUuid id;
        quint64 revision;
        QString title;
        std::optional<QString> text;
        std::optional<QString> url;
    };
    std::vector<Question> questions;
    questions.reserve(size_t(ids.size()));
    for (const QUuid& id : ids) {
        const Item* asked = item(id);
        if (!asked)
            continue;
        const quint64 at = revision(id);
        categoryPending.insert(id, at);
        questions.push_back(
            {id, at, ownCopy(asked->title), ownCopy(asked->text),
             asked->kind == ItemKind::link ? ownCopy(std::optional(asked->detail)) : std::nullopt});
    }
    const AutoCategorizer* categorizer = options.categorizer;
    categoryQueue->submit([this, categorizer, stop = categoryStop,
                           questions = std::move(questions)] {
        QList<FoundCategory> found;
        const auto handBack = [&] {
            {
                std::lock_guard guard(categoryLock);
                foundCategories += found;
            }
            found.clear();
            // The store joins this queue before it goes, so it is here.
            handOver(this, [this] { mergeFoundCategories(); });
        };
        for (const Question& question : questions) {
            if (*stop)
                return;
            found.append({question.id, question.revision,
                          categorizer->categorize(question.title, question.text, question.url)});
            if (found.size() == categoryBatch)
                handBack();
        }
        if (!found.isEmpty())
            handBack();
    });
}

void Store::mergeFoundCategories() {
    QList<FoundCategory> found;
    {
        std::lock_guard guard(categoryLock);
        found.swap(foundCategories);
    }
    QHash<QUuid, qsizetype> positions;
    if (found.size() > 8) {
        positions.reserve(itemList.size());
        for (qsizetype i = 0; i < itemList.size(); ++i)
            positions.insert(itemList[i].id, i);
    }
    ItemChanges changes;
    for (FoundCategory& answer : found) {
        const auto pending = categoryPending.constFind(answer.id);
        // A later question about the item is on its way; its answer counts.
        if (pending == categoryPending.constEnd() || *pending != answer.revision)
            continue;
        categoryPending.erase(pending);
        // The item changed meanwhile (tagged, read again, removed): the answer
        // is about content it no longer has, and that change decided anew.
        if (revision(answer.id) != answer.revision || !isWritable())
            continue;
        const qsizetype at =
            positions.isEmpty() ? positionOf(answer.id) : positions.value(answer.id, -1);
        if (at < 0 || itemList[at].category == answer.category)
            continue;
        itemList[at].category = std::move(answer.category);
        changes.changed.append(touch(answer.id));
    }
    if (!changes.changed.isEmpty())
        persist(changes);
}

void Store::insertFront(Item item) {
    itemList.prepend(std::move(item));
}

void Store::bump(qsizetype position) {
    Item item = itemList.takeAt(position);
    item.savedAt = now();
    const QUuid id = item.id;
    ItemChanges changes;
    changes.changed.append(touch(id));
    changes.reordered = position != 0;
    itemList.prepend(std::move(item));
    persist(changes);
    // Only the time changed: a category still being worked out is still
    // wanted, and is asked for again at the new revision.
    if (categoryPending.contains(id))
        categorizeLater({id});
}

bool Store::addText(const QString& text, const std::optional<QString>& source) {
    const QString trimmed = text.trimmed();
    // Nothing to keep; an empty note would only be clutter.
    if (trimmed.isEmpty() || !isWritable())
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
    QList<QUuid> later;
    item.category = categoryNow(item, later);
    ItemChanges changes;
    changes.added.append(touch(item.id));
    insertFront(std::move(item));
    persist(changes);
    categorizeLater(later);
    return true;
}

bool Store::addLink(const QUrl& url, const std::optional<QString>& source) {
    if (!isWritable())
        return false;
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
    ItemChanges changes;
    changes.added.append(touch(item.id));
    insertFront(item);
    persist(changes);
    index(item);
    return true;
}

bool Store::addImage(const QImage& image, const std::optional<QString>& source, QString* failure) {
    const auto fail = [failure](const QString& why) {
        if (failure)
            *failure = why;
        return false;
    };
    if (!isWritable())
        return fail(writeRefusal());
    // Without the source's text chunks: a pasted image may carry notes or a
    // location its owner never meant to keep.
    const std::optional<QByteArray> png = ImageData::pngData(image);
    if (!png)
        return fail(u"the image could not be converted to PNG"_s);
    const QString name = freshId() + u".png"_s;
    const QString path = filesFolder + u'/' + name;
    // Durable before the index names it, and a short write (a full disk) is
    // a failure, not a truncated picture.
    if (!AtomicFile::write(path, *png)) {
        QFile::remove(path);
        return fail(u"could not write "_s + path);
    }

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
    ItemChanges changes;
    changes.added.append(touch(item.id));
    insertFront(item);
    persist(changes);
    index(item);
    return true;
}

bool Store::isImageFile(const QString& path) {
    static const QMimeDatabase database;
    const QMimeType type = database.mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    return type.isValid() && type.name().startsWith(u"image/"_s);
}

std::optional<QString> Store::copyIntoStore(const QUrl& fileURL, QString* failure) {
    const QString path = QDir::cleanPath(fileURL.toLocalFile());
    const QString name = freshId() + u"-"_s + QFileInfo(path).fileName();
    const QString target = filesFolder + u'/' + name;
    if (std::optional<QString> error = FileCopy::copy(path, target)) {
        if (failure)
            *failure = *error;
        return std::nullopt;
    }
    return name;
}

QStringList Store::addFiles(const QList<QUrl>& fileURLs, const std::optional<QString>& source) {
    QStringList failures;
    if (!isWritable()) {
        failures.append(writeRefusal());
        return failures;
    }
    for (const QUrl& url : fileURLs) {
        const QString path = QDir::cleanPath(url.toLocalFile());
        const QFileInfo info(path);
        QString failure;
        const std::optional<QString> stored = copyIntoStore(url, &failure);
        // An item naming no copy would be kept in name only.
        if (!stored) {
            failures.append(failure);
            continue;
        }
        Item item;
        item.id = QUuid::createUuid();
        item.kind = isImageFile(path) ? ItemKind::image : ItemKind::file;
        item.title = info.fileName();
        item.detail = info.absolutePath();
        item.fileName = stored;
        item.source = source;
        item.savedAt = now();
        ItemChanges changes;
        changes.added.append(touch(item.id));
        insertFront(item);
        persist(changes);
        index(item);
    }
    return failures;
}

QString Store::storedFilePath(const QString& name) const {
    if (!isPlainStoredName(name))
        return {};
    return filesFolder + u'/' + name;
}

QString Store::storedPathOf(const std::optional<QString>& name) const {
    return name ? storedFilePath(*name) : QString();
}

void Store::remove(const Item& item) {
    if (!isWritable())
        return;
    QStringList obsolete;
    for (const std::optional<QString>& name :
         {item.fileName, item.thumbFileName, item.iconFileName}) {
        if (const QString path = storedPathOf(name); !path.isEmpty())
            obsolete.append(path);
    }
    // item may be one of this store's own (store.remove(*store.item(id))):
    // removing shifts the list under it.
    const QUuid id = item.id;
    ItemChanges changes;
    if (itemList.removeIf([&id](const Item& candidate) { return candidate.id == id; }) > 0)
        changes.removed.append(id);
    revisions.remove(id);
    categoryPending.remove(id);
    attempts.forget(id);
    persist(changes, std::move(obsolete));
}

std::optional<QString> Store::canonicalTag(const QString& raw) const {
    const std::optional<QString> cleaned = TagName::clean(raw);
    if (!cleaned)
        return std::nullopt;
    // The spelling allTags() lists first among those equal but for letter
    // case: the most used, then the newest. Worked out here from the few
    // matching spellings, as every tag change asks it of the whole library.
    struct Spelling {
        QString text;
        int count = 0;
        qsizetype firstPosition = 0;
    };
    QList<Spelling> spellings;
    for (qsizetype i = 0; i < itemList.size(); ++i) {
        itemList[i].forEachDisplayTag([&](const QString& tag) {
            // Case folding keeps the length: most tags are told apart by it.
            if (tag.size() != cleaned->size() || tag.compare(*cleaned, Qt::CaseInsensitive) != 0)
                return;
            for (Spelling& known : spellings) {
                if (known.text == tag) {
                    ++known.count;
                    return;
                }
            }
            spellings.append({tag, 1, i});
        });
    }
    const auto first = std::min_element(
        spellings.cbegin(), spellings.cend(), [](const Spelling& a, const Spelling& b) {
            return a.count != b.count ? a.count > b.count : a.firstPosition < b.firstPosition;
        });
    if (first != spellings.cend())
        return first->text;
    for (const QString& category : options.categorizer->categories()) {
        if (category.compare(*cleaned, Qt::CaseInsensitive) == 0)
            return category;
    }
    return cleaned;
}

void Store::addTag(const QString& name, const QUuid& id) {
    if (!isWritable())
        return;
    const std::optional<QString> tag = canonicalTag(name);
    const qsizetype at = positionOf(id);
    if (!tag || at < 0)
        return;
    QStringList tags = itemList[at].tags.value_or(QStringList());
    if (tags.contains(*tag, Qt::CaseInsensitive))
        return;
    tags.append(*tag);
    itemList[at].tags = tags;
    persist(changeOf(id));
}

void Store::removeTag(const QString& name, const QUuid& id) {
    if (!isWritable())
        return;
    const std::optional<QString> tag = canonicalTag(name);
    const qsizetype at = positionOf(id);
    if (!tag || at < 0)
        return;
    QStringList tags = itemList[at].displayTags();
    tags.removeIf([&tag](const QString& t) { return t.compare(*tag, Qt::CaseInsensitive) == 0; });
    itemList[at].tags = tags;
    persist(changeOf(id));
}

void Store::toggleTag(const QString& name, const QUuid& id) {
    if (!isWritable())
        return;
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
    persist(changeOf(id));
}

void Store::resetToAuto(const QUuid& id) {
    if (!isWritable())
        return;
    const qsizetype at = positionOf(id);
    if (at < 0)
        return;
    QList<QUuid> later;
    itemList[at].tags.reset();
    itemList[at].category = categoryNow(itemList[at], later);
    persist(changeOf(id));
    categorizeLater(later);
}

Store::AutoSortCounts Store::autoSortAll() {
    AutoSortCounts counts;
    if (!isWritable())
        return counts;
    ItemChanges changes;
    for (Item& item : itemList) {
        if (item.tags)
            continue;
        const std::optional<QString> category = categorize(item);
        if (category != item.category) {
            item.category = category;
            changes.changed.append(touch(item.id));
            ++counts.changed;
        }
        if (category)
            ++counts.sorted;
    }
    if (counts.changed > 0)
        persist(changes);
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
        itemList[i].forEachDisplayTag([&](const QString& tag) {
            auto it = uses.find(tag);
            if (it == uses.end()) {
                uses.insert(tag, Use{1, i});
                spellings.append(tag);
            } else {
                ++it->count;
            }
        });
    }
    std::stable_sort(spellings.begin(), spellings.end(),
                     [&uses](const QString& a, const QString& b) {
                         const Use& ua = uses[a];
                         const Use& ub = uses[b];
                         if (ua.count != ub.count)
                             return ua.count > ub.count;
                         return ua.firstPosition < ub.firstPosition;
                     });
    QSet<QString> lowered;
    for (const QString& spelling : std::as_const(spellings))
        lowered.insert(spelling.toLower());
    for (const QString& category : options.categorizer->categories()) {
        if (!lowered.contains(category.toLower()))
            spellings.append(category);
    }
    return spellings;
}

void Store::categorizeMissing() {
    ItemChanges changes;
    QList<QUuid> later;
    for (Item& item : itemList) {
        if (item.category)
            continue;
        if (std::optional<QString> category = categoryNow(item, later)) {
            item.category = category;
            changes.changed.append(touch(item.id));
        }
    }
    if (!changes.changed.isEmpty())
        persist(changes);
    categorizeLater(later);
}

void Store::reindexMissingPreviews() {
    categorizeMissing();
    handOverUnenriched(false);
}

int Store::enrichMissing() {
    return handOverUnenriched(true);
}

bool Store::lacksEnrichment(const Item& item) {
    switch (item.kind) {
    case ItemKind::link:
    case ItemKind::file:
        return !item.thumbFileName;
    case ItemKind::image:
        return !item.text;
    case ItemKind::text:
        return false;
    }
    return false;
}

int Store::handOverUnenriched(bool includeRecentlyTried) {
    if (!isWritable() || !options.enricher)
        return 0;
    const double at = now();
    int handed = 0;
    for (const Item& item : std::as_const(itemList)) {
        if (!lacksEnrichment(item))
            continue;
        if (enriching.contains(item.id))
            continue;
        if (!includeRecentlyTried && attempts.triedRecently(item.id, at))
            continue;
        index(item);
        ++handed;
    }
    return handed;
}

void Store::index(const Item& item) {
    if (!isWritable() || !options.enricher)
        return;
    ++enrichmentsInFlight;
    ++enriching[item.id];
    std::shared_ptr<ContentEnricher> enricher = options.enricher;
    // Copies with data of their own: the task is dropped on the queue's thread.
    const QString files = ownCopy(filesFolder);
    QPointer<Store> store(this);
    extractionQueue->submit([enricher, files, item = ownCopy(item), store] {
        std::optional<Enrichment> found = enricher->enrich(item, files);
        // Results are merged on the main thread; a store gone meanwhile drops them.
        QMetaObject::invokeMethod(
            store.data(),
            [store, id = item.id, found = std::move(found)] {
                if (!store)
                    return;
                if (found)
                    store->applyEnrichment(*found);
                store->enrichmentDone(id);
            },
            Qt::QueuedConnection);
    });
}

void Store::enrichmentDone(const QUuid& id) {
    if (--enriching[id] <= 0)
        enriching.remove(id);
    if (positionOf(id) >= 0) {
        attempts.record(id, now());
        if (!attemptsSaver.isActive())
            attemptsSaver.start();
    }
    if (--enrichmentsInFlight == 0)
        Q_EMIT enrichmentIdle();
}

void Store::applyEnrichment(const Enrichment& enrichment) {
    const qsizetype at = positionOf(enrichment.id);
    if (at < 0) {
        // Removed meanwhile: the files written for it belong to nothing.
        for (const QString& path :
             {storedPathOf(enrichment.thumbFileName), storedPathOf(enrichment.iconFileName)}) {
            if (!path.isEmpty())
                FileCopy::remove(path);
        }
        return;
    }
    Item& item = itemList[at];
    // A new preview or icon replaces the old file, which would otherwise lie
    // in "Files" for ever, named by nothing.
    QStringList replaced;
    const auto replace = [&](std::optional<QString>& field, const std::optional<QString>& found) {
        if (!found || field == found)
            return;
        if (const QString old = storedPathOf(field); !old.isEmpty())
            replaced.append(old);
        field = found;
    };
    if (enrichment.text)
        item.text = enrichment.text;
    if (enrichment.title && !enrichment.title->isEmpty())
        item.title = *enrichment.title;
    replace(item.thumbFileName, enrichment.thumbFileName);
    replace(item.iconFileName, enrichment.iconFileName);
    if (enrichment.category)
        item.category = enrichment.category;
    persist(changeOf(enrichment.id), std::move(replaced));
}
