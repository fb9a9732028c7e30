#include "library/ui/TagBar.h"

#include "library/ui/CardPainter.h"
#include "library/ui/TagChip.h"
#include "organise/AutoSortNote.h"

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>

using namespace Qt::StringLiterals;

TagBar::TagBar(QWidget* parent) : QWidget(parent) {
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(8);
    scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidgetResizable(true);
    scroll->setFixedHeight(30);
    scroll->viewport()->setAutoFillBackground(false);
    row = new QWidget(scroll);
    row->setAutoFillBackground(false);
    rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(16, 0, 16, 0);
    rowLayout->setSpacing(6);
    rowLayout->addStretch(1);
    scroll->setWidget(row);
    outer->addWidget(scroll, 1);
    // The note stands beside the chips, not after them: at the end of a row
    // of a usual number of tags it would be scrolled out of sight.
    noteLabel = new QLabel(this);
    noteLabel->setFont(CardPainter::font(11));
    noteOpacity = new QGraphicsOpacityEffect(noteLabel);
    noteOpacity->setOpacity(0);
    noteLabel->setGraphicsEffect(noteOpacity);
    noteFade = new QPropertyAnimation(noteOpacity, "opacity", this);
    noteFade->setEasingCurve(QEasingCurve::OutCubic);
    connect(noteFade, &QPropertyAnimation::finished, this, [this] {
        if (noteOpacity->opacity() == 0)
            noteLabel->hide();
    });
    noteLabel->hide();
    noteLabel->setContentsMargins(0, 0, 16, 0);
    outer->addWidget(noteLabel);
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->viewport()->installEventFilter(this);
}

bool TagBar::eventFilter(QObject* watched, QEvent* event) {
    // A vertical wheel scrolls the chips sideways: the row has no bar to drag.
    if (watched == scroll->viewport() && event->type() == QEvent::Wheel) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        const QPoint delta =
            wheel->pixelDelta().isNull() ? wheel->angleDelta() / 2 : wheel->pixelDelta();
        const int step = delta.x() != 0 ? delta.x() : delta.y();
        scroll->horizontalScrollBar()->setValue(scroll->horizontalScrollBar()->value() - step);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TagBar::setChips(int allCount, const QList<TagCount>& tags, int untaggedCount,
                      const std::optional<QString>& selected) {
    const Built wanted{allCount, tags, untaggedCount};
    const bool rebuild = wanted != built;
    if (rebuild) {
        built = wanted;
        for (QPushButton* chip : std::as_const(chipButtons))
            chip->deleteLater();
        chipButtons.clear();
        chipFilters.clear();
        int at = 0;
        const auto add = [&](const QString& name, int count, std::optional<QString> filter) {
            rowLayout->insertWidget(at++, makeChip(name, count, filter));
        };
        add(u"All"_s, allCount, std::nullopt);
        for (const TagCount& tag : tags)
            add(tag.name, tag.count, tag.name);
        if (!tags.isEmpty() && untaggedCount >= 1)
            add(u"Untagged"_s, untaggedCount, LibraryState::untaggedMarker());
    }
    // A chip that stays fades to its new look; chips just made show it at once.
    const bool animated = !rebuild && selection != selected && isVisible();
    selection = selected;
    for (qsizetype i = 0; i < chipButtons.size(); ++i)
        chipButtons[i]->setSelected(chipFilters[i] == selected, animated);
}

TagChip* TagBar::makeChip(const QString& name, int count, std::optional<QString> filter) {
    auto* chip = new TagChip(name, count, row);
    chip->setProperty("chipName", name);
    chip->setProperty("chipCount", count);
    connect(chip, &QPushButton::clicked, this, [this, filter] { Q_EMIT chipChosen(filter); });
    chipButtons.append(chip);
    chipFilters.append(filter);
    return chip;
}

void TagBar::takeColours() {
    CardPainter::useSecondaryText(noteLabel, palette());
}

void TagBar::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        takeColours();
}

void TagBar::setSortNote(const std::optional<QString>& note) {
    takeColours();
    noteFade->stop();
    noteFade->setStartValue(noteOpacity->opacity());
    if (note) {
        noteLabel->setText(*note);
        noteLabel->show();
        noteFade->setDuration(AutoSortNote::fadeInMs);
        noteFade->setEndValue(1.0);
    } else {
        noteFade->setDuration(AutoSortNote::fadeOutMs);
        noteFade->setEndValue(0.0);
    }
    noteFade->start();
}
