#include "capture/ui/PanelView.h"

#include "capture/AppState.h"
#include "capture/NotchGeometry.h"
#include "capture/ui/NotchDropDelegate.h"
#include "common/ui/SymbolIcon.h"
#include "platform/Scheduler.h"
#include "store/Store.h"

#include <QDragEnterEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QStackedLayout>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

QColor white(qreal opacity = 1.0) {
    QColor color(Qt::white);
    color.setAlphaF(float(opacity));
    return color;
}

QFont systemFont(int pixelSize, QFont::Weight weight) {
    QFont font;
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

void paintText(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    palette.setColor(QPalette::ButtonText, color);
    widget->setPalette(palette);
}

QLabel* textLabel(const QString& text, int pixelSize, QFont::Weight weight, qreal opacity) {
    auto* label = new QLabel(text);
    label->setFont(systemFont(pixelSize, weight));
    paintText(label, white(opacity));
    return label;
}

QLabel* symbolLabel(const QString& name, int size, qreal opacity, int boxWidth = 0) {
    auto* label = new QLabel;
    label->setPixmap(SymbolIcon::pixmap(name, size, white(opacity), label->devicePixelRatioF()));
    label->setAlignment(Qt::AlignCenter);
    if (boxWidth > 0)
        label->setFixedWidth(boxWidth);
    return label;
}

// One line of text cut with an ellipsis to the width it is given.
class ElidingLabel : public QLabel {
public:
    using QLabel::QLabel;
    QSize minimumSizeHint() const override { return {0, QLabel::minimumSizeHint().height()}; }
    QSize sizeHint() const override { return {0, QLabel::sizeHint().height()}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.setFont(font());
        const QString shown =
            fontMetrics().elidedText(QString(text()).replace(u'\n', u' '), Qt::ElideRight, width());
        painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, shown);
    }
};

// A row of the open panel: items side by side, 8 apart.
QHBoxLayout* rowLayout(QWidget* row) {
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(8);
    return line;
}

} // namespace

PanelView::PanelView(AppState& state, Store& store, const Categorizer& categorizer,
                     Scheduler& scheduler, FrontmostApplication& frontmost, QWidget* parent)
    : QWidget(parent), state(state), store(store), categorizer(categorizer), scheduler(scheduler),
      dropDelegate(std::make_unique<NotchDropDelegate>(state, store, scheduler, frontmost)) {
    setAcceptDrops(true);
    setAttribute(Qt::WA_TranslucentBackground);
    setMinimumSize(0, 0);

    pages = new QStackedLayout(this);
    pages->setContentsMargins(0, 0, 0, 0);
    emptyPage = new QWidget;
    dropPage = buildDropZone();
    keepPage = rowPage(buildKeepRow());
    newTagPage = rowPage(buildNewTagRow());
    flashPage = rowPage(buildFlashRow());
    for (QWidget* page : {emptyPage, dropPage, keepPage, newTagPage, flashPage}) {
        page->setMinimumSize(0, 0);
        pages->addWidget(page);
    }
    // The controller gives the size; the rows must fit whatever it is
    // while the panel grows and shrinks.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    keepPage->installEventFilter(this);

    connect(&state, &AppState::changed, this, &PanelView::refresh);
    refresh();
}

PanelView::~PanelView() = default;

QWidget* PanelView::rowPage(QWidget* row) {
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);
    // Under the notch stays free; the row sits at the bottom.
    column->setContentsMargins(16, 30, 16, 14);
    column->setSpacing(0);
    column->addStretch(1);
    column->addWidget(row);
    return page;
}

QWidget* PanelView::buildDropZone() {
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(0, 34, 0, 16);
    column->setSpacing(10);
    column->addStretch(1);
    column->addWidget(symbolLabel(u"arrow.down.circle.dashed"_s, 30, 0.9));
    QLabel* caption = textLabel(u"Drop to save"_s, 13, QFont::Medium, 0.7);
    caption->setAlignment(Qt::AlignCenter);
    column->addWidget(caption);
    column->addStretch(1);
    return page;
}

QToolButton* PanelView::makeKeepButton() {
    auto* button = new QToolButton;
    button->setText(u"Keep"_s);
    button->setFont(systemFont(12, QFont::DemiBold));
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::NoFocus);
    const int height = QFontMetrics(button->font()).height() + 10;
    button->setFixedHeight(height);
    button->setStyleSheet(u"QToolButton { background: white; color: black; border: none;"
                          " border-radius: %1px; padding: 5px 14px; }"
                          "QToolButton:pressed { background: #d8d8d8; }"_s.arg(height / 2));
    return button;
}

QToolButton* PanelView::makeCloseButton() {
    auto* button = new QToolButton;
    button->setFixedSize(22, 22);
    button->setIcon(SymbolIcon::icon(u"xmark"_s, white(0.6)));
    button->setIconSize(QSize(10, 10));
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::NoFocus);
    button->setToolTip(u"Dismiss"_s);
    button->setStyleSheet(u"QToolButton { background: rgba(255, 255, 255, 31); border: none;"
                          " border-radius: 11px; }"
                          "QToolButton:hover { background: rgba(255, 255, 255, 56); }"_s);
    connect(button, &QToolButton::clicked, this, [this] { state.dismissPrompt(); });
    return button;
}

QWidget* PanelView::buildKeepRow() {
    auto* row = new QWidget;
    QHBoxLayout* line = rowLayout(row);

    symbol = new QLabel;
    symbol->setFixedWidth(24);
    symbol->setAlignment(Qt::AlignCenter);
    line->addWidget(symbol);

    auto* column = new QVBoxLayout;
    column->setSpacing(4);
    title = new ElidingLabel;
    title->setFont(systemFont(12, QFont::Medium));
    paintText(title, white());
    column->addWidget(title);

    auto* details = new QHBoxLayout;
    details->setSpacing(4);
    kind = textLabel(QString(), 10, QFont::Normal, 0.5);
    details->addWidget(kind);
    prediction = new QWidget;
    auto* predicted = new QHBoxLayout(prediction);
    predicted->setContentsMargins(0, 0, 0, 0);
    predicted->setSpacing(4);
    predicted->addWidget(textLabel(u"·"_s, 10, QFont::Normal, 0.5));
    predicted->addWidget(symbolLabel(u"sparkles"_s, 8, 0.5));
    predictedTag = textLabel(QString(), 10, QFont::Normal, 0.5);
    predicted->addWidget(predictedTag);
    details->addWidget(prediction);
    details->addStretch(1);
    column->addLayout(details);
    line->addLayout(column, 1);

    tagButton = new QToolButton;
    tagButton->setToolTip(u"Keep under a tag"_s);
    tagButton->setPopupMode(QToolButton::InstantPopup);
    tagButton->setFocusPolicy(Qt::NoFocus);
    tagButton->setCursor(Qt::PointingHandCursor);
    tagButton->setStyleSheet(u"QToolButton { border: none; background: transparent; padding: 2px; }"
                             "QToolButton::menu-indicator { image: none; width: 0px; }"_s);
    {
        // "tag.fill" and "chevron.down" side by side, as one button face.
        const qreal ratio = devicePixelRatioF();
        QPixmap face(QSize(24, 14) * ratio);
        face.setDevicePixelRatio(ratio);
        face.fill(Qt::transparent);
        QPainter painter(&face);
        painter.drawPixmap(0, 1, SymbolIcon::pixmap(u"tag.fill"_s, 12, white(0.85), ratio));
        painter.drawPixmap(15, 3, SymbolIcon::pixmap(u"chevron.down"_s, 8, white(0.85), ratio));
        painter.end();
        tagButton->setIcon(QIcon(face));
        tagButton->setIconSize(QSize(24, 14));
    }
    menu = new QMenu(tagButton);
    tagButton->setMenu(menu);
    // The menu lists the tags as they are when it opens.
    connect(menu, &QMenu::aboutToShow, this, &PanelView::fillTagMenu);
    line->addWidget(tagButton);

    keepRowKeep = makeKeepButton();
    connect(keepRowKeep, &QToolButton::clicked, this, [this] {
        if (const std::optional<ClipContent> clip = state.pendingClip())
            state.keep(*clip, std::nullopt);
    });
    line->addWidget(keepRowKeep);
    line->addWidget(makeCloseButton());
    return row;
}

QWidget* PanelView::buildNewTagRow() {
    auto* row = new QWidget;
    QHBoxLayout* line = rowLayout(row);
    line->addWidget(symbolLabel(u"tag.fill"_s, 13, 0.85, 24));

    tagField = new QLineEdit;
    tagField->setPlaceholderText(u"New tag name"_s);
    tagField->setFont(systemFont(13, QFont::Medium));
    tagField->setFrame(false);
    QPalette dark = tagField->palette();
    dark.setColor(QPalette::Base, Qt::transparent);
    dark.setColor(QPalette::Text, Qt::white);
    dark.setColor(QPalette::PlaceholderText, white(0.4));
    dark.setColor(QPalette::Highlight, white(0.3));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    tagField->setPalette(dark);
    tagField->setStyleSheet(
        u"QLineEdit { background: transparent; border: none; color: white; }"_s);
    connect(tagField, &QLineEdit::textEdited, this,
            [this](const QString& text) { state.setNewTagText(text); });
    connect(tagField, &QLineEdit::returnPressed, this, [this] { state.commitNewTag(); });
    line->addWidget(tagField, 1);

    QToolButton* keep = makeKeepButton();
    connect(keep, &QToolButton::clicked, this, [this] { state.commitNewTag(); });
    line->addWidget(keep);
    line->addWidget(makeCloseButton());
    return row;
}

QWidget* PanelView::buildFlashRow() {
    auto* row = new QWidget;
    QHBoxLayout* line = rowLayout(row);
    line->addStretch(1);
    line->addWidget(symbolLabel(u"checkmark.circle.fill"_s, 15, 1.0));
    flashText = textLabel(QString(), 13, QFont::Medium, 1.0);
    line->addWidget(flashText);
    line->addStretch(1);
    return row;
}

void PanelView::fillTagMenu() {
    menu->clear();
    const QColor ink = menu->palette().color(QPalette::Text);
    QAction* autoSort = menu->addAction(SymbolIcon::icon(u"sparkles"_s, ink), u"Auto-sort"_s);
    connect(autoSort, &QAction::triggered, this, [this] {
        if (const std::optional<ClipContent> clip = state.pendingClip())
            state.keep(*clip, std::nullopt);
    });
    menu->addSeparator();
    for (const QString& tag : store.allTags()) {
        QAction* action = menu->addAction(tag);
        connect(action, &QAction::triggered, this, [this, tag] {
            if (const std::optional<ClipContent> clip = state.pendingClip())
                state.keep(*clip, tag);
        });
    }
    menu->addSeparator();
    QAction* newTag = menu->addAction(SymbolIcon::icon(u"plus"_s, ink), u"New Tag…"_s);
    connect(newTag, &QAction::triggered, this, [this] {
        if (const std::optional<ClipContent> clip = state.pendingClip())
            state.beginNamingTag(*clip);
    });
}

void PanelView::showClip(const ClipContent& clip) {
    if (shownClip == clip)
        return;
    shownClip = clip;
    symbol->setPixmap(SymbolIcon::pixmap(clip.symbolName(), 15, white(0.85), devicePixelRatioF()));
    title->setText(clip.previewTitle());
    kind->setText(clip.kindLabel());
    const std::optional<QString> tag = clip.predictedTag(categorizer);
    predictedTag->setText(tag.value_or(QString()));
    prediction->setVisible(tag.has_value());
    fillTagMenu();
}

PanelView::Page PanelView::page() const {
    QWidget* current = pages->currentWidget();
    if (current == dropPage)
        return Page::dropZone;
    if (current == keepPage)
        return Page::keepRow;
    if (current == newTagPage)
        return Page::newTagRow;
    if (current == flashPage)
        return Page::flashRow;
    return Page::empty;
}

void PanelView::refresh() {
    QWidget* next = emptyPage;
    switch (state.mode()) {
    case PanelMode::collapsed:
        break;
    case PanelMode::dropHover:
        next = dropPage;
        break;
    case PanelMode::keepPrompt:
        if (state.flash()) {
            flashText->setText(*state.flash());
            next = flashPage;
        } else if (state.pendingClip()) {
            if (state.namingTag()) {
                next = newTagPage;
            } else {
                showClip(*state.pendingClip());
                next = keepPage;
            }
        }
        break;
    }
    if (tagField->text() != state.newTagText())
        tagField->setText(state.newTagText());
    if (next != pages->currentWidget()) {
        pages->setCurrentWidget(next);
        if (next == newTagPage) {
            // The panel has only just been made the window that types.
            QLineEdit* field = tagField;
            scheduler.singleShot(50, field, [field] { field->setFocus(Qt::OtherFocusReason); });
        }
    }
    update();
}

QPainterPath PanelView::shape(const QRectF& r) {
    const qreal radius = qMin<qreal>(cornerRadius, qMin(r.width(), r.height()) / 2);
    QPainterPath path;
    path.moveTo(r.topLeft());
    path.lineTo(r.topRight());
    path.lineTo(r.right(), r.bottom() - radius);
    path.cubicTo(r.right(), r.bottom() - radius * 0.45, r.right() - radius * 0.45, r.bottom(),
                 r.right() - radius, r.bottom());
    path.lineTo(r.left() + radius, r.bottom());
    path.cubicTo(r.left() + radius * 0.45, r.bottom(), r.left(), r.bottom() - radius * 0.45,
                 r.left(), r.bottom() - radius);
    path.closeSubpath();
    return path;
}

void PanelView::paintEvent(QPaintEvent*) {
    // Collapsed, the panel is an invisible target; the shape shows while it
    // is open and while it shrinks back.
    if (state.mode() == PanelMode::collapsed && height() <= NotchGeometry::baseSize.height())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(shape(rect()), Qt::black);
}

void PanelView::mousePressEvent(QMouseEvent* event) {
    if (state.mode() == PanelMode::collapsed) {
        state.openLibrary();
        return;
    }
    QWidget::mousePressEvent(event);
}

bool PanelView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == keepPage) {
        if (event->type() == QEvent::Enter)
            state.setPromptHover(true);
        else if (event->type() == QEvent::Leave)
            state.setPromptHover(false);
    }
    return QWidget::eventFilter(watched, event);
}

void PanelView::dragEnterEvent(QDragEnterEvent* event) {
    // Always a copy: a drop must never take the data away from its source.
    if (!dropDelegate->validateDrop() || !(event->possibleActions() & Qt::CopyAction)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    dropDelegate->dropEntered();
}

void PanelView::dragMoveEvent(QDragMoveEvent* event) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void PanelView::dragLeaveEvent(QDragLeaveEvent*) {
    dropDelegate->dropExited();
}

void PanelView::dropEvent(QDropEvent* event) {
    if (dropDelegate->performDrop(*event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}
