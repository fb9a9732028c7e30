// Renders the people page in its main states to PNG for review:
//   scripts/with-desktop ctest --test-dir build/debug -R NetworkScreenshots
// writes build/screenshots/network-*.png (or into $TOVIK_SCREENSHOT_DIR).
#include "library/ImageCache.h"
#include "network/NetworkStore.h"
#include "network/ui/NetworkCanvas.h"
#include "network/ui/NetworkContext.h"
#include "network/ui/NetworkView.h"
#include "network/ui/PersonCard.h"
#include "network/ui/PersonSheet.h"
#include "platform/linux/FusionAppearance.h"
#include "platform/memory/MemoryClock.h"
#include "platform/memory/MemoryHttpClient.h"
#include "platform/memory/MemoryPasteboard.h"
#include "support/GuiApplication.h"
#include "support/Screenshots.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

class NetworkScreenshots : public ::testing::Test {
protected:
    void SetUp() override {
        guiApplication();
        NetworkStore::Options options;
        options.dataFolder = folder.path();
        options.http = &http;
        options.clock = &clock;
        options.enrichAtOpen = false;
        options.enrichOnChange = false;
        store = std::make_unique<NetworkStore>(options);
        context = std::make_unique<NetworkContext>(
            NetworkContext{*store, images, pasteboard, [](const QUrl&) {}});
    }
    void TearDown() override {
        view.reset();
        appearance.apply(u"light"_s);
    }

    NetworkView& open(const QString& look = u"light"_s) {
        appearance.apply(look);
        view = std::make_unique<NetworkView>(*context);
        view->resize(1120, 760);
        view->setAttribute(Qt::WA_DontShowOnScreen);
        view->show();
        return *view;
    }

    void addSample() {
        QDir().mkpath(store->filesDir());
        QImage logo(64, 64, QImage::Format_RGB32);
        logo.fill(QColor(20, 110, 220));
        logo.save(store->filesDir() + u"/E-logo.png"_s);
        QImage avatar(128, 128, QImage::Format_RGB32);
        avatar.fill(QColor(200, 140, 90));
        avatar.save(store->filesDir() + u"/A-avatar.png"_s);
        const struct {
            const char* name;
            const char* company;
            const char* location;
        } people[] = {
            {"Ada Lovelace", "Engines Ltd", "London"},
            {"Charles Babbage", "Engines Ltd", ""},
            {"Mary Somerville", "Engines Ltd", "Oxford"},
            {"Grace Hopper", "Navy", "Arlington"},
            {"Frances Allen", "Navy", ""},
            {"Alan Turing", "Bletchley", "Wilmslow"},
            {"Joan Clarke", "Bletchley", ""},
            {"Tommy Flowers", "Bletchley", "London"},
            {"Ken Thompson", "Bell Labs", ""},
            {"Dennis Ritchie", "Bell Labs", ""},
            {"Barbara Liskov", "", "Boston"},
            {"Edsger Dijkstra", "", "Austin"},
        };
        int i = 0;
        for (const auto& each : people) {
            Person person;
            person.id = QUuid::createUuid();
            person.name = QString::fromUtf8(each.name);
            person.company = QString::fromUtf8(each.company);
            person.location = QString::fromUtf8(each.location);
            person.note = i == 0 ? u"Met at the Analytical Society"_s : QString();
            person.linkedin = i == 0 ? std::optional(u"linkedin.com/in/ada"_s) : std::nullopt;
            person.avatarFileName = i % 3 == 0 ? u"A-avatar.png"_s : u""_s;
            person.logoFileName = person.company == u"Engines Ltd"_s ? u"E-logo.png"_s : u""_s;
            person.addedAt = i++;
            store->add(person);
        }
    }

    void save(QWidget& widget, const QString& name) {
        QCoreApplication::processEvents();
        const QString path = screenshotDir() + u"/network-"_s + name + u".png"_s;
        ASSERT_TRUE(widget.grab().save(path)) << path.toStdString();
    }

    QTemporaryDir folder;
    MemoryClock clock;
    MemoryHttpClient http;
    MemoryPasteboard pasteboard;
    ImageCache images;
    FusionAppearance appearance;
    std::unique_ptr<NetworkStore> store;
    std::unique_ptr<NetworkContext> context;
    std::unique_ptr<NetworkView> view;
};

} // namespace

TEST_F(NetworkScreenshots, EveryStateOfThePage) {
    save(open(), u"empty"_s);
    addSample();
    save(*view, u"map"_s);

    const Person ada = store->people().first();
    view->toggleSelection(ada.id);
    // The card has slid in to rest on the page's bottom edge.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return view->card()->isVisible() &&
                   view->card()->geometry().bottom() + 1 == view->height();
        },
        5000));
    save(*view, u"selected"_s);

    view->openEditSheet(ada);
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->sheet() && view->sheet()->isVisible(); }));
    save(*view, u"edit-sheet"_s);

    open(u"dark"_s);
    save(*view, u"map-dark"_s);
    view->openAddSheet();
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->sheet() && view->sheet()->isVisible(); }));
    view->sheet()->nameField()->setText(u"Katherine Johnson"_s);
    save(*view, u"add-sheet-dark"_s);
}
