#include "library/ui/TagEditor.h"

#include "library/ui/CardPainter.h"
#include "library/ui/TagRow.h"
#include "store/Store.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TagEditor::TagEditor(Store& store, QUuid itemID, QWidget* anchor)
    : QFrame(anchor, Qt::Popup), store(store), editor(store, itemID) {
    setAttribute(Qt::WA_DeleteOnClose);
    setFrameShape(QFrame::StyledPanel);
    setFixedWidth(width);
    setObjectName(u"tagEditor"_s);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 4);
    column->setSpacing(0);

    draftField = new QLineEdit(this);
    draftField->setPlaceholderText(u"Add or find a tag"_s);
    draftField->setFrame(false);
    draftField->setFont(CardPainter::font(13));
    CardPainter::clearBase(draftField);
    draftField->setTextMargins(12, 10, 12, 10);
    column->addWidget(draftField);
    auto* divider = new QWidget(this);
    divider->setFixedHeight(1);
    divider->setBackgroundRole(QPalette::Mid);
    divider->setAutoFillBackground(true);
    column->addWidget(divider);

    scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list = new QWidget(scroll);
    listLayout = new QVBoxLayout(list);
    listLayout->setContentsMargins(0, 4, 0, 0);
    listLayout->setSpacing(0);
    scroll->setWidget(list);
    column->addWidget(scroll);

    connect(draftField, &QLineEdit::textChanged, this, [this](const QString& text) {
        editor.draft = text;
        rebuild();
    });
    connect(draftField, &QLineEdit::returnPressed, this, [this] {
        editor.submit();
        draftField->setText(editor.draft);
    });
    // The store saves every change; the rows follow it rather than a copy.
    connect(&store, &Store::changed, this, &TagEditor::rebuild);
    rebuild();
}

QList<TagRow*> TagEditor::rows() const {
    return list->findChildren<TagRow*>(Qt::FindDirectChildrenOnly);
}

void TagEditor::addRow(QWidget* row) {
    listLayout->addWidget(row);
    // Shown now rather than when the layout gets round to it, so that the
    // list has its full height when its scroll position is put back.
    row->show();
}

void TagEditor::rebuild() {
    // The list is made anew, but the user's place in it stays: a click on a
    // row must not move the rows under the pointer. The clicked row is about
    // to go, and a focused child that goes hands focus on down the list,
    // which scrolls it; the field takes focus instead, ready for typing.
    const int place = scroll->verticalScrollBar()->value();
    if (list->isAncestorOf(QApplication::focusWidget()))
        draftField->setFocus();
    // A row's click can change the store and so land here while the row is
    // still delivering its signal: detach the old rows now, delete them later.
    while (QLayoutItem* entry = listLayout->takeAt(0)) {
        if (QWidget* widget = entry->widget()) {
            widget->hide();
            widget->setParent(nullptr);
            widget->deleteLater();
        }
        delete entry;
    }
    nothingLabel = nullptr;

    auto* automatic = new TagRow(u"sparkles"_s, editor.automaticTitle(), false, list);
    if (const Item* item = editor.item(); item && !item->tags && item->category)
        automatic->setSubtitle(*item->category);
    connect(automatic, &QAbstractButton::clicked, this, [this] { editor.resetToAutomatic(); });
    addRow(automatic);

    const Item* item = editor.item();
    const QStringList matches = editor.matches();
    for (const QString& name : matches) {
        auto* row = new TagRow(QString(), name, item && item->hasTag(name), list);
        connect(row, &QAbstractButton::clicked, this, [this, name] { editor.toggle(name); });
        addRow(row);
    }
    const bool canCreate = editor.canCreate();
    if (canCreate) {
        auto* create = new TagRow(
            u"plus"_s, u"Create \u201C"_s + editor.cleanedDraft() + u"\u201D"_s, false, list);
        connect(create, &QAbstractButton::clicked, this, [this] {
            editor.submit();
            draftField->setText(editor.draft);
        });
        addRow(create);
    }
    if (matches.isEmpty() && !canCreate) {
        nothingLabel = new QLabel(u"No tags yet"_s, list);
        nothingLabel->setFont(CardPainter::font(12));
        nothingLabel->setContentsMargins(10, 10, 10, 10);
        takeColours();
        addRow(nothingLabel);
    }
    listLayout->addStretch(1);
    int height = 4;
    for (int i = 0; i < listLayout->count(); ++i) {
        if (QWidget* widget = listLayout->itemAt(i)->widget())
            height += widget->sizeHint().height();
    }
    scroll->setFixedHeight(std::min(height, maxListHeight));
    adjustSize();
    list->adjustSize();
    scroll->verticalScrollBar()->setValue(place);
}

void TagEditor::takeColours() {
    if (!nothingLabel)
        return;
    CardPainter::useSecondaryText(nothingLabel, palette());
}

void TagEditor::changeEvent(QEvent* event) {
    QFrame::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        takeColours();
}

void TagEditor::popUp(const QPoint& position) {
    adjustSize();
    QPoint at = position;
    if (const QScreen* screen = QGuiApplication::screenAt(position)) {
        const QRect area = screen->availableGeometry();
        at.setX(std::clamp(at.x(), area.left(), area.right() - width));
        if (at.y() + height() > area.bottom())
            at.setY(position.y() - height() - 24);
    }
    move(at);
    show();
    draftField->setFocus();
}
