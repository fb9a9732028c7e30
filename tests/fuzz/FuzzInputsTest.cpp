#include "fuzz/ParserChecks.h"
#include "network/PeopleFile.h"
#include "network/ProfileFetcher.h"
#include "organise/WordVectorModel.h"
#include "store/IndexFile.h"
#include "store/PageParser.h"
#include "store/RtfReader.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QUrl>
#include <functional>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

struct Input {
    QString path;
    QByteArray bytes;
};

// Every file of the target's seed corpus and of its regression inputs.
QList<Input> inputsOf(const QString& target, const QString& kind) {
    QList<Input> inputs;
    const QDir folder(QStringLiteral(TOVIK_FUZZ_DIR) + u'/' + kind + u'/' + target);
    for (const QString& name : folder.entryList(QDir::Files, QDir::Name)) {
        QFile file(folder.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            inputs.append({file.fileName(), file.readAll()});
    }
    return inputs;
}

struct Target {
    QString name;
    std::function<QString(const QByteArray&)> check;
    std::function<bool(const QByteArray&)> accepts; // the reader yields something
};

const QList<Target>& targets() {
    static const QList<Target> all = {
        {u"index_decoder"_s, ParserChecks::indexDecoder,
         [](const QByteArray& bytes) {
             const auto items = IndexFile::decode(bytes);
             return items && !items->isEmpty();
         }},
        {u"page_parser"_s, ParserChecks::pageParser,
         [](const QByteArray& bytes) {
             const PageInfo info = PageParser::parse(bytes, QUrl(u"https://example.org/"_s));
             return info.title && info.text && info.imageURL && info.iconURL;
         }},
        {u"rtf_reader"_s, ParserChecks::rtfReader,
         [](const QByteArray& bytes) {
             const auto text = RtfReader::plainText(bytes);
             return text && !text->isEmpty();
         }},
        {u"people_file"_s, ParserChecks::peopleFile,
         [](const QByteArray& bytes) {
             const auto people = PeopleFile::decode(bytes);
             return people && !people->isEmpty();
         }},
        {u"profile_page"_s, ParserChecks::profilePage,
         [](const QByteArray& bytes) {
             const QString html = QString::fromUtf8(bytes);
             return ProfileFetcher::extractMeta(html, u"og:title") &&
                    ProfileFetcher::extractMeta(html, u"og:image");
         }},
        {u"word_vectors"_s, ParserChecks::wordVectors,
         [](const QByteArray& bytes) {
             const auto model = WordVectorModel::decode(bytes);
             return model && model->wordCount() > 0;
         }},
    };
    return all;
}

} // namespace

// The inputs that once broke a reader, and the seeds the fuzzers start from,
// keep every promise in an ordinary (and sanitizer) test run.
TEST(FuzzInputs, SeedsAndRegressionInputsKeepEveryReadersPromises) {
    for (const Target& target : targets()) {
        const QList<Input> seeds = inputsOf(target.name, u"corpus"_s);
        EXPECT_GE(seeds.size(), 3) << "seed corpus of " << target.name.toStdString();
        for (const QString& kind : {u"corpus"_s, u"regressions"_s}) {
            for (const Input& input : inputsOf(target.name, kind))
                EXPECT_EQ(target.check(input.bytes), QString()) << input.path.toStdString();
        }
    }
}

// A corpus the readers reject outright would leave the fuzzers mutating
// error paths only: each target has seeds its reader reads in full.
TEST(FuzzInputs, EachSeedCorpusHoldsInputsTheReaderAccepts) {
    for (const Target& target : targets()) {
        qsizetype accepted = 0;
        for (const Input& input : inputsOf(target.name, u"corpus"_s))
            accepted += target.accepts(input.bytes) ? 1 : 0;
        EXPECT_GE(accepted, 2) << target.name.toStdString();
    }
}
