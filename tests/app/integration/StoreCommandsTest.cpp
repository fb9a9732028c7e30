#include "store/IndexFile.h"
#include "support/TovikProcess.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

class StoreCommands : public ::testing::Test {
protected:
    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"XDG_DATA_HOME"_s, data.path());
        return env;
    }
    TovikRun tovik(const QStringList& arguments, const QByteArray& input = {}) const {
        return runTovik(arguments, input, environment());
    }
    QJsonObject tovikJson(const QStringList& arguments, const QByteArray& input = {}) const {
        const TovikRun run = tovik(arguments, input);
        EXPECT_EQ(run.exitStatus, 0) << run.err.toStdString();
        return QJsonDocument::fromJson(run.out).object();
    }
    QJsonArray index() const {
        return QJsonDocument::fromJson(tovik({u"list"_s, u"--json"_s}).out).array();
    }
    QString lumavex() const { return data.path() + u"/Lumavex"_s; }

    QTemporaryDir data;
};

} // namespace

TEST_F(StoreCommands, AddPrintsIdNewnessAndTag) {
    QJsonObject added = tovikJson({u"add"_s, u"text"_s, u"  notes on python and a compiler "_s});
    EXPECT_TRUE(added.value(u"isNew"_s).toBool());
    EXPECT_EQ(added.value(u"tag"_s).toString(), u"Code"_s);
    const QString id = added.value(u"id"_s).toString();
    EXPECT_EQ(id, id.toUpper());

    QJsonObject again = tovikJson({u"add"_s, u"text"_s, u"-"_s, u"--tag"_s, u"Reading"_s},
                                  "notes on python and a compiler\n");
    EXPECT_FALSE(again.value(u"isNew"_s).toBool());
    EXPECT_EQ(again.value(u"id"_s).toString(), id);
    EXPECT_EQ(again.value(u"tag"_s).toString(), u"Reading"_s);

    QJsonObject link = tovikJson(
        {u"add"_s, u"link"_s, u"https://www.youtube.com/watch?v=1"_s, u"--source"_s, u"Firefox"_s});
    EXPECT_EQ(link.value(u"tag"_s).toString(), u"Video"_s);
    QJsonObject plain = tovikJson({u"add"_s, u"text"_s, u"hello there"_s});
    EXPECT_TRUE(plain.value(u"tag"_s).isNull());

    const QJsonArray items = index();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[1].toObject().value(u"source"_s).toString(), u"Firefox"_s);
    EXPECT_EQ(items[2].toObject().value(u"tags"_s).toArray(), QJsonArray{u"Reading"_s});
}

TEST_F(StoreCommands, FilesImagesTagsRemoveAndAutosortWorkOnTheSameStore) {
    QTemporaryDir source;
    QFile note(source.filePath(u"plan.txt"_s));
    ASSERT_TRUE(note.open(QIODevice::WriteOnly));
    note.write("the plan");
    note.close();
    QImage image(30, 20, QImage::Format_RGB32);
    image.fill(Qt::yellow);
    ASSERT_TRUE(image.save(source.filePath(u"pic.png"_s)));

    const QString fileId =
        tovikJson({u"add"_s, u"file"_s, source.filePath(u"plan.txt"_s)}).value(u"id"_s).toString();
    const QString imageId =
        tovikJson({u"add"_s, u"image"_s, source.filePath(u"pic.png"_s)}).value(u"id"_s).toString();
    // The text file's thumbnail lies beside the copies.
    const auto copies = [this] {
        QStringList names = QDir(lumavex() + u"/Files"_s).entryList(QDir::Files);
        names.removeIf([](const QString& name) { return name.endsWith(u"-thumb.png"_s); });
        return names.size();
    };
    EXPECT_EQ(copies(), 2);

    EXPECT_EQ(tovik({u"tag"_s, u"add"_s, u" Project  X "_s, fileId}).exitStatus, 0);
    EXPECT_EQ(tovik({u"tag"_s, u"toggle"_s, u"project x"_s, imageId}).exitStatus, 0);
    TovikRun tags = tovik({u"tags"_s});
    EXPECT_TRUE(tags.out.startsWith("Project X\nAI\nCode\n")) << tags.out.toStdString();

    EXPECT_EQ(tovik({u"remove"_s, imageId.toLower()}).exitStatus, 0);
    EXPECT_EQ(index().size(), 1);
    EXPECT_EQ(copies(), 1);

    EXPECT_EQ(tovik({u"tag"_s, u"reset"_s, fileId}).exitStatus, 0);
    tovik({u"add"_s, u"text"_s, u"recipe and cooking"_s, u"--tag"_s, u"Mine"_s});
    tovik({u"add"_s, u"text"_s, u"flight and hotel"_s});
    const TovikRun sorted = tovik({u"autosort"_s});
    EXPECT_EQ(sorted.out, "Analysed 3 items · 1 auto-sorted · 1 kept your tags\n");
}

TEST_F(StoreCommands, BadArgumentsAndUnknownIdsFailWithOneLine) {
    struct Case {
        QStringList arguments;
        int status;
    } cases[] = {
        {{u"add"_s, u"poem"_s, u"x"_s}, 2},
        {{u"add"_s, u"text"_s}, 2},
        {{u"add"_s, u"text"_s, u"   "_s}, 1},
        {{u"add"_s, u"link"_s, u"not a url"_s}, 2},
        {{u"add"_s, u"file"_s, u"/no/such/file"_s}, 1},
        {{u"add"_s, u"image"_s, u"/etc/hostname"_s}, 1},
        {{u"add"_s, u"text"_s, u"x"_s, u"--tag"_s, u"  "_s}, 2},
        {{u"remove"_s, u"6F1C2D3E-4B5A-4C6D-8E7F-0A1B2C3D4E5F"_s}, 1},
        {{u"remove"_s}, 2},
        {{u"tag"_s, u"paint"_s, u"x"_s, u"y"_s}, 2},
        {{u"tag"_s, u"add"_s, u"x"_s, u"nonsense"_s}, 1},
        {{u"list"_s, u"--yaml"_s}, 2},
        // What is echoed stays on its one line.
        {{u"remove"_s, u"x\ny"_s}, 1},
        {{u"add"_s, u"image"_s, u"/tmp/no\nsuch.png"_s}, 1},
    };
    for (const Case& c : cases) {
        const TovikRun run = tovik(c.arguments);
        EXPECT_EQ(run.exitStatus, c.status) << c.arguments.join(u' ').toStdString();
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
    }
    EXPECT_EQ(index().size(), 0) << "nothing was stored by failed commands";
    EXPECT_EQ(tovik({u"add"_s, u"--help"_s}).exitStatus, 0);
    EXPECT_EQ(tovik({u"add"_s, u"text"_s, u"--help"_s}).exitStatus, 0);
}

TEST_F(StoreCommands, TamperedIndexIsSetAsideAndItsNamesCannotEscapeFiles) {
    QDir().mkpath(lumavex() + u"/Files"_s);
    QFile outside(data.path() + u"/x"_s);
    ASSERT_TRUE(outside.open(QIODevice::WriteOnly));
    outside.write("precious");
    outside.close();
    QFile indexFile(lumavex() + u"/items.json"_s);
    ASSERT_TRUE(indexFile.open(QIODevice::WriteOnly));
    indexFile.write(R"([{"id":"6F1C2D3E-4B5A-4C6D-8E7F-0A1B2C3D4E5F","kind":"file","title":"x",)"
                    R"("detail":"/","savedAt":3,"fileName":"../../x","thumbFileName":"../x"}])");
    indexFile.close();

    EXPECT_EQ(tovik({u"remove"_s, u"6F1C2D3E-4B5A-4C6D-8E7F-0A1B2C3D4E5F"_s}).exitStatus, 0);
    EXPECT_TRUE(QFile::exists(data.path() + u"/x"_s));
    EXPECT_TRUE(index().isEmpty());

    ASSERT_TRUE(indexFile.open(QIODevice::WriteOnly));
    indexFile.write(R"([{"id":"6F1C2D3E-4B5A-4C6D-8E7F-0A1B2C3D4E5F","kind":"bogus"}])");
    indexFile.close();
    const TovikRun run = tovik({u"add"_s, u"text"_s, u"after damage"_s});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_TRUE(run.err.contains("could not be read")) << run.err.toStdString();
    EXPECT_EQ(QDir(lumavex()).entryList({u"items.json.unreadable-*"_s}).size(), 1);
    EXPECT_EQ(index().size(), 1);
}

TEST_F(StoreCommands, KillingWritersNeverTearsTheIndexOrLosesReportedAdds) {
    // Start adds one after another and kill some of them at random moments;
    // every add that printed its answer must be in the index, and the index
    // must always decode.
    QRandomGenerator random(7);
    QStringList reported;
    for (int round = 0; round < 40; ++round) {
        QProcess process;
        process.setProcessEnvironment(environment());
        const QString text = u"note number "_s + QString::number(round);
        process.start(QStringLiteral(TOVIK_BINARY), {u"add"_s, u"text"_s, text});
        ASSERT_TRUE(process.waitForStarted());
        if (round % 2 == 1) {
            QThread::usleep(random.bounded(1000, 40000));
            ::kill(pid_t(process.processId()), SIGKILL);
        }
        process.waitForFinished();
        if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0 &&
            process.readAllStandardOutput().contains("\"isNew\":true"))
            reported.append(text);

        QFile indexFile(lumavex() + u"/items.json"_s);
        if (indexFile.open(QIODevice::ReadOnly)) {
            ASSERT_TRUE(IndexFile::decode(indexFile.readAll()).has_value()) << "round " << round;
        }
    }
    EXPECT_GE(reported.size(), 20);
    QStringList stored;
    for (const QJsonValue& item : index())
        stored.append(item.toObject().value(u"text"_s).toString());
    for (const QString& text : reported)
        EXPECT_TRUE(stored.contains(text)) << text.toStdString();
    EXPECT_TRUE(QDir(lumavex()).entryList({u"items.json.unreadable-*"_s}).isEmpty());
}

TEST_F(StoreCommands, ASecondWriterWaitsThenFailsClearly) {
    tovik({u"add"_s, u"text"_s, u"first"_s});
    // Hold the lock from another process for longer than the writer waits.
    QProcess holder;
    holder.start(u"flock"_s, {u"-o"_s, lumavex() + u"/.lock"_s, u"sleep"_s, u"60"_s});
    ASSERT_TRUE(holder.waitForStarted());
    QThread::msleep(300);
    const TovikRun blocked = runTovik({u"add"_s, u"text"_s, u"second"_s}, {}, environment(), 40000);
    EXPECT_EQ(blocked.exitStatus, 1);
    EXPECT_EQ(blocked.err.count('\n'), 1);
    EXPECT_TRUE(blocked.err.contains("another Tovik process")) << blocked.err.toStdString();
    EXPECT_EQ(tovik({u"list"_s}).exitStatus, 0) << "reading needs no lock";
    holder.kill();
    holder.waitForFinished();
    EXPECT_EQ(tovik({u"add"_s, u"text"_s, u"second"_s}).exitStatus, 0);
}

TEST_F(StoreCommands, AddFilePrintsOneLinePerItemAndNamesWhatItCouldNotKeep) {
    QTemporaryDir source;
    for (const char* name : {"a.md", "b.md"}) {
        QFile file(source.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(name);
    }
    const TovikRun both = tovik({u"add"_s, u"file"_s, source.filePath(u"a.md"_s),
                                 source.filePath(u"b.md"_s), u"--tag"_s, u"Notes"_s});
    EXPECT_EQ(both.exitStatus, 0) << both.err.toStdString();
    const QList<QByteArray> lines = both.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 2) << both.out.toStdString();
    const QJsonArray items = index();
    ASSERT_EQ(items.size(), 2);
    // In the order given; the last given is the newest item.
    EXPECT_EQ(QJsonDocument::fromJson(lines[0]).object().value(u"id"_s),
              items[1].toObject().value(u"id"_s));
    EXPECT_EQ(QJsonDocument::fromJson(lines[1]).object().value(u"id"_s),
              items[0].toObject().value(u"id"_s));
    EXPECT_EQ(QJsonDocument::fromJson(lines[1]).object().value(u"tag"_s).toString(), u"Notes"_s);

    // A FIFO is never opened (that would block until a writer came).
    const QString fifo = source.filePath(u"pipe"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const TovikRun mixed = tovik({u"add"_s, u"file"_s, fifo, source.filePath(u"a.md"_s)});
    EXPECT_EQ(mixed.exitStatus, 1);
    EXPECT_EQ(mixed.out.count('\n'), 1) << "the file that could be kept";
    EXPECT_EQ(mixed.err.count('\n'), 1);
    EXPECT_TRUE(mixed.err.contains("not a regular file")) << mixed.err.toStdString();
    EXPECT_EQ(index().size(), 3);
}

TEST_F(StoreCommands, CommandsPrintNothingButTheirOwnWords) {
    QProcessEnvironment bare = environment();
    bare.remove(u"XDG_RUNTIME_DIR"_s);
    for (const QStringList& arguments : {QStringList{u"enrich"_s, u"--help"_s},
                                         QStringList{u"enrich"_s}, QStringList{u"list"_s}}) {
        const TovikRun run = runTovik(arguments, {}, bare);
        EXPECT_EQ(run.exitStatus, 0) << arguments.join(u' ').toStdString();
        EXPECT_EQ(run.err, QByteArray()) << arguments.join(u' ').toStdString();
    }
}
