// `tovik profile` and `tovik field`: the JSON contracts and the streams.
#include "app/cli/ProfileCommands.h"

#include "app/cli/CommandStreams.h"
#include "autofill/ProfileStore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sstream>

using namespace Qt::StringLiterals;

namespace {
struct Output {
    int status;
    std::string out;
    std::string err;
};

Output run(Command& command, const QStringList& args, const std::string& input = {}) {
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    CommandStreams streams{in, out, err};
    const int status = command.run(args, streams);
    return {status, out.str(), err.str()};
}
} // namespace

TEST(ProfileCommands, SetFillLearnForgetAndTheJsonView) {
    QTemporaryDir dir;
    ProfileStore store({dir.filePath(u"profile.json"_s), {}});
    ProfileCommand profile(&store);
    EXPECT_EQ(run(profile, {u"set"_s, u"fullName"_s, u"Ada King Lovelace"_s}).status, 0);
    Output r = run(profile, {u"fill"_s, u"lastName"_s});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "King Lovelace\n");
    EXPECT_EQ(run(profile, {u"fill"_s, u"city"_s}).status, 1);
    EXPECT_EQ(run(profile, {u"fill"_s, u"city"_s}).out, "");
    EXPECT_EQ(run(profile, {u"learn"_s, u"email"_s, u"not-an-email"_s}).out, "false\n");
    EXPECT_EQ(run(profile,
                  {u"learn"_s, u"--custom"_s, u"college"_s, u"--label"_s, u"College"_s, u"MIT"_s})
                  .out,
              "true\n");
    EXPECT_EQ(run(profile, {u"fill"_s, u"--custom"_s, u"college"_s}).out, "MIT\n");
    r = run(profile, {u"--json"_s});
    const QJsonObject json = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
    EXPECT_EQ(json.value(u"values"_s).toObject().value(u"fullName"_s).toString(),
              u"Ada King Lovelace"_s);
    EXPECT_EQ(QJsonDocument(json.value(u"learned"_s).toArray()).toJson(QJsonDocument::Compact),
              R"([{"key":"college","label":"College","value":"MIT"}])");
    EXPECT_EQ(run(profile, {u"forget"_s, u"college"_s}).status, 0);
    EXPECT_EQ(run(profile, {u"fill"_s, u"--custom"_s, u"college"_s}).status, 1);
    EXPECT_EQ(run(profile, {u"set"_s, u"fullName"_s, u""_s}).status, 0);
    EXPECT_TRUE(store.values().isEmpty());
    EXPECT_EQ(run(profile, {u"set"_s, u"shoeSize"_s, u"9"_s}).status, 2);
}

TEST(FieldCommand, AnswersOneLinePerObjectAndSurvivesBadLines) {
    FieldCommand field;
    const Output r = run(field, {u"--jsonl"_s},
                         "{\"label\": \"Work Email*\"}\n"
                         "not json\n"
                         "[1, 2]\n"
                         "{\"before\": \"Mobile\", \"picker\": true}\n"
                         "{\"label\": \"Which college?\"}\n"
                         "{\"placeholder\": \"Search\"}\n");
    EXPECT_EQ(r.status, 0);
    QStringList lines = QString::fromStdString(r.out).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[0], uR"({"hasCountryPicker":false,"target":{"field":"email"}})"_s);
    EXPECT_TRUE(lines[1].startsWith(u"{\"error\":"_s));
    EXPECT_TRUE(lines[2].startsWith(u"{\"error\":"_s));
    EXPECT_EQ(lines[3], uR"({"hasCountryPicker":true,"target":{"field":"phone"}})"_s);
    EXPECT_EQ(
        lines[4],
        uR"({"hasCountryPicker":false,"target":{"custom":"which college","label":"Which college?"}})"_s);
    EXPECT_EQ(lines[5], uR"({"hasCountryPicker":false,"target":null})"_s);

    const Output one = run(field, {u"Father's name"_s});
    EXPECT_EQ(one.out, "match: -\ncustomKey: father s name\n");
}
