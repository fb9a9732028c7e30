// The autofill engine against a substitute tree: what it fills, what it
// leaves alone, what it learns, and what a resting focus costs.
#include "autofill/AutoFill.h"

#include "autofill/ProfileStore.h"
#include "platform/DefaultsKeys.h"
#include "platform/memory/MemoryPlatform.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sstream>

using namespace Qt::StringLiterals;

namespace {
const QString kPage = uR"(AXApplication pid=50 title=Chromium
  AXWindow title=Form focusedWindow
    AXGroup id=toolbar
      AXTextField id=omnibox title="Address and search bar" value=""
    AXWebArea url="http://forms.test/"
      AXGroup id=lab
        AXStaticText value="Work email"
      AXTextField id=email label=lab value=""
      AXGroup
        AXStaticText value=Mobile
        AXPopUpButton title="+44"
        AXTextField id=phone value=""
      AXTextField id=pw sub=AXSecureTextField title=Email value=""
      AXTextField id=q sub=AXSearchField title=Email value=""
      AXTextArea id=ta title=Email value=""
      AXTextField id=prefilled title=Email value="someone@else.com"
      AXTextField id=college title="Which college did you attend?" value=""
      AXTextField id=refuses title=Email value="" refusesValue
)"_s;

struct AutoFillTest : ::testing::Test {
    QTemporaryDir dir;
    MemoryPlatform platform;
    ProfileStore profile{{dir.filePath(u"profile.json"_s), {}}};
    QStringList flashes;
    std::ostringstream debug;
    std::unique_ptr<AutoFill> engine;

    void SetUp() override {
        platform.memoryAccessibility.load(kPage);
        platform.memoryFrontmost.application = RunningApplication{50, u"org.chromium.Chromium"_s};
        AutoFill::Services services{platform.accessibility(),
                                    platform.frontmostApplication(),
                                    platform.keyboardTyper(),
                                    platform.userDefaults(),
                                    profile,
                                    platform.clock(),
                                    [this](const QString& text) { flashes.append(text); },
                                    1,
                                    std::nullopt,
                                    &debug,
                                    0};
        engine = std::make_unique<AutoFill>(std::move(services));
        profile.set(u"ada@example.com"_s, ProfileField::email);
        profile.set(u"+44 7700 900123"_s, ProfileField::phone);
    }
    AXElement field(const QString& id) { return platform.memoryAccessibility.byId(id); }
    void focus(const QString& id) {
        platform.memoryAccessibility.focus(field(id));
        engine->tick();
    }
    QString value(const QString& id) { return field(id).string(AX::value).value_or(u"?"_s); }
};
} // namespace

TEST_F(AutoFillTest, FillsWhatTheProfileKnowsAndNothingElse) {
    focus(u"email"_s);
    EXPECT_EQ(value(u"email"_s), u"ada@example.com"_s);
    EXPECT_EQ(flashes, QStringList{u"Filled email"_s});

    focus(u"phone"_s);
    EXPECT_EQ(value(u"phone"_s), u"7700900123"_s) << "the national number behind a picker";

    for (const QString& untouched : {u"pw"_s, u"q"_s, u"ta"_s, u"omnibox"_s}) {
        focus(untouched);
        EXPECT_EQ(value(untouched), u""_s) << untouched.toStdString();
    }
    focus(u"prefilled"_s);
    EXPECT_EQ(value(u"prefilled"_s), u"someone@else.com"_s) << "never overwrites";
    EXPECT_EQ(flashes.size(), 2);
    // The diagnostic line never shows a secure field's value.
    EXPECT_NE(debug.str().find("sub=AXSecureTextField"), std::string::npos);
    EXPECT_NE(debug.str().find("value=(hidden)"), std::string::npos);
}

TEST_F(AutoFillTest, TypesWhenTheFieldRefusesTheValueAndFillsEachFieldOnce) {
    focus(u"refuses"_s);
    EXPECT_EQ(platform.memoryKeyboardTyper.typed, QStringList{u"ada@example.com"_s});
    EXPECT_EQ(flashes, QStringList{u"Filled email"_s});

    // Cleared by the user, left and entered again: not filled a second time.
    focus(u"email"_s);
    platform.memoryAccessibility.setString(field(u"email"_s), u"value"_s, u""_s);
    focus(u"omnibox"_s);
    focus(u"email"_s);
    EXPECT_EQ(value(u"email"_s), u""_s);
    EXPECT_EQ(engine->handledCount(), 2);
}

TEST_F(AutoFillTest, LearnsWhatIsTypedWhenFocusLeaves) {
    focus(u"college"_s);
    platform.memoryAccessibility.setString(field(u"college"_s), u"value"_s, u"MIT"_s);
    engine->tick(); // focus rests: the typed text is followed
    focus(u"omnibox"_s);
    EXPECT_EQ(profile.fillValue(FillTarget::custom(u"which college did you attend"_s, {})),
              u"MIT"_s);
    // The question is 29 characters: the flash cuts it to 27 and an ellipsis.
    EXPECT_EQ(flashes.last(), u"Remembered Which college did you atten…"_s);
}

TEST_F(AutoFillTest, DoesNotLearnTheQuestionItselfOrWhenLearningIsOff) {
    focus(u"college"_s);
    platform.memoryAccessibility.setString(field(u"college"_s), u"value"_s,
                                           u"Which college did you attend?"_s);
    focus(u"omnibox"_s);
    EXPECT_TRUE(profile.learned().isEmpty());

    platform.userDefaults().set(DefaultsKeys::autofillLearns, false);
    focus(u"college"_s);
    platform.memoryAccessibility.setString(field(u"college"_s), u"value"_s, u"MIT"_s);
    focus(u"omnibox"_s);
    EXPECT_TRUE(profile.learned().isEmpty());
    EXPECT_TRUE(flashes.isEmpty());
}

TEST_F(AutoFillTest, ARestingFocusCostsOneReadATick) {
    focus(u"email"_s);
    platform.memoryAccessibility.resetCounts();
    for (int i = 0; i < 10; ++i)
        engine->tick();
    EXPECT_EQ(platform.memoryAccessibility.reads(), 10);
}

TEST_F(AutoFillTest, AFocusMoveTicksAtOnceAndABurstOfMovesTicksOnce) {
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    engine->start();
    // Posted work runs, timers do not: the move alone brings the fill.
    platform.memoryAccessibility.focus(field(u"email"_s));
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(value(u"email"_s), u"ada@example.com"_s);

    // One tick for the lot, reading where focus came to rest.
    platform.memoryAccessibility.resetCounts();
    for (const QString& id : {u"omnibox"_s, u"college"_s, u"phone"_s})
        platform.memoryAccessibility.focus(field(id));
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(platform.memoryAccessibility.reads(AX::focusedUIElement), 1);
    EXPECT_EQ(value(u"phone"_s), u"7700900123"_s);

    // A move after the engine is gone reaches nothing.
    engine.reset();
    platform.memoryAccessibility.resetCounts();
    platform.memoryAccessibility.focus(field(u"email"_s));
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(platform.memoryAccessibility.reads(), 0);
}

TEST_F(AutoFillTest, TheDiagnosticLineCostsNoFurtherReads) {
    const auto readsToArrive = [this](AutoFill& watcher) {
        platform.memoryAccessibility.focus(field(u"omnibox"_s));
        watcher.tick();
        platform.memoryAccessibility.resetCounts();
        platform.memoryAccessibility.focus(field(u"college"_s));
        watcher.tick();
        return platform.memoryAccessibility.reads();
    };
    const int withLine = readsToArrive(*engine);
    EXPECT_NE(debug.str().find("target=custom(which college did you attend)"), std::string::npos);
    AutoFill quiet({platform.accessibility(), platform.frontmostApplication(),
                    platform.keyboardTyper(), platform.userDefaults(), profile, platform.clock(),
                    [](const QString&) {}, 1, std::nullopt, nullptr, 0});
    EXPECT_EQ(withLine, readsToArrive(quiet));
}

TEST_F(AutoFillTest, NothingHappensOffInOwnWindowOrWithoutAccess) {
    platform.userDefaults().set(DefaultsKeys::autofillEnabled, false);
    focus(u"email"_s);
    EXPECT_EQ(value(u"email"_s), u""_s);

    platform.userDefaults().set(DefaultsKeys::autofillEnabled, true);
    platform.memoryFrontmost.application = RunningApplication{1, u"tovik"_s};
    focus(u"email"_s);
    EXPECT_EQ(value(u"email"_s), u""_s);
}

TEST_F(AutoFillTest, WithoutAccessTheCheckIsRepeatedAtMostEveryTwoSeconds) {
    platform.memoryAccessibility.enabled = false;
    focus(u"email"_s);
    platform.memoryAccessibility.enabled = true;
    engine->tick();
    EXPECT_EQ(value(u"email"_s), u""_s);
    platform.memoryClock.advance(2100);
    engine->tick();
    EXPECT_EQ(value(u"email"_s), u"ada@example.com"_s);
}
