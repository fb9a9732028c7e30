#include "capture/ClipContent.h"
#include "capture/KeepPipeline.h"
#include "common/ReferenceDate.h"
#include "store/AutoCategorizer.h"
#include "store/ContentEnricher.h"
#include "store/Enrichment.h"
#include "store/IndexFile.h"
#include "store/StoredFile.h"
#include "support/QtPrinters.h"
#include "support/StoreFixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>
#include <QSignalSpy>
#include <QThread>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray readFile(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

ClipContent textClip(const QString& text) {
    ClipContent clip;
    clip.string = text.trimmed();
    return clip;
}

} // namespace

using StoreKeeping = StoreFixture;

TEST_F(StoreKeeping, KeepingSameTextTwiceBumpsTheItem) {
    auto store = openStore();
    EXPECT_TRUE(store->addText(u"  hello world \n"_s, u"Editor"_s));
    clock.advance(5000);
    EXPECT_TRUE(store->addText(u"something else"_s, std::nullopt));
    clock.advance(5000);
    const SaveResult again = KeepPipeline::save(*store, textClip(u"\thello world"_s), std::nullopt);
    EXPECT_FALSE(again.isNew);
    ASSERT_EQ(store->items().size(), 2);
    EXPECT_EQ(store->items().first().text, u"hello world"_s);
    EXPECT_EQ(store->items().first().savedAt, ReferenceDate::secondsFrom(clock.now()));
    EXPECT_EQ(store->items().first().source, u"Editor"_s) << "the first keep's source stays";
    // A different letter case is different content.
    EXPECT_TRUE(store->addText(u"Hello world"_s, std::nullopt));
}

// Views key what they draw on (id, revision): each change must name exactly
// the items it touched, each with a revision never seen before.
TEST_F(StoreKeeping, EveryChangeNamesItsItemsWithANewRevision) {
    auto store = openStore();
    QList<ItemChanges> notices;
    QObject::connect(store.get(), &Store::itemsChanged,
                     [&notices](const ItemChanges& changes) { notices.append(changes); });
    store->addText(u"first words"_s, std::nullopt);
    const QUuid first = store->items().front().id;
    ASSERT_EQ(notices.size(), 1);
    EXPECT_EQ(notices.takeLast().added, (QList<ItemRevision>{{first, store->revision(first)}}));
    store->addLink(QUrl(u"https://example.com/"_s), std::nullopt);
    const QUuid second = store->items().front().id;
    ASSERT_EQ(notices.size(), 1);
    EXPECT_EQ(notices.takeLast().added, (QList<ItemRevision>{{second, store->revision(second)}}));
    const quint64 secondRevision = store->revision(second);
    EXPECT_NE(secondRevision, store->revision(first));

    struct Step {
        const char* change;
        std::function<void()> make;
        bool reordered;
    };
    const QList<Step> steps{
        {"add a tag", [&] { store->addTag(u"Mine"_s, first); }, false},
        {"remove a tag", [&] { store->removeTag(u"Mine"_s, first); }, false},
        {"toggle a tag", [&] { store->toggleTag(u"Other"_s, first); }, false},
        {"reset to automatic", [&] { store->resetToAuto(first); }, false},
        {"merge an enrichment",
         [&] {
             Enrichment found;
             found.id = first;
             found.title = u"Read again"_s;
             store->applyEnrichment(found);
         },
         false},
        {"keep the same text again", [&] { store->addText(u"first words"_s, std::nullopt); }, true},
    };
    QSet<quint64> seen{store->revision(first), secondRevision};
    for (const Step& step : steps) {
        SCOPED_TRACE(step.change);
        step.make();
        ASSERT_EQ(notices.size(), 1) << "one notice per change";
        const ItemChanges notice = notices.takeLast();
        const quint64 revision = store->revision(first);
        EXPECT_FALSE(seen.contains(revision)) << "a revision is never given twice";
        seen.insert(revision);
        EXPECT_EQ(notice.changed, (QList<ItemRevision>{{first, revision}}));
        EXPECT_TRUE(notice.added.isEmpty());
        EXPECT_TRUE(notice.removed.isEmpty());
        EXPECT_EQ(notice.reordered, step.reordered);
        EXPECT_EQ(store->revision(second), secondRevision) << "the other item is untouched";
    }

    store->remove(*store->item(first));
    ASSERT_EQ(notices.size(), 1);
    EXPECT_EQ(notices.takeLast().removed, QList<QUuid>{first});
    EXPECT_EQ(store->revision(first), 0u);
    store->remove(*store->item(second));
    store->addLink(QUrl(u"https://example.com/"_s), std::nullopt);
    EXPECT_FALSE(seen.contains(store->revision(store->items().front().id)))
        << "the same content kept again is a new revision";
}

namespace {

// Answers "Slow" for texts that mention it, but only when asked in full:
// the quick answer leaves them open, as a language model's step would.
class SlowMeaningCategorizer final : public AutoCategorizer {
public:
    std::optional<QString> categorize(const QString&, const std::optional<QString>& text,
                                      const std::optional<QString>&) const override {
        if (text && text->contains(u"slow"_s))
            return u"Slow"_s;
        return std::nullopt;
    }
    QuickAnswer quickCategorize(const QString&, const std::optional<QString>& text,
                                const std::optional<QString>&) const override {
        return {std::nullopt, !(text && text->contains(u"slow"_s))};
    }
    const QStringList& categories() const override {
        static const QStringList names{u"Slow"_s};
        return names;
    }
};

} // namespace

// The desktop app keeps an item at once and merges the slow part of its
// category when it comes, unless the item changed meanwhile.
TEST_F(StoreKeeping, SlowCategoriesArriveLaterAndNeverOverwriteALaterChange) {
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    SlowMeaningCategorizer slow;
    Store::Options options;
    options.applicationSupport = support.path();
    options.clock = &clock;
    options.categorizer = &slow;
    options.meaningInBackground = true;
    auto store = Store::open(options);
    const auto settle = [&store] {
        for (int i = 0; i < 1000 && store->pendingCategories() > 0; ++i) {
            QCoreApplication::processEvents();
            QThread::msleep(2);
        }
        EXPECT_EQ(store->pendingCategories(), 0);
    };

    store->addText(u"a slow thought"_s, std::nullopt);
    store->addText(u"quick words"_s, std::nullopt);
    EXPECT_EQ(store->items()[1].category, std::nullopt) << "kept at once, without waiting";
    settle();
    EXPECT_EQ(store->items()[1].category, u"Slow"_s);
    EXPECT_EQ(store->items()[0].category, std::nullopt);

    // Read again before the answer is merged: what enrichment found stands.
    store->addText(u"another slow one"_s, std::nullopt);
    Enrichment found;
    found.id = store->items().front().id;
    found.category = u"Research"_s;
    store->applyEnrichment(found);
    settle();
    EXPECT_EQ(store->items().front().category, u"Research"_s);

    // Kept again before the answer is merged: only its time changed, so the
    // answer still counts.
    store->addText(u"slow and steady"_s, std::nullopt);
    store->addText(u"quick words"_s, std::nullopt);
    store->addText(u"slow and steady"_s, std::nullopt);
    settle();
    EXPECT_EQ(store->items().front().category, u"Slow"_s);
    ASSERT_TRUE(store->flush());
    EXPECT_EQ(IndexFile::read(store->indexFile(), clock.now(), false).items.front().category,
              u"Slow"_s)
        << "merged answers are written";
}

TEST_F(StoreKeeping, TextTitlesTakeTheFirstLineCutAfterSeventyCharacters) {
    auto store = openStore();
    const QString seventy(70, u'a');
    store->addText(seventy + u"\nsecond line"_s, std::nullopt);
    EXPECT_EQ(store->items().first().title, seventy);
    EXPECT_EQ(store->items().first().detail, u"Text snippet"_s);
    store->addText(seventy + u"b"_s, std::nullopt);
    EXPECT_EQ(store->items().first().title, seventy + u"…"_s);
}

TEST_F(StoreKeeping, LinksDedupeOnTheExactAddressAndGetTheirSiteCategory) {
    auto store = openStore();
    EXPECT_TRUE(store->addLink(QUrl(u"https://github.com/a"_s), std::nullopt));
    EXPECT_TRUE(store->addLink(QUrl(u"https://github.com/a/"_s), std::nullopt));
    EXPECT_FALSE(store->addLink(QUrl(u"https://github.com/a"_s), std::nullopt));
    ASSERT_EQ(store->items().size(), 2);
    EXPECT_EQ(store->items().first().detail, u"https://github.com/a"_s);
    EXPECT_EQ(store->items().first().title, u"github.com"_s);
    EXPECT_EQ(store->items().first().category, u"Code"_s);
    EXPECT_FALSE(store->items().first().text.has_value());
}

TEST_F(StoreKeeping, ImagesAndFilesAreCopiedAndNeverDeduplicated) {
    auto store = openStore();
    QImage image(20, 10, QImage::Format_RGB32);
    image.fill(Qt::green);
    image.setText(u"GPS"_s, u"52.37, 4.89"_s);
    EXPECT_TRUE(store->addImage(image, u"Viewer"_s));
    EXPECT_TRUE(store->addImage(image, u"Viewer"_s));
    ASSERT_EQ(store->items().size(), 2);
    const Item& stored = store->items().first();
    EXPECT_EQ(stored.kind, ItemKind::image);
    EXPECT_EQ(stored.detail, u"Copied image"_s);
    EXPECT_TRUE(stored.title.startsWith(u"Image · "_s));
    ASSERT_TRUE(stored.fileName.has_value());
    EXPECT_TRUE(stored.fileName->endsWith(u".png"_s));
    const QImage kept(store->filesDir() + u'/' + *stored.fileName);
    EXPECT_EQ(kept.size(), QSize(20, 10));
    EXPECT_TRUE(kept.textKeys().isEmpty()) << "the source's notes are not kept";

    QTemporaryDir source;
    writeFile(source.filePath(u"notes.txt"_s), "some notes");
    writeFile(source.filePath(u"photo.JPG"_s), "not really a jpeg");
    writeFile(source.filePath(u"folder/inner/deep.md"_s), "# deep");
    const QList<QUrl> urls{QUrl::fromLocalFile(source.filePath(u"notes.txt"_s)),
                           QUrl::fromLocalFile(source.filePath(u"photo.JPG"_s)),
                           QUrl::fromLocalFile(source.filePath(u"folder"_s))};
    ClipContent clip;
    clip.fileURLs = urls;
    EXPECT_TRUE(KeepPipeline::save(*store, clip, std::nullopt).isNew);
    store->addFiles({urls.first()}, std::nullopt);
    ASSERT_EQ(store->items().size(), 6);
    // The last URL of a batch ends up in front.
    EXPECT_EQ(store->items()[1].title, u"folder"_s);
    EXPECT_EQ(store->items()[1].kind, ItemKind::file);
    EXPECT_EQ(store->items()[2].kind, ItemKind::image) << "judged by the extension";
    EXPECT_EQ(store->items()[3].detail, source.path());
    EXPECT_EQ(
        readFile(store->filesDir() + u'/' + *store->items()[1].fileName + u"/inner/deep.md"_s),
        "# deep");
    EXPECT_TRUE(store->items()[3].fileName->endsWith(u"-notes.txt"_s));
    EXPECT_NE(store->items()[0].fileName, store->items()[3].fileName);
}

TEST_F(StoreKeeping, WhatCannotBeStoredIsReportedAndNeverKeptInNameOnly) {
    QTemporaryDir source;
    const QString fifo = source.filePath(u"pipe"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    struct Case {
        const char* what;
        std::function<void()> breakStore;
        ClipContent clip;
    };
    const auto files = [](const QString& path) {
        ClipContent clip;
        clip.fileURLs = {QUrl::fromLocalFile(path)};
        return clip;
    };
    ClipContent imageClip;
    imageClip.image = image;
    // A file where "Files" should be: no write into it can succeed, even as root.
    const auto blockFiles = [this] {
        QDir(lumavex() + u"/Files"_s).removeRecursively();
        writeFile(lumavex() + u"/Files"_s, "in the way");
    };
    const std::vector<Case> cases = {
        {"a file that has gone", [] {}, files(support.path() + u"/missing.txt"_s)},
        {"a FIFO (reading it would block for ever)", [] {}, files(fifo)},
        {"an image when Files cannot be written", blockFiles, imageClip},
        {"a file when Files cannot be written", blockFiles, files(source.path())},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(lumavex()).removeRecursively();
        auto store = openStore();
        ASSERT_TRUE(store);
        c.breakStore();
        const SaveResult result = KeepPipeline::save(*store, c.clip, u"Mine"_s);
        EXPECT_FALSE(result.stored());
        EXPECT_EQ(result.failures.size(), 1);
        EXPECT_TRUE(result.ids.isEmpty());
        EXPECT_FALSE(result.isNew);
        EXPECT_TRUE(store->items().isEmpty());
    }
}

TEST_F(StoreKeeping, FoldersAreCopiedWithTheirLinksAsLinksAndWithoutFifos) {
    QTemporaryDir source;
    const QString folder = source.filePath(u"project"_s);
    writeFile(folder + u"/docs/readme.md"_s, "# read me");
    ASSERT_TRUE(QFile::link(u"docs"_s, folder + u"/docs-link"_s));
    ASSERT_TRUE(QFile::link(u"/no/such/target"_s, folder + u"/dangling"_s));
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder + u"/pipe"_s).constData(), 0600), 0);

    auto store = openStore();
    EXPECT_TRUE(store->addFiles({QUrl::fromLocalFile(folder)}, std::nullopt).isEmpty());
    ASSERT_EQ(store->items().size(), 1);
    const QString copy = store->storedFilePath(*store->items().first().fileName);
    EXPECT_EQ(readFile(copy + u"/docs/readme.md"_s), "# read me");
    EXPECT_EQ(QFileInfo(copy + u"/docs-link"_s).symLinkTarget(), copy + u"/docs"_s);
    EXPECT_TRUE(QFileInfo(copy + u"/dangling"_s).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(copy + u"/pipe"_s) || QFileInfo(copy + u"/pipe"_s).isSymLink());

    // A link picked by the user stands for what it names.
    const QString picked = source.filePath(u"shortcut"_s);
    ASSERT_TRUE(QFile::link(folder + u"/docs"_s, picked));
    EXPECT_TRUE(store->addFiles({QUrl::fromLocalFile(picked)}, std::nullopt).isEmpty());
    const QString linkCopy = store->storedFilePath(*store->items().first().fileName);
    EXPECT_FALSE(QFileInfo(linkCopy).isSymLink());
    EXPECT_EQ(readFile(linkCopy + u"/readme.md"_s), "# read me");
}

TEST_F(StoreKeeping, SaveChoosesFilesThenImageThenLinkThenText) {
    auto store = openStore();
    ClipContent clip;
    clip.string = u"hello"_s;
    clip.url = QUrl(u"https://example.com"_s);
    clip.image = QImage(2, 2, QImage::Format_RGB32);
    EXPECT_TRUE(KeepPipeline::save(*store, clip, std::nullopt).isNew);
    EXPECT_EQ(store->items().first().kind, ItemKind::image);
    clip.image.reset();
    KeepPipeline::save(*store, clip, std::nullopt);
    EXPECT_EQ(store->items().first().kind, ItemKind::link);
    clip.url.reset();
    KeepPipeline::save(*store, clip, std::nullopt);
    EXPECT_EQ(store->items().first().kind, ItemKind::text);

    const SaveResult nothing = KeepPipeline::save(*store, ClipContent(), u"Tag"_s);
    EXPECT_TRUE(nothing.isNew);
    EXPECT_FALSE(nothing.tag.has_value());
    EXPECT_EQ(store->items().size(), 3);
}

TEST_F(StoreKeeping, KeepingWithATagTagsWhatWasAddedOrBumped) {
    auto store = openStore();
    store->addText(u"python and a compiler"_s, std::nullopt);
    store->addText(u"other"_s, std::nullopt);
    const SaveResult result =
        KeepPipeline::save(*store, textClip(u"python and a compiler"_s), u"  deep   work "_s);
    EXPECT_FALSE(result.isNew);
    EXPECT_EQ(store->items().first().tags, QStringList{u"deep work"_s});
    EXPECT_EQ(result.tag, u"deep work"_s);

    // A kept pair of files both get the tag.
    QTemporaryDir source;
    writeFile(source.filePath(u"a.txt"_s), "a");
    writeFile(source.filePath(u"b.txt"_s), "b");
    ClipContent files;
    files.fileURLs = {QUrl::fromLocalFile(source.filePath(u"a.txt"_s)),
                      QUrl::fromLocalFile(source.filePath(u"b.txt"_s))};
    KeepPipeline::save(*store, files, u"Deep Work"_s);
    EXPECT_EQ(store->items()[0].tags, QStringList{u"deep work"_s}) << "spelled as already used";
    EXPECT_EQ(store->items()[1].tags, QStringList{u"deep work"_s});
}

using StoreTags = StoreFixture;

TEST_F(StoreTags, AddReplacesTheCategoryToggleKeepsIt) {
    auto store = openStore();
    store->addText(u"python and a compiler"_s, std::nullopt);
    const QUuid first = store->items().first().id;
    EXPECT_EQ(store->items().first().displayTags(), QStringList{u"Code"_s});
    store->addTag(u"Later"_s, first);
    EXPECT_EQ(store->items().first().displayTags(), QStringList{u"Later"_s});
    store->addTag(u"later"_s, first);
    EXPECT_EQ(store->items().first().displayTags(), QStringList{u"Later"_s});

    store->addText(u"recipe and cooking"_s, std::nullopt);
    const QUuid second = store->items().first().id;
    store->toggleTag(u"Later"_s, second);
    EXPECT_EQ(store->item(second)->displayTags(), (QStringList{u"Food"_s, u"Later"_s}));
    store->toggleTag(u"food"_s, second);
    EXPECT_EQ(store->item(second)->displayTags(), QStringList{u"Later"_s});
    store->removeTag(u"LATER"_s, second);
    ASSERT_TRUE(store->item(second)->tags.has_value());
    EXPECT_TRUE(store->item(second)->displayTags().isEmpty()) << "an empty list hides the category";

    store->resetToAuto(second);
    EXPECT_FALSE(store->item(second)->tags.has_value());
    EXPECT_EQ(store->item(second)->displayTags(), QStringList{u"Food"_s});

    // Blank names and unknown ids change nothing.
    const QList<Item> before = store->items();
    store->addTag(u"   "_s, second);
    store->toggleTag(u"x"_s, QUuid::createUuid());
    EXPECT_EQ(store->items(), before);
}

TEST_F(StoreTags, AllTagsOrdersByUseThenNewestThenUnusedCategories) {
    auto store = openStore();
    auto keep = [&](const QString& text, const QStringList& tags) {
        store->addText(text, std::nullopt);
        for (const QString& tag : tags)
            store->addTag(tag, store->items().first().id);
        clock.advance(1000);
    };
    keep(u"one"_s, {u"Alpha"_s});
    keep(u"two"_s, {u"Beta"_s});
    keep(u"three"_s, {u"Alpha"_s});
    keep(u"four"_s, {u"Beta"_s});
    keep(u"five"_s, {u"code"_s});
    const QStringList tags = store->allTags();
    // Alpha and Beta are used twice; Beta's first use is the newer item.
    // "code" was typed, but the category's spelling is the canonical one.
    ASSERT_GE(tags.size(), 3);
    EXPECT_EQ(tags.mid(0, 3), (QStringList{u"Beta"_s, u"Alpha"_s, u"Code"_s}));
    EXPECT_EQ(tags.mid(3, 2), (QStringList{u"AI"_s, u"Startup"_s}));
    EXPECT_EQ(tags.size(), 3 + 23);
    EXPECT_EQ(store->canonicalTag(u"  ALPHA "_s), u"Alpha"_s);
    EXPECT_EQ(store->canonicalTag(u"new  one"_s), u"new one"_s);
    EXPECT_FALSE(store->canonicalTag(u" \n"_s).has_value());
}

// Spellings that differ only in letter case come from an index written
// elsewhere: a tag typed in any case takes the one listed first.
TEST_F(StoreTags, ATagTakesTheSpellingListedFirstAmongItsCaseVariants) {
    QList<Item> items;
    for (const QStringList& tags : QList<QStringList>{
             {u"WORK"_s}, {u"work"_s, u"home"_s}, {u"Work"_s}, {u"work"_s}, {u"Home"_s}}) {
        Item item;
        item.id = QUuid::createUuid();
        item.title = item.detail = u"note"_s;
        item.savedAt = double(900'000'000 - items.size());
        item.tags = tags;
        items.append(item);
    }
    writeFile(lumavex() + u"/items.json"_s, IndexFile::encode(items));
    auto store = openStore();
    const QStringList all = store->allTags();
    for (const QString& typed : {u"wOrK"_s, u"HOME"_s, u"code"_s, u"Brand New"_s}) {
        const auto listed = std::find_if(all.begin(), all.end(), [&](const QString& tag) {
            return tag.compare(typed, Qt::CaseInsensitive) == 0;
        });
        EXPECT_EQ(store->canonicalTag(typed), listed == all.end() ? typed : *listed)
            << typed.toStdString();
    }
    EXPECT_EQ(store->canonicalTag(u"WORK"_s), u"work"_s) << "used twice";
    EXPECT_EQ(store->canonicalTag(u"home"_s), u"home"_s) << "used as often, and newer";
}

TEST_F(StoreTags, AutoSortCountsSortedAndChangedAndSkipsHandTagged) {
    auto store = openStore();
    store->addText(u"python and a compiler"_s, std::nullopt); // Code, unchanged
    store->addText(u"plain words"_s, std::nullopt);           // none, unchanged
    store->addText(u"recipe and cooking"_s, std::nullopt);    // Food, will be tampered
    store->addTag(u"Mine"_s, store->items().first().id);
    store->addText(u"flight and hotel"_s, std::nullopt); // Travel
    // Simulate categories from an older rule set.
    Enrichment stale;
    stale.id = store->items().first().id;
    stale.category = u"Ideas"_s;
    store->applyEnrichment(stale);

    const Store::AutoSortCounts counts = store->autoSortAll();
    EXPECT_EQ(counts.sorted, 2);  // Travel and Code
    EXPECT_EQ(counts.changed, 1); // Ideas back to Travel
    EXPECT_EQ(store->items().first().category, u"Travel"_s);
}

using StoreFiles = StoreFixture;

TEST_F(StoreFiles, IndexIsWrittenCompactlyAndReadBackNewestFirst) {
    {
        auto store = openStore();
        store->addText(u"first"_s, std::nullopt);
        clock.advance(1000);
        store->addLink(QUrl(u"https://example.com/a"_s), u"Firefox"_s);
        ASSERT_TRUE(store->flush());
    }
    const QByteArray bytes = readFile(lumavex() + u"/items.json"_s);
    EXPECT_FALSE(bytes.contains('\n'));
    EXPECT_TRUE(bytes.startsWith("[{"));

    // Reorder the file: loading sorts by time again, ties keep the file order.
    QJsonArray array = QJsonDocument::fromJson(bytes).array();
    QJsonObject tieA = array[0].toObject();
    tieA[u"id"_s] = idString(QUuid::createUuid());
    tieA[u"detail"_s] = u"https://example.com/tie"_s;
    QJsonArray shuffled{array[1], array[0], tieA};
    writeFile(lumavex() + u"/items.json"_s, QJsonDocument(shuffled).toJson());
    auto store = openStore();
    ASSERT_EQ(store->items().size(), 3);
    EXPECT_EQ(store->items()[0].kind, ItemKind::link);
    EXPECT_EQ(store->items()[1].detail, u"https://example.com/tie"_s);
    EXPECT_EQ(store->items()[2].kind, ItemKind::text);
}

TEST_F(StoreFiles, AnUnreadableIndexIsSetAsideNeverOverwritten) {
    const QByteArray malformed =
        R"([{"id":"6F1C2D3E-4B5A-4C6D-8E7F-0A1B2C3D4E5F","kind":"text","title":"a","detail":"b","savedAt":1},)"
        R"({"id":"6F1C2D3E-4B5A-4C6D-8E7F-0A1B2C3D4E60","kind":"note","title":"a","detail":"b","savedAt":1}])";
    writeFile(lumavex() + u"/items.json"_s, malformed);
    auto store = openStore();
    EXPECT_TRUE(store->items().isEmpty());
    ASSERT_TRUE(store->setAsideIndex().has_value());
    EXPECT_EQ(readFile(*store->setAsideIndex()), malformed);
    store->addText(u"new start"_s, std::nullopt);
    ASSERT_TRUE(store->flush());
    EXPECT_EQ(readFile(*store->setAsideIndex()), malformed);
    EXPECT_EQ(IndexFile::decode(readFile(lumavex() + u"/items.json"_s))->size(), 1);

    // Garbage that is not even JSON is set aside as well, under another name.
    store.reset();
    writeFile(lumavex() + u"/items.json"_s, "\x00\xff garbage");
    auto again = openStore();
    ASSERT_TRUE(again->setAsideIndex().has_value());
    EXPECT_EQ(QDir(lumavex()).entryList({u"items.json.unreadable-*"_s}).size(), 2);
}

TEST_F(StoreFiles, ReadOnlyStoresNeitherMoveNorWriteAnything) {
    writeFile(lumavex() + u"/items.json"_s, "not json");
    auto store = openStore(nullptr, true);
    ASSERT_TRUE(store);
    EXPECT_TRUE(store->items().isEmpty());
    EXPECT_FALSE(store->setAsideIndex().has_value());
    store->addText(u"kept in memory only"_s, std::nullopt);
    EXPECT_FALSE(store->flush());
    EXPECT_EQ(readFile(lumavex() + u"/items.json"_s), "not json");
}

TEST_F(StoreFiles, RemovingDeletesOnlyPlainStoredNamesInsideFiles) {
    auto store = openStore();
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    store->addImage(image, std::nullopt);
    const Item kept = store->items().first();
    writeFile(store->filesDir() + u"/T-thumb.png"_s, "thumb");
    writeFile(store->filesDir() + u"/I-icon.png"_s, "icon");
    Enrichment previews;
    previews.id = kept.id;
    previews.thumbFileName = u"T-thumb.png"_s;
    previews.iconFileName = u"I-icon.png"_s;
    store->applyEnrichment(previews);
    store->remove(*store->item(kept.id));
    EXPECT_TRUE(store->items().isEmpty());
    ASSERT_TRUE(store->flush());
    EXPECT_TRUE(QDir(store->filesDir()).isEmpty());

    // A tampered index pointing outside "Files" deletes nothing there.
    writeFile(support.path() + u"/precious.txt"_s, "keep me");
    writeFile(lumavex() + u"/precious2.txt"_s, "keep me too");
    Item tampered = kept;
    tampered.fileName = u"../../precious.txt"_s;
    tampered.thumbFileName = u"../precious2.txt"_s;
    tampered.iconFileName = support.path() + u"/precious.txt"_s;
    store->remove(tampered);
    Item dots = kept;
    dots.fileName = u".."_s;
    store->remove(dots);
    EXPECT_EQ(readFile(support.path() + u"/precious.txt"_s), "keep me");
    EXPECT_EQ(readFile(lumavex() + u"/precious2.txt"_s), "keep me too");
    EXPECT_TRUE(QDir(lumavex()).exists(u"Files"_s));
}

TEST_F(StoreFiles, RemovedFilesAreDeletedOnlyOnceTheIndexNoLongerNamesThem) {
    auto store = openStore();
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::blue);
    ASSERT_TRUE(store->addImage(image, std::nullopt));
    ASSERT_TRUE(store->flush());
    const Item kept = store->items().first();
    const QString copy = store->storedFilePath(*kept.fileName);

    // The index cannot be replaced while a folder stands in its place.
    ASSERT_TRUE(QFile::remove(store->indexFile()));
    ASSERT_TRUE(QDir().mkdir(store->indexFile()));
    store->remove(kept);
    EXPECT_FALSE(store->flush());
    EXPECT_TRUE(QFileInfo::exists(copy)) << "an index on disk may still name it";

    ASSERT_TRUE(QDir().rmdir(store->indexFile()));
    store->addText(u"a later change"_s, std::nullopt);
    ASSERT_TRUE(store->flush());
    EXPECT_FALSE(QFileInfo::exists(copy));
    EXPECT_EQ(IndexFile::read(store->indexFile(), clock.now()).items.size(), 1);
}

TEST_F(StoreFiles, AnIndexThatIsNotARegularFileIsSetAsideWithoutBeingRead) {
    struct Case {
        const char* what;
        std::function<void(const QString& index)> make;
    };
    const std::vector<Case> cases = {
        {"a link to an endless device",
         [](const QString& index) { ASSERT_TRUE(QFile::link(u"/dev/zero"_s, index)); }},
        {"a FIFO without a writer",
         [](const QString& index) {
             ASSERT_EQ(::mkfifo(QFile::encodeName(index).constData(), 0600), 0);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(lumavex()).removeRecursively();
        QDir().mkpath(lumavex());
        c.make(lumavex() + u"/items.json"_s);
        auto store = openStore();
        ASSERT_TRUE(store);
        EXPECT_TRUE(store->items().isEmpty());
        ASSERT_TRUE(store->setAsideIndex());
        EXPECT_TRUE(QFileInfo(*store->setAsideIndex()).isSymLink() ||
                    QFileInfo(*store->setAsideIndex()).exists());
        EXPECT_TRUE(store->addText(u"kept after"_s, std::nullopt));
        EXPECT_TRUE(store->flush());
    }
}

TEST_F(StoreFiles, AStoreWaitingForTheLockRefusesChangesThenBecomesTheWriter) {
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    auto first = openStore();
    first->addText(u"kept by the first"_s, std::nullopt);
    ASSERT_TRUE(first->flush());

    Store::Options options;
    options.applicationSupport = support.path();
    options.clock = &clock;
    options.categorizer = &categorizer;
    options.lockTimeoutMs = 50;
    options.lockRetryMs = 10;
    options.waitForLock = true;
    QString error;
    auto waiting = Store::open(options, &error);
    ASSERT_TRUE(waiting) << error.toStdString();
    EXPECT_FALSE(waiting->isWritable());
    const SaveResult refused =
        KeepPipeline::save(*waiting, textClip(u"kept while waiting"_s), std::nullopt);
    EXPECT_FALSE(refused.stored());
    EXPECT_TRUE(refused.failures.first().contains(u"another Tovik process"_s));
    EXPECT_FALSE(waiting->addText(u"a quick note"_s, std::nullopt));
    waiting->addTag(u"Mine"_s, waiting->items().first().id);
    ASSERT_EQ(waiting->items().size(), 1) << "it shows what is on disk, unchanged";
    EXPECT_FALSE(waiting->items().first().tags);

    first->addText(u"kept by the first, later"_s, std::nullopt);
    first.reset(); // writes and lets go
    QSignalSpy writable(waiting.get(), &Store::becameWritable);
    ASSERT_TRUE(writable.wait(5000));
    EXPECT_TRUE(waiting->isWritable());
    EXPECT_EQ(waiting->items().size(), 2) << "what the first wrote meanwhile is read again";
    EXPECT_TRUE(KeepPipeline::save(*waiting, textClip(u"kept once free"_s), std::nullopt).stored());
    ASSERT_TRUE(waiting->flush());
    EXPECT_EQ(IndexFile::read(waiting->indexFile(), clock.now()).items.size(), 3);
}

TEST_F(StoreFiles, OlderDataFolderIsMovedOnlyWhenNoCurrentOneExists) {
    const QString older = support.path() + u"/Vellumory"_s;
    writeFile(
        older + u"/items.json"_s,
        R"([{"id":"6F1C2D3E-4B5A-4C6D-8E7F-0A1B2C3D4E5F","kind":"text","title":"old","detail":"Text snippet","savedAt":5,"text":"old"}])");
    {
        auto store = openStore();
        ASSERT_EQ(store->items().size(), 1);
        EXPECT_EQ(store->items().first().title, u"old"_s);
    }
    EXPECT_FALSE(QFileInfo::exists(older));
    EXPECT_TRUE(QFileInfo::exists(lumavex() + u"/items.json"_s));

    writeFile(older + u"/items.json"_s, "[]");
    auto store = openStore();
    EXPECT_EQ(store->items().size(), 1) << "both exist: the older folder is left alone";
    EXPECT_EQ(readFile(older + u"/items.json"_s), "[]");
}

TEST_F(StoreFiles, OneWriterAtATime) {
    auto first = openStore();
    ASSERT_TRUE(first);
    Store::Options options;
    options.applicationSupport = support.path();
    options.clock = &clock;
    options.categorizer = &categorizer;
    options.lockTimeoutMs = 100;
    QString error;
    EXPECT_EQ(Store::open(options, &error), nullptr);
    EXPECT_TRUE(error.contains(u"another Tovik process"_s)) << error.toStdString();
    options.readOnly = true;
    EXPECT_NE(Store::open(options), nullptr) << "readers do not need the lock";
    first.reset();
    options.readOnly = false;
    EXPECT_NE(Store::open(options), nullptr);
}

// Under a burst the index is written once per spacing, not once per change;
// each change is safe at once all the same (a reader sees it through the
// journal), and the last one reaches the index without a flush.
TEST_F(StoreFiles, ABurstOfChangesIsSafeAtOnceAndReachesTheIndexTogether) {
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    auto store = openStore();
    ASSERT_TRUE(store->addText(u"tagged many times"_s, std::nullopt));
    const QUuid id = store->items().first().id;
    Store::Options reading;
    reading.applicationSupport = support.path();
    reading.clock = &clock;
    reading.categorizer = &categorizer;
    reading.readOnly = true;
    QSet<qint64> indexes;
    for (int n = 0; n < 20; ++n) {
        const QString tag = u"Tag %1"_s.arg(n);
        store->addTag(tag, id);
        EXPECT_TRUE(Store::open(reading)->item(id)->hasTag(tag)) << n;
        indexes.insert(IndexFile::identity(store->indexFile()).modifiedNs);
    }
    EXPECT_LE(indexes.size(), 3) << "the index is not rewritten for every change";

    const auto lastOnDisk = [&] {
        const QList<Item> items = IndexFile::read(store->indexFile(), clock.now()).items;
        return items.size() == 1 && items.front().hasTag(u"Tag 19"_s);
    };
    for (int i = 0; i < 400 && !lastOnDisk(); ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
    EXPECT_TRUE(lastOnDisk());
}

namespace {

// Gives every link a title and a category, from the extraction thread.
class RecordingEnricher final : public ContentEnricher {
public:
    std::optional<Enrichment> enrich(const Item& item, const QString& filesDir) override {
        seenFilesDir = filesDir;
        ++calls;
        if (item.kind != ItemKind::link)
            return std::nullopt;
        Enrichment found;
        found.id = item.id;
        found.title = u"Page title"_s;
        found.text = u"page text"_s;
        found.category = u"Research"_s;
        return found;
    }
    std::atomic<int> calls{0};
    QString seenFilesDir;
};

void waitForIdle(Store& store) {
    for (int i = 0; i < 1000 && store.pendingEnrichments() > 0; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
}

} // namespace

TEST_F(StoreFiles, EnrichmentResultsAreMergedByIdOnTheMainThread) {
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    auto enricher = std::make_shared<RecordingEnricher>();
    auto store = openStore(enricher);
    store->addText(u"texts are not enriched"_s, std::nullopt);
    store->addLink(QUrl(u"https://example.com/x"_s), std::nullopt);
    store->addTag(u"Mine"_s, store->items().first().id);
    QSignalSpy idle(store.get(), &Store::enrichmentIdle);
    waitForIdle(*store);
    EXPECT_EQ(idle.count(), 1);
    EXPECT_EQ(enricher->calls.load(), 1);
    const Item& link = store->items().first();
    EXPECT_EQ(link.title, u"Page title"_s);
    EXPECT_EQ(link.text, u"page text"_s);
    EXPECT_EQ(link.category, u"Research"_s);
    EXPECT_EQ(link.tags, QStringList{u"Mine"_s}) << "tags are never touched";
    EXPECT_EQ(enricher->seenFilesDir, store->filesDir());

    // A link removed before its result arrives is simply not found.
    store->addLink(QUrl(u"https://example.com/gone"_s), std::nullopt);
    store->remove(store->items().first());
    waitForIdle(*store);
    EXPECT_EQ(store->items().size(), 2);

    // At start, links and files without a preview are handed over again.
    store.reset();
    auto reopened = openStore(enricher);
    waitForIdle(*reopened);
    EXPECT_EQ(enricher->calls.load(), 3);
}

namespace {

// Like a real page fetch of a page without a preview: a fresh icon file each
// time, no preview.
class IconWritingEnricher final : public ContentEnricher {
public:
    std::optional<Enrichment> enrich(const Item& item, const QString& filesDir) override {
        ++calls;
        Enrichment found;
        found.id = item.id;
        found.iconFileName = StoredFile::write(filesDir, u"-icon.png"_s, "icon");
        return found;
    }
    std::atomic<int> calls{0};
};

} // namespace

TEST_F(StoreFiles, ReplacedIconsAreDeletedAndUnreadItemsWaitDaysBeforeAnotherFetch) {
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    auto enricher = std::make_shared<IconWritingEnricher>();
    const auto open = [&] {
        Store::Options options;
        options.applicationSupport = support.path();
        options.cacheFolder = support.path() + u"/cache"_s;
        options.clock = &clock;
        options.categorizer = &categorizer;
        options.enricher = enricher;
        return Store::open(options);
    };
    const auto icons = [this] {
        return QDir(lumavex() + u"/Files"_s).entryList({u"*-icon.png"_s}, QDir::Files).size();
    };
    auto store = open();
    store->addLink(QUrl(u"https://a.example/"_s), std::nullopt);
    store->addLink(QUrl(u"https://b.example/"_s), std::nullopt);
    waitForIdle(*store);
    EXPECT_EQ(enricher->calls.load(), 2);

    // A link removed before its result arrives leaves no icon behind.
    store->addLink(QUrl(u"https://gone.example/"_s), std::nullopt);
    store->remove(store->items().first());
    waitForIdle(*store);
    ASSERT_TRUE(store->flush());
    EXPECT_EQ(icons(), 2);

    store.reset();
    store = open();
    waitForIdle(*store);
    EXPECT_EQ(enricher->calls.load(), 3) << "read a moment ago: not fetched again at start";

    EXPECT_EQ(store->enrichMissing(), 2) << "the user asks: read again";
    waitForIdle(*store);
    ASSERT_TRUE(store->flush());
    EXPECT_EQ(enricher->calls.load(), 5);
    EXPECT_EQ(icons(), 2) << "each new icon replaced the old file";

    store.reset();
    clock.advance(8LL * 24 * 3600 * 1000);
    store = open();
    waitForIdle(*store);
    EXPECT_EQ(enricher->calls.load(), 7) << "tried again after a week";
}
