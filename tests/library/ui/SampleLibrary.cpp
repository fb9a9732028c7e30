#include "library/ui/SampleLibrary.h"

#include "platform/memory/MemoryClock.h"
#include "store/Enrichment.h"
#include "store/Store.h"

#include <QDir>
#include <QFile>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTemporaryDir>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

// A landscape-like picture: a sky gradient, a sun and two hill lines.
QImage landscape(QColor top, QColor bottom, QColor hills, int width = 900, int height = 640) {
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, height);
    sky.setColorAt(0, top);
    sky.setColorAt(1, bottom);
    painter.fillRect(image.rect(), sky);
    QRadialGradient sun(width * 0.7, height * 0.35, height * 0.16);
    sun.setColorAt(0, QColor(255, 250, 230));
    sun.setColorAt(1, QColor(255, 250, 230, 0));
    painter.setBrush(sun);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(width * 0.7, height * 0.35), height * 0.16, height * 0.16);
    for (int layer = 0; layer < 2; ++layer) {
        QPainterPath hill;
        const qreal base = height * (0.62 + 0.14 * layer);
        hill.moveTo(0, base);
        for (int x = 0; x <= width; x += 30)
            hill.lineTo(x, base - std::sin((x + layer * 200) / 140.0) * 40 - layer * 10);
        hill.lineTo(width, height);
        hill.lineTo(0, height);
        painter.setBrush(layer == 0 ? hills.lighter(125) : hills);
        painter.drawPath(hill);
    }
    return image;
}

// A picture of a screen: a window with a title bar and lines of content.
QImage screenshot(QColor accent, int width = 1200, int height = 800) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(0xe9, 0xec, 0xf1));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRectF(60, 50, width - 120, height - 100), 16, 16);
    painter.setBrush(QColor(0xf3, 0xf4, 0xf6));
    painter.drawRoundedRect(QRectF(60, 50, width - 120, 54), 16, 16);
    const QColor dots[] = {QColor(0xff, 0x5f, 0x57), QColor(0xfe, 0xbc, 0x2e),
                           QColor(0x28, 0xc8, 0x40)};
    for (int i = 0; i < 3; ++i) {
        painter.setBrush(dots[i]);
        painter.drawEllipse(QPointF(92 + i * 26, 77), 8, 8);
    }
    painter.setBrush(accent);
    painter.drawRoundedRect(QRectF(100, 140, 300, 40), 8, 8);
    painter.setBrush(QColor(0xd9, 0xdd, 0xe3));
    for (int row = 0; row < 9; ++row)
        painter.drawRoundedRect(QRectF(100, 210 + row * 50, 300 + (row * 137) % 600, 18), 9, 9);
    painter.setBrush(accent.lighter(160));
    painter.drawRoundedRect(QRectF(width - 420, 140, 280, 300), 12, 12);
    return image;
}

// A page preview for a link: a coloured banner with a headline block.
QImage pagePreview(QColor colour, const QString& headline) {
    QImage image(1200, 630, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(0, 0, 1200, 630);
    fill.setColorAt(0, colour);
    fill.setColorAt(1, colour.darker(150));
    painter.fillRect(image.rect(), fill);
    painter.setPen(QColor(255, 255, 255, 235));
    QFont font;
    font.setPixelSize(74);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(80, 140, 1040, 360), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap,
                     headline);
    return image;
}

// A site icon: a rounded square with a letter.
QImage siteIcon(QColor colour, QChar letter) {
    QImage image(64, 64, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(colour);
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(0, 0, 64, 64), 14, 14);
    QFont font;
    font.setPixelSize(40);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(image.rect(), Qt::AlignCenter, QString(letter));
    return image;
}

// A document's first page: a white sheet with a title and text lines.
QImage documentPage(QColor accent) {
    QImage image(420, 560, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(Qt::NoPen);
    painter.setBrush(accent);
    painter.drawRect(QRectF(40, 50, 240, 26));
    painter.setBrush(QColor(0xcf, 0xd3, 0xda));
    for (int row = 0; row < 16; ++row)
        painter.drawRect(QRectF(40, 110 + row * 24, 340 - (row % 4 == 3 ? 140 : 0), 9));
    return image;
}

QString saveToFiles(Store& store, const QImage& image, const QString& name) {
    image.save(QDir(store.filesDir()).filePath(name));
    return name;
}

struct Link {
    QString url;
    QString title;
    QString text;
    QColor colour;
    bool preview;
};

} // namespace

void fillSampleLibrary(Store& store, MemoryClock& clock) {
    const QDateTime now = clock.now();
    int step = 0;
    // Items arrive oldest first, a few hours apart, so ages run from weeks to seconds.
    const auto tick = [&] {
        ++step;
        clock.set(now.addSecs(step == 60 ? -20 : -qint64(60 - step) * 5400 - 600));
    };
    QTemporaryDir sources;
    const QList<QPair<QString, QString>> texts{
        {u"Meeting notes — Thursday\nShip the onboarding copy by Friday. Ana owns the "
         "screenshots, Luis checks the translations. Next sync: Monday 10:00."_s,
         u"Quick Note"_s},
        {u"git rebase -i HEAD~5"_s, u"Terminal"_s},
        {u"“The best way to get a project done faster is to start sooner.” — Jim Highsmith"_s,
         u"Firefox"_s},
        {u"Groceries\n- oat milk\n- lemons\n- basil\n- sourdough\n- 2 avocados"_s, u"Quick Note"_s},
        {u"const debounced = useMemo(() => debounce(onSearch, 150), [onSearch]);"_s, u"Code"_s},
        {u"Flight LH 1423 · Gate B14 · Boarding 07:40 · Seat 21C"_s, u"Thunderbird"_s},
        {u"Idea: let people pin a stack to the top of the library so the things they "
         "are working on this week are always one glance away. Could reuse the tag "
         "chips as the pin target."_s,
         u"Quick Note"_s},
        {u"SELECT user_id, count(*) FROM events WHERE created_at > now() - interval "
         "'7 days' GROUP BY 1 ORDER BY 2 DESC LIMIT 20;"_s,
         u"Terminal"_s},
        {u"Orchard Studio\nRua das Flores 28, 2º\n1200-195 Lisboa\nWi-Fi: Orchard-Guest"_s,
         u"Quick Note"_s},
        {u"Reading list: Designing Data-Intensive Applications, The Pragmatic Programmer, "
         "A Philosophy of Software Design"_s,
         u"Firefox"_s},
        {u"The lasagne needs 45 minutes at 190 °C, then ten minutes of rest before "
         "cutting — otherwise the layers slide."_s,
         u"Quick Note"_s},
        {u"Call the dentist to move the appointment"_s, u"Quick Note"_s},
        {u"docker compose up -d --build && docker compose logs -f api"_s, u"Terminal"_s},
        {u"Her essay argues that attention is the scarcest resource in modern work: "
         "every notification is a small loan against focus, and the interest compounds "
         "through the afternoon. The fix she proposes is unglamorous — batch messages "
         "twice a day, close the chat app while writing, and keep a paper list of the "
         "three things that matter today. None of it is new, but her data from two "
         "hundred teams makes the cost hard to ignore."_s,
         u"Firefox"_s},
        {u"Invoice #2291 paid — €1,240.00"_s, u"Thunderbird"_s},
        {u"Birthday gift ideas for Mia: film camera, pottery class, that green lamp"_s,
         u"Quick Note"_s},
        {u"ssh -L 5432:localhost:5432 deploy@db.internal"_s, u"Terminal"_s},
        {u"Remember: the quarterly review moved to the 14th."_s, u"Slack"_s},
        {u"Weekend hike: Lake trail loop, 14 km, start early for parking"_s, u"Quick Note"_s},
        {u"font-feature-settings: \"tnum\" 1, \"ss01\" 1;"_s, u"Code"_s},
        {u"Password policy draft: 14 characters minimum, no forced rotation, check "
         "against breached lists on change."_s,
         u"Slack"_s},
        {u"Good morning! Stand-up is moved to 9:45 today."_s, u"Slack"_s},
    };
    const QList<Link> links{
        {u"https://www.nytimes.com/2025/11/02/travel/lisbon-weekend.html"_s,
         u"36 Hours in Lisbon"_s,
         u"Tiled streets, custard tarts and sunsets over the river: a weekend plan."_s,
         QColor(0x2b, 0x5d, 0x8c), true},
        {u"https://github.com/qt/qtbase"_s, u"qt/qtbase: Qt Base (Core, Gui, Widgets, Network)"_s,
         u"Qt Base — the core libraries of the Qt framework."_s, QColor(0x24, 0x29, 0x2f), true},
        {u"https://www.youtube.com/watch?v=dQw4w9WgXcQ"_s, u"A calm introduction to sourdough"_s,
         QString(), QColor(0xc4, 0x30, 0x2b), true},
        {u"https://en.wikipedia.org/wiki/Masonry"_s, u"Masonry — Wikipedia"_s,
         u"Masonry is the craft of building a structure from individual units laid in "
         "and bound together by mortar."_s,
         QColor(0x5a, 0x5a, 0x5a), false},
        {u"https://www.figma.com/community/file/library-cards"_s, u"Library cards kit"_s,
         u"A set of card layouts for galleries and dashboards."_s, QColor(0x8e, 0x44, 0xef), true},
        {u"https://news.ycombinator.com/item?id=41234567"_s,
         u"Show HN: A tiny local-first notes app"_s, QString(), QColor(0xff, 0x66, 0x00), false},
        {u"https://www.bbc.co.uk/food/recipes/lemon_risotto"_s, u"Lemon risotto recipe"_s,
         u"Creamy, bright and ready in thirty minutes."_s, QColor(0xd9, 0xa4, 0x1c), true},
        {u"https://docs.python.org/3/library/asyncio.html"_s, u"asyncio — Asynchronous I/O"_s,
         u"asyncio is a library to write concurrent code using the async/await syntax."_s,
         QColor(0x30, 0x69, 0x98), false},
        {u"https://www.airbnb.com/rooms/cabin-by-the-lake"_s, u"Cabin by the lake · 2 guests"_s,
         u"Wood stove, a canoe and no Wi-Fi."_s, QColor(0x2e, 0x7d, 0x32), true},
        {u"https://stackoverflow.com/questions/1234/qt-scroll-area-lazy"_s,
         u"How do I create widgets lazily in a QScrollArea?"_s, QString(), QColor(0xf4, 0x80, 0x24),
         false},
        {u"https://www.theverge.com/reviews/mechanical-keyboards"_s,
         u"The best mechanical keyboards to buy"_s, u"Our picks after six months of typing."_s,
         QColor(0x5b, 0x1e, 0xd6), true},
        {u"https://maps.google.com/?q=Botanical+Garden"_s, u"Botanical Garden"_s, QString(),
         QColor(0x1e, 0x88, 0x5a), false},
    };
    const QList<QImage> pictures{
        landscape(QColor(0xff, 0x9a, 0x76), QColor(0xff, 0xd8, 0x9b), QColor(0x4a, 0x3f, 0x6b)),
        screenshot(QColor(0x0a, 0x84, 0xff)),
        landscape(QColor(0x1f, 0x3b, 0x73), QColor(0x7f, 0xb2, 0xe5), QColor(0x1b, 0x4d, 0x3e), 700,
                  900),
        landscape(QColor(0x8e, 0xc5, 0xfc), QColor(0xe0, 0xc3, 0xfc), QColor(0x3d, 0x6b, 0x4f)),
        screenshot(QColor(0xff, 0x2d, 0x55), 1000, 700),
        landscape(QColor(0x0f, 0x20, 0x27), QColor(0x2c, 0x53, 0x64), QColor(0x10, 0x10, 0x20)),
        landscape(QColor(0xf8, 0xb1, 0x95), QColor(0xf6, 0x72, 0x80), QColor(0x35, 0x5c, 0x7d), 640,
                  860),
        screenshot(QColor(0x34, 0xc7, 0x59)),
        landscape(QColor(0xa1, 0xc4, 0xfd), QColor(0xc2, 0xe9, 0xfb), QColor(0x2f, 0x55, 0x4f)),
        landscape(QColor(0xfc, 0xcb, 0x90), QColor(0xd5, 0x7e, 0xeb), QColor(0x4b, 0x2c, 0x5e)),
        screenshot(QColor(0xaf, 0x52, 0xde), 900, 1100),
        landscape(QColor(0x43, 0xe9, 0x7b), QColor(0x38, 0xf9, 0xd7), QColor(0x0b, 0x3d, 0x2e)),
    };
    const QList<QPair<QString, bool>> files{
        {u"Quarterly report Q3.pdf"_s, true},
        {u"Lease agreement.pdf"_s, true},
        {u"Podcast episode 12.mp3"_s, false},
        {u"Design assets.zip"_s, false},
        {u"Holiday clip.mov"_s, false},
        {u"Budget 2026.xlsx"_s, false},
        {u"Boarding pass.pdf"_s, true},
        {u"Voice memo.m4a"_s, false},
        {u"Thesis draft v3.docx"_s, true},
        {u"Backup.tar"_s, false},
        {u"Brand guidelines.pdf"_s, true},
        {u"Interview.mp4"_s, false},
        {u"Notes from the workshop.txt"_s, false},
        {u"Tax return 2025.pdf"_s, true},
    };

    // Interleave kinds so the grid mixes them as a real library would.
    qsizetype t = 0, l = 0, p = 0, f = 0;
    const QList<QColor> accents{QColor(0x0a, 0x84, 0xff), QColor(0xff, 0x37, 0x5f),
                                QColor(0x30, 0xb0, 0x50), QColor(0xaf, 0x52, 0xde)};
    for (int n = 0; n < 60; ++n) {
        tick();
        const int kind = n % 5;
        if ((kind == 0 || kind == 3) && t < texts.size()) {
            store.addText(texts[t].first, texts[t].second);
            ++t;
        } else if (kind == 1 && l < links.size()) {
            const Link& link = links[l];
            store.addLink(QUrl(link.url), u"Firefox"_s);
            Enrichment enrichment;
            enrichment.id = store.items().front().id;
            enrichment.title = link.title;
            if (!link.text.isEmpty())
                enrichment.text = link.text;
            const QString slug = u"sample-link-%1"_s.arg(l);
            if (link.preview)
                enrichment.thumbFileName =
                    saveToFiles(store, pagePreview(link.colour, link.title), slug + u".png"_s);
            enrichment.iconFileName = saveToFiles(
                store, siteIcon(link.colour, QUrl(link.url).host().remove(u"www."_s)[0].toUpper()),
                slug + u"-icon.png"_s);
            store.applyEnrichment(enrichment);
            ++l;
        } else if (kind == 2 && p < pictures.size()) {
            store.addImage(pictures[p], p % 3 == 0 ? std::optional<QString>() : u"Screenshot"_s);
            ++p;
        } else if (f < files.size()) {
            const auto& [name, thumb] = files[f];
            const QString path = QDir(sources.path()).filePath(name);
            QFile file(path);
            if (file.open(QIODevice::WriteOnly))
                file.write(QByteArray(2048, 'x'));
            file.close();
            store.addFiles({QUrl::fromLocalFile(path)}, u"Files"_s);
            if (thumb) {
                Enrichment enrichment;
                enrichment.id = store.items().front().id;
                enrichment.thumbFileName =
                    saveToFiles(store, documentPage(accents[f % accents.size()]),
                                u"sample-doc-%1.png"_s.arg(f));
                store.applyEnrichment(enrichment);
            }
            ++f;
        } else if (t < texts.size()) {
            store.addText(texts[t].first, texts[t].second);
            ++t;
        }
    }
    // A few items carry the user's own tags, as after some weeks of use.
    const QList<Item> items = store.items();
    const QStringList own{u"Work"_s, u"Travel"_s, u"Home"_s, u"Work"_s, u"Ideas"_s};
    for (qsizetype i = 0; i < items.size(); i += 7)
        store.toggleTag(own[(i / 7) % own.size()], items[i].id);
    clock.set(now);
}
