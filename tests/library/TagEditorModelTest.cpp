#include "library/TagEditorModel.h"

#include "capture/ClipContent.h"
#include "support/QtPrinters.h"
#include "support/StoreFixture.h"

using namespace Qt::StringLiterals;

namespace {

class TagEditorModelTest : public StoreFixture {
protected:
    void SetUp() override {
        store = openStore();
        ASSERT_TRUE(store);
        store->addText(u"first note"_s, std::nullopt);
        store->addText(u"second note"_s, std::nullopt);
        store->toggleTag(u"Work"_s, store->items().back().id);
        id = store->items().front().id;
    }

    const Item& item() const { return *store->item(id); }

    std::unique_ptr<Store> store;
    QUuid id;
};

} // namespace

TEST_F(TagEditorModelTest, DraftFindsTagsIgnoringCaseAndOffersCreateOnlyForNewNames) {
    TagEditorModel editor(*store, id);
    struct Case {
        QString draft;
        std::optional<QStringList> matches; // absent: every tag
        bool canCreate;
        QString created;
    };
    const QList<Case> cases{
        {u""_s, std::nullopt, false, u""_s},
        {u"   "_s, std::nullopt, false, u""_s},
        {u"WORK"_s, QStringList{u"Work"_s}, false, u"WORK"_s},
        {u"  wor "_s, QStringList{u"Work"_s}, true, u"wor"_s},
        {u"Gardenias"_s, QStringList{}, true, u"Gardenias"_s},
        {QString(40, u'x'), QStringList{}, true, QString(28, u'x')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.draft.toStdString());
        editor.draft = c.draft;
        EXPECT_EQ(editor.matches(), c.matches.value_or(store->allTags()));
        EXPECT_EQ(editor.canCreate(), c.canCreate);
        EXPECT_EQ(editor.cleanedDraft(), c.created);
    }
}

TEST_F(TagEditorModelTest, SubmitAddsOnceAndEmptiesTheDraft) {
    TagEditorModel editor(*store, id);
    editor.draft = u"   "_s;
    const Item before = item();
    editor.submit();
    EXPECT_EQ(item(), before) << "a blank draft changes nothing";
    EXPECT_EQ(editor.draft, u"   "_s);

    editor.draft = QString(30, u'z');
    editor.submit();
    EXPECT_EQ(item().tags, QStringList{QString(28, u'z')});
    EXPECT_TRUE(editor.draft.isEmpty());

    editor.draft = QString(28, u'Z');
    editor.submit();
    EXPECT_EQ(item().tags, QStringList{QString(28, u'z')}) << "a name it has, in other case";
    EXPECT_TRUE(editor.draft.isEmpty());
}

TEST_F(TagEditorModelTest, RemovingTheLastOwnTagLeavesAnEmptyListUntilAutoSort) {
    TagEditorModel editor(*store, id);
    EXPECT_EQ(editor.automaticTitle(), u"Sorted automatically"_s);
    editor.toggle(u"Work"_s);
    EXPECT_EQ(item().tags, QStringList{u"Work"_s});
    EXPECT_EQ(editor.automaticTitle(), u"Auto-sort this item"_s);
    editor.toggle(u"Work"_s);
    ASSERT_TRUE(item().tags.has_value());
    EXPECT_TRUE(item().tags->isEmpty());
    editor.resetToAutomatic();
    EXPECT_FALSE(item().tags.has_value());
}

TEST_F(TagEditorModelTest, AGoneItemKeepsTheDraftAndChangesNothing) {
    TagEditorModel editor(*store, id);
    store->remove(item());
    EXPECT_EQ(editor.item(), nullptr);
    editor.draft = u"Later"_s;
    editor.submit();
    EXPECT_EQ(editor.draft, u"Later"_s);
    editor.toggle(u"Work"_s);
    editor.resetToAutomatic();
    EXPECT_EQ(store->items().size(), 1);
    EXPECT_EQ(editor.automaticTitle(), u"Auto-sort this item"_s);
}
