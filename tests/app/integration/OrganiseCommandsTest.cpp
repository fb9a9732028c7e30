#include "support/QtPrinters.h"
#include "support/TovikProcess.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// A library filled through `tovik add` in a data folder of its own.
class OrganiseCommands : public ::testing::Test {
protected:
    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"XDG_DATA_HOME"_s, data.path());
        env.insert(u"XDG_CONFIG_HOME"_s, data.path());
        return env;
    }
    TovikRun tovik(const QStringList& arguments) const {
        return runTovik(arguments, {}, environment());
    }
    QJsonDocument tovikJson(const QStringList& arguments) const {
        const TovikRun run = tovik(arguments);
        EXPECT_EQ(run.exitStatus, 0) << run.err.toStdString();
        return QJsonDocument::fromJson(run.out);
    }
    QString add(const QStringList& arguments) const {
        return tovikJson(QStringList{u"add"_s} + arguments).object().value(u"id"_s).toString();
    }

    QTemporaryDir data;
};

QStringList strings(const QJsonValue& value) {
    QStringList result;
    for (const QJsonValue& entry : value.toArray())
        result.append(entry.toString());
    return result;
}

} // namespace

TEST_F(OrganiseCommands, SearchListsIdsBestFirstWithTiesNewestFirst) {
    const QString inText = add({u"text"_s, u"a note\nabout the garden"_s});
    const QString olderTitle = add({u"text"_s, u"garden plan"_s});
    const QString newerTitle = add({u"text"_s, u"garden tools"_s});
    add({u"text"_s, u"nothing to see"_s});

    EXPECT_EQ(strings(tovikJson({u"search"_s, u"GARDEN"_s, u"--json"_s}).array()),
              (QStringList{newerTitle, olderTitle, inText}));
    // Several arguments make one query; words are alternatives.
    EXPECT_EQ(strings(tovikJson({u"search"_s, u"tools"_s, u"note"_s, u"--json"_s}).array()),
              (QStringList{newerTitle, inText}));

    const TovikRun lines = tovik({u"search"_s, u"tools"_s});
    EXPECT_EQ(lines.exitStatus, 0);
    EXPECT_EQ(lines.out, (newerTitle + u"  text   garden tools\n"_s).toUtf8());

    const TovikRun none = tovik({u"search"_s});
    EXPECT_EQ(none.exitStatus, 2);
    EXPECT_EQ(none.err.count('\n'), 1);
}

TEST_F(OrganiseCommands, TopicsGroupLinkedItemsLargestFirst) {
    const QString a = add({u"text"_s, u"tomatoes in the garden"_s});
    const QString b = add({u"text"_s, u"garden tomatoes again"_s});
    const QString c = add({u"text"_s, u"roses for the garden"_s});
    const QString d = add({u"text"_s, u"garden roses pruning"_s});
    const QString e = add({u"text"_s, u"pruning roses well"_s});
    add({u"text"_s, u"an unrelated thought"_s});

    const QJsonArray topics = tovikJson({u"topics"_s, u"--json"_s}).array();
    ASSERT_EQ(topics.size(), 2) << QJsonDocument(topics).toJson().toStdString();
    // Roses: three items, newest first; linked through c-d and d-e only.
    EXPECT_EQ(topics[0].toObject().value(u"label"_s).toString(), u"Roses"_s);
    EXPECT_EQ(strings(topics[0].toObject().value(u"items"_s)), (QStringList{e, d, c}));
    EXPECT_EQ(topics[1].toObject().value(u"label"_s).toString(), u"Garden"_s);
    EXPECT_EQ(strings(topics[1].toObject().value(u"items"_s)), (QStringList{b, a}));
}

TEST_F(OrganiseCommands, LibraryPrintsTheGridChipsAndCounts) {
    const QString olderGarden =
        add({u"text"_s, u"tomatoes in the garden"_s, u"--tag"_s, u"Home"_s});
    const QString note = add(
        {u"text"_s, u"call the plumber"_s, u"--source"_s, u"Quick Note"_s, u"--tag"_s, u"Home"_s});
    const QString newerGarden = add({u"text"_s, u"garden tomatoes again"_s});
    const QString link = add({u"link"_s, u"https://example.org/page"_s, u"--tag"_s, u"Work"_s});

    QJsonObject grid =
        tovikJson({u"library"_s, u"--grouping"_s, u"topics"_s, u"--json"_s}).object();
    const QJsonArray entries = grid.value(u"entries"_s).toArray();
    ASSERT_EQ(entries.size(), 3);
    EXPECT_EQ(entries[0].toObject(), (QJsonObject{{u"id"_s, link}}));
    // The stack stands where its first (newest) member is.
    EXPECT_EQ(entries[1].toObject().value(u"stack"_s).toString(), u"Garden"_s);
    EXPECT_EQ(strings(entries[1].toObject().value(u"items"_s)),
              (QStringList{newerGarden, olderGarden}));
    EXPECT_EQ(entries[2].toObject(), (QJsonObject{{u"id"_s, note}}));
    EXPECT_EQ(grid.value(u"tagCounts"_s).toArray(),
              (QJsonArray{QJsonArray{u"Home"_s, 2}, QJsonArray{u"Work"_s, 1}}));
    EXPECT_EQ(grid.value(u"untaggedCount"_s).toInt(), 1);

    // A query forms no stacks and leaves the chips alone.
    grid = tovikJson({u"library"_s, u"--query"_s, u"garden"_s, u"--json"_s}).object();
    EXPECT_EQ(
        grid.value(u"entries"_s).toArray(),
        (QJsonArray{QJsonObject{{u"id"_s, newerGarden}}, QJsonObject{{u"id"_s, olderGarden}}}));
    EXPECT_EQ(grid.value(u"tagCounts"_s).toArray().size(), 2);

    grid = tovikJson({u"library"_s, u"--filter"_s, u"notes"_s, u"--json"_s}).object();
    EXPECT_EQ(grid.value(u"entries"_s).toArray(), (QJsonArray{QJsonObject{{u"id"_s, note}}}));
    EXPECT_EQ(grid.value(u"tagCounts"_s).toArray(), (QJsonArray{QJsonArray{u"Home"_s, 1}}));
    EXPECT_EQ(grid.value(u"untaggedCount"_s).toInt(), 0);

    grid = tovikJson({u"library"_s, u"--tag"_s, u"home"_s, u"--grouping"_s, u"tags"_s, u"--json"_s})
               .object();
    EXPECT_EQ(grid.value(u"entries"_s).toArray(),
              (QJsonArray{QJsonObject{{u"id"_s, note}}, QJsonObject{{u"id"_s, olderGarden}}}));
    grid = tovikJson({u"library"_s, u"--grouping"_s, u"tags"_s, u"--json"_s}).object();
    EXPECT_EQ(grid.value(u"entries"_s).toArray()[2].toObject(),
              (QJsonObject{{u"stack"_s, u"Home"_s}, {u"items"_s, QJsonArray{note, olderGarden}}}));

    grid = tovikJson({u"library"_s, u"--untagged"_s, u"--json"_s}).object();
    EXPECT_EQ(grid.value(u"entries"_s).toArray(),
              (QJsonArray{QJsonObject{{u"id"_s, newerGarden}}}));
}

TEST_F(OrganiseCommands, LibraryRejectsBadOptionsWithOneLine) {
    for (const QStringList& arguments :
         {QStringList{u"library"_s, u"--filter"_s, u"docs"_s},
          QStringList{u"library"_s, u"--grouping"_s, u"Topics"_s},
          QStringList{u"library"_s, u"--tag"_s, u"Home"_s, u"--untagged"_s},
          QStringList{u"library"_s, u"extra"_s}, QStringList{u"topics"_s, u"extra"_s}}) {
        const TovikRun run = tovik(arguments);
        EXPECT_EQ(run.exitStatus, 2) << arguments.join(u' ').toStdString();
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
    }
}
