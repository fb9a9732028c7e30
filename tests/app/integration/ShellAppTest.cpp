// The main window's shell in the running desktop app, read as a user sees
// it: its pages found by their words on screen (OCR), its sidebar clicked
// with the pointer, in the light and the dark appearance.
#include "app/ui/AppShellView.h"
#include "platform/linux/TesseractTextRecognizer.h"
#include "support/AppHome.h"
#include "support/GuiApplication.h"
#include "support/Screenshots.h"
#include "support/TovikProcess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Words read from part of the screen; small text is enlarged first, as the
// recogniser reads best at print sizes.
QString read(const QImage& image, const QRect& area) {
    static TesseractTextRecognizer recognizer;
    const QImage part =
        image.copy(area).scaled(area.size() * 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return recognizer.recognizeLines(part, TextRecognizer::Level::fast).join(u' ');
}

double meanLightness(const QImage& image, const QRect& area) {
    double sum = 0;
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); y += 4) {
        for (int x = area.left(); x <= area.right(); x += 4) {
            sum += image.pixelColor(x, y).lightness();
            ++count;
        }
    }
    return count ? sum / count : 0;
}

class ShellApp : public ::testing::Test {
protected:
    void SetUp() override {
        if (!hasDisplay())
            GTEST_SKIP() << "needs the desktop session of scripts/with-desktop";
        guiApplication();
        env = home.environment();
    }
    void TearDown() override { AppHome::stop(app); }

    void start(const QString& section, const QString& appearance) {
        const QString config = home.path(u"config/com.nivo.lumavex"_s);
        QDir().mkpath(config);
        QFile defaults(config + u"/defaults.json"_s);
        ASSERT_TRUE(defaults.open(QIODevice::WriteOnly | QIODevice::Truncate));
        defaults.write(QJsonDocument(QJsonObject{{u"appearance"_s, appearance},
                                                 {u"didConfigureLoginItem"_s, true}})
                           .toJson());
        defaults.close();
        env.insert(u"TOVIK_SHOW"_s, section);
        ASSERT_TRUE(home.start(app, env));
    }

    // The main window's picture, once it is on screen at its full size.
    std::optional<QImage> window() {
        QProcess search;
        search.start(u"xdotool"_s, {u"search"_s, u"--onlyvisible"_s, u"--name"_s, u"^lumavex$"_s});
        search.waitForFinished(5000);
        const QByteArray ids = search.readAllStandardOutput().trimmed();
        if (ids.isEmpty())
            return std::nullopt;
        windowId = ids.split('\n').last();
        QImage shot = QGuiApplication::primaryScreen()
                          ->grabWindow(WId(windowId.toULongLong()))
                          .toImage()
                          .convertToFormat(QImage::Format_RGB32);
        if (shot.width() < 800 || shot.height() < 500)
            return std::nullopt;
        return shot;
    }
    static QRect page(const QImage& shot) {
        return shot.rect().adjusted(AppShellView::kSidebarWidth, 0, 0, 0);
    }
    // Waits until the page beside the sidebar shows words; returns the
    // window's picture then.
    std::optional<QImage> waitForPage(const QString& words) {
        std::optional<QImage> shot;
        const bool shown = QTest::qWaitFor(
            [&] {
                shot = window();
                if (!shot)
                    return false;
                const QRect top = page(*shot).adjusted(0, 0, 0, 150 - shot->height());
                lastRead = read(*shot, top);
                return lastRead.contains(words);
            },
            20000);
        return shown ? shot : std::nullopt;
    }
    void click(int x, int y) {
        QProcess::execute(u"xdotool"_s,
                          {u"mousemove"_s, u"--window"_s, QString::fromLatin1(windowId),
                           QString::number(x), QString::number(y), u"click"_s, u"1"_s});
    }

    AppHome home;
    QProcessEnvironment env;
    QProcess app;
    QByteArray windowId;
    QString lastRead;
};

} // namespace

TEST_F(ShellApp, SettingsFromTheEnvironmentThenAClickOnChatBlurShowsItsPage) {
    start(u"settings"_s, u"light"_s);
    std::optional<QImage> shot = waitForPage(u"How Tovik behaves"_s);
    ASSERT_TRUE(shot) << "read: " << lastRead.toStdString();

    // The row is wherever the sidebar draws it: look for its words.
    std::optional<int> rowY;
    for (int y = 0; y < 420 && !rowY; y += 6) {
        if (read(*shot, QRect(0, y, AppShellView::kSidebarWidth, 30)).trimmed() == u"Chat Blur"_s)
            rowY = y + 15;
    }
    ASSERT_TRUE(rowY) << "no \"Chat Blur\" row in the sidebar";

    // A click lost on a busy machine is repeated, as a person would.
    bool shown = false;
    for (int attempt = 0; attempt < 3 && !shown; ++attempt) {
        click(AppShellView::kSidebarWidth / 2, *rowY);
        shown = waitForPage(u"blurs the chat titles"_s).has_value();
    }
    EXPECT_TRUE(shown) << "read: " << lastRead.toStdString();
}

TEST_F(ShellApp, ShellScreenshotsOfEveryPageInLightAndDark) {
    // The pointer rests outside the window, so no row shows its hover.
    QProcess::execute(u"xdotool"_s, {u"mousemove"_s, u"0"_s, u"0"_s});
    for (const QString& text : {u"Call the landlord about the boiler on Monday"_s,
                                u"Quarterly planning: hire two engineers and ship the beta"_s,
                                u"Recipe: lentil soup with cumin and lemon"_s}) {
        ASSERT_EQ(runTovik({u"add"_s, u"text"_s, text}, {}, env).exitStatus, 0);
    }
    for (const auto& [name, company] :
         {std::pair{u"Ada Lovelace"_s, u"Analytical Engines"_s},
          std::pair{u"Grace Hopper"_s, u"Navy"_s}, std::pair{u"Alan Turing"_s, u"Bletchley"_s},
          std::pair{u"Charles Babbage"_s, u"Analytical Engines"_s}}) {
        ASSERT_EQ(
            runTovik({u"people"_s, u"add"_s, u"--name"_s, name, u"--company"_s, company}, {}, env)
                .exitStatus,
            0);
    }
    const std::pair<QString, QString> pages[] = {{u"memory"_s, u"Memory"_s},
                                                 {u"network"_s, u"Add person"_s},
                                                 {u"profile"_s, u"Autofill"_s},
                                                 {u"blur"_s, u"Chat Blur"_s},
                                                 {u"settings"_s, u"Settings"_s}};
    for (const QString& appearance : {u"light"_s, u"dark"_s}) {
        for (const auto& [section, words] : pages) {
            start(section, appearance);
            const std::optional<QImage> shot = waitForPage(words);
            ASSERT_TRUE(shot) << section.toStdString() << " " << appearance.toStdString()
                              << " read: " << lastRead.toStdString();
            const double lightness = meanLightness(*shot, page(*shot));
            if (appearance == u"dark"_s)
                EXPECT_LT(lightness, 110) << section.toStdString();
            else
                EXPECT_GT(lightness, 170) << section.toStdString();
            EXPECT_TRUE(shot->save(screenshotDir() + u"/shell-"_s + section + u"-"_s + appearance +
                                   u".png"_s));
            AppHome::stop(app);
        }
    }
}
