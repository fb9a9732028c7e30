// Cards dragged out of the library into another application on the real
// desktop session: what arrives is what the user dragged.

#include "capture/integration/HelperApplication.h"
#include "library/ui/ItemCard.h"
#include "library/ui/LibraryFixture.h"
#include "library/ui/LibraryView.h"
#include "library/ui/MasonryGrid.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QTest>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

class CardDragDesktopTest : public LibraryFixture {
protected:
    void SetUp() override {
        LibraryFixture::SetUp();
        ASSERT_TRUE(helper.start({}));
    }

    void TearDown() override { view.reset(); }

    void openLibrary() {
        view = std::make_unique<LibraryView>(*context);
        view->setWindowTitle(u"library under test"_s);
        view->setGeometry(420, 60, 900, 600);
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get(), 5000));
        QTest::qWait(100);
    }

    ItemCard* cardOf(const QUuid& id) const {
        for (QWidget* widget : view->grid()->cardWidgets()) {
            auto* card = qobject_cast<ItemCard*>(widget);
            if (card && card->item().id == id)
                return card;
        }
        return nullptr;
    }

    // Presses on the card and pulls it onto the helper's drop target in one
    // xdotool run. It must run alongside this process: once the drag starts,
    // the drag's own event loop runs here until the button is released.
    std::optional<QJsonObject> dragOut(ItemCard* card) {
        const QPoint from = card->mapToGlobal(card->rect().center());
        const QPoint to(HelperApplication::dropX, HelperApplication::dropY);
        QStringList gesture{u"mousemove"_s,
                            QString::number(from.x()),
                            QString::number(from.y()),
                            u"sleep"_s,
                            u"0.2"_s,
                            u"mousedown"_s,
                            u"1"_s,
                            u"sleep"_s,
                            u"0.2"_s};
        constexpr int steps = 24;
        for (int step = 1; step <= steps; ++step) {
            const QPoint at = from + (to - from) * step / steps;
            gesture << u"mousemove"_s << QString::number(at.x()) << QString::number(at.y())
                    << u"sleep"_s << u"0.05"_s;
        }
        gesture << u"sleep"_s << u"0.3"_s << u"mouseup"_s << u"1"_s;
        QProcess xdotool;
        xdotool.start(u"xdotool"_s, gesture);
        std::optional<QJsonObject> drop;
        const bool dropped =
            QTest::qWaitFor([&] { return (drop = helper.takeDrop()).has_value(); }, 15000);
        // The gesture is over before the next one starts, whatever happened.
        if (!QTest::qWaitFor([&] { return xdotool.state() == QProcess::NotRunning; }, 5000))
            xdotool.kill();
        xdotool.waitForFinished(2000);
        return dropped ? drop : std::nullopt;
    }

    HelperApplication helper;
    std::unique_ptr<LibraryView> view;
};

} // namespace

TEST_F(CardDragDesktopTest, TextAndFileCardsArriveAsTheirTextAndStoredFile) {
    const QString original = support.path() + u"/Quarterly report.pdf"_s;
    {
        QFile file(original);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("%PDF-1.4 not really");
    }
    store->addFiles({QUrl::fromLocalFile(original)}, u"Files"_s);
    const Item fileItem = store->items().front();
    ASSERT_TRUE(store->addText(u"Meet at the north gate at nine"_s, std::nullopt));
    const Item textItem = store->items().front();
    openLibrary();

    ItemCard* textCard = cardOf(textItem.id);
    ASSERT_NE(textCard, nullptr);
    const auto text = dragOut(textCard);
    ASSERT_TRUE(text.has_value()) << "nothing arrived from the text card";
    EXPECT_EQ(text->value(u"text"_s).toString(), u"Meet at the north gate at nine"_s);
    EXPECT_TRUE(text->value(u"urls"_s).toArray().isEmpty());

    ItemCard* fileCard = cardOf(fileItem.id);
    ASSERT_NE(fileCard, nullptr);
    const auto file = dragOut(fileCard);
    ASSERT_TRUE(file.has_value()) << "nothing arrived from the file card";
    const QJsonArray urls = file->value(u"urls"_s).toArray();
    ASSERT_EQ(urls.size(), 1);
    const QString dropped = QUrl(urls.first().toString()).toLocalFile();
    EXPECT_EQ(QFileInfo(dropped).absolutePath(), QDir(store->filesDir()).absolutePath())
        << "the stored copy is offered, not the original";
    EXPECT_TRUE(QFile::exists(dropped));
    EXPECT_EQ(file->value(u"suggestedName"_s).toString(), u"Quarterly report.pdf"_s);
    EXPECT_EQ(store->items().size(), 2) << "dragging out keeps the item";
    EXPECT_TRUE(QFile::exists(original));
}
