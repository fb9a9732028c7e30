#include "network/ui/PersonCard.h"

#include "library/ImageCache.h"
#include "library/ui/CardPainter.h"
#include "library/ui/RoundedPanel.h"
#include "network/NetworkStore.h"
#include "network/ui/NetworkContext.h"

#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

QToolButton* smallButton(const QString& symbol, int size, const QColor& color, const QString& help,
                         QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setAutoRaise(true);
    button->setIcon(QIcon(CardPainter::symbol(symbol, size, color, parent->devicePixelRatioF())));
    button->setIconSize(QSize(size, size));
    button->setToolTip(help);
    button->setCursor(Qt::PointingHandCursor);
    button->setFixedSize(20, 20);
    return button;
}

QPixmap roundAvatar(const QImage& image, int side, qreal ratio) {
    QPixmap pixmap(QSize(side, side) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath circle;
    circle.addEllipse(QRectF(0, 0, side, side));
    painter.setClipPath(circle);
    const qreal edge = std::min(image.width(), image.height());
    painter.drawImage(QRectF(0, 0, side, side), image,
                      QRectF((image.width() - edge) / 2, (image.height() - edge) / 2, edge, edge));
    return pixmap;
}

} // namespace

PersonCard::PersonCard(NetworkContext& context, QWidget* parent)
    : QWidget(parent), context(context) {
    setObjectName(u"personCard"_s);
    setFixedWidth(cardWidth + 24); // room for the shadow
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(12, 8, 12, 16);
    auto* panel = new RoundedPanel(12, QPalette::Window, this);
    auto* shadow = new QGraphicsDropShadowEffect(panel);
    shadow->setBlurRadius(24);
    shadow->setOffset(0, 3);
    shadow->setColor(QColor::fromRgbF(0, 0, 0, 0.12));
    panel->setGraphicsEffect(shadow);
    panel->setFixedWidth(cardWidth);
    outer->addWidget(panel);

    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(14, 14, 14, 14);
    column->setSpacing(8);
    auto* header = new QHBoxLayout;
    header->setSpacing(6);
    avatar = new QLabel(panel);
    avatar->setFixedSize(30, 30);
    header->addWidget(avatar);
    name = new QLabel(panel);
    name->setObjectName(u"personCardName"_s);
    name->setFont(CardPainter::font(14, QFont::DemiBold));
    // Shrinks with the room the buttons leave; the text is elided to fit.
    name->setMinimumWidth(1);
    name->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    header->addWidget(name, 1);
    const QColor secondary = CardPainter::secondary(palette());
    QColor tertiary = palette().color(QPalette::WindowText);
    tertiary.setAlphaF(0.35);
    openLink = smallButton(u"arrow.up.right.square"_s, 11, QColor(0x00, 0x7A, 0xFF),
                           u"Open LinkedIn profile"_s, panel);
    edit = smallButton(u"pencil"_s, 11, secondary, u"Edit"_s, panel);
    remove = smallButton(u"trash"_s, 11, secondary, u"Delete"_s, panel);
    dismiss = smallButton(u"xmark"_s, 10, tertiary, u"Close"_s, panel);
    for (QToolButton* button : {openLink, edit, remove, dismiss})
        header->addWidget(button);
    column->addLayout(header);
    details = new QWidget(panel);
    detailLayout = new QVBoxLayout(details);
    detailLayout->setContentsMargins(0, 0, 0, 0);
    detailLayout->setSpacing(4);
    column->addWidget(details);

    connect(openLink, &QToolButton::clicked, this, &PersonCard::openProfile);
    connect(edit, &QToolButton::clicked, this, [this] { Q_EMIT editRequested(shown); });
    connect(remove, &QToolButton::clicked, this, [this] { Q_EMIT deleteRequested(shown); });
    connect(dismiss, &QToolButton::clicked, this, &PersonCard::closeRequested);
}

QWidget* PersonCard::detailRow(const QString& symbol, const QString& text) {
    auto* row = new QWidget(details);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    auto* icon = new QLabel(row);
    icon->setPixmap(
        CardPainter::symbol(symbol, 11, CardPainter::secondary(palette()), devicePixelRatioF()));
    icon->setAlignment(Qt::AlignTop);
    layout->addWidget(icon);
    auto* label = new QLabel(text, row);
    label->setFont(CardPainter::font(11));
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    CardPainter::useSecondaryText(label, palette());
    layout->addWidget(label, 1);
    return row;
}

void PersonCard::showPerson(const Person& person) {
    shown = person;
    name->setTextFormat(Qt::PlainText);
    name->setToolTip(person.name);
    const QString path = context.network.storedPath(person.avatarFileName);
    std::optional<QImage> image;
    if (!path.isEmpty())
        image = context.images.load(path, qCeil(30 * devicePixelRatioF()));
    avatar->setVisible(image.has_value());
    if (image)
        avatar->setPixmap(roundAvatar(*image, 30, devicePixelRatioF()));
    openLink->setVisible(person.linkedin && !person.linkedin->isEmpty());

    while (QLayoutItem* item = detailLayout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    if (!person.company.isEmpty())
        detailLayout->addWidget(detailRow(u"building.2"_s, person.company));
    if (!person.location.isEmpty())
        detailLayout->addWidget(detailRow(u"mappin.and.ellipse"_s, person.location));
    if (!person.note.isEmpty())
        detailLayout->addWidget(detailRow(u"text.alignleft"_s, person.note));
    details->setVisible(detailLayout->count() > 0);
    // What the avatar and the buttons shown leave of the header's width.
    int room = cardWidth - 2 * 14;
    if (image)
        room -= 30 + 6;
    for (const QToolButton* button : {openLink, edit, remove, dismiss}) {
        if (!button->isHidden())
            room -= button->width() + 6;
    }
    name->setText(QFontMetrics(name->font()).elidedText(person.name, Qt::ElideRight, room));
    adjustSize();
    QWidget::show();
}

void PersonCard::openProfile() {
    if (!shown.linkedin || shown.linkedin->isEmpty())
        return;
    QString address = *shown.linkedin;
    if (!address.toLower().startsWith(u"http"_s))
        address = u"https://"_s + address;
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid() || url.isRelative())
        return;
    context.openUrl(url);
}
