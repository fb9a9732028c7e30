#include "library/ui/NoteSheet.h"

#include "library/ui/CardPainter.h"
#include "library/ui/RoundedPanel.h"

#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

NoteSheet::NoteSheet(QWidget* parent) : QWidget(parent) {
    hide();
    sheet = new RoundedPanel(12, QPalette::Window, this);
    sheet->setObjectName(u"noteSheet"_s);
    auto* shadow = new QGraphicsDropShadowEffect(sheet);
    shadow->setBlurRadius(40);
    shadow->setOffset(0, 10);
    shadow->setColor(QColor::fromRgbF(0, 0, 0, 0.25));
    sheet->setGraphicsEffect(shadow);

    auto* column = new QVBoxLayout(sheet);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(12);
    auto* title = new QLabel(u"New Note"_s, sheet);
    title->setFont(CardPainter::font(14, QFont::DemiBold));
    column->addWidget(title);
    // The editor lies on a rounded field of its own; it is see-through so that
    // the field's corners show.
    auto* field = new RoundedPanel(10, QPalette::Base, sheet);
    field->setFixedHeight(170);
    auto* fieldLayout = new QVBoxLayout(field);
    fieldLayout->setContentsMargins(1, 1, 1, 1);
    textEdit = new QPlainTextEdit(field);
    textEdit->setFont(CardPainter::font(13));
    textEdit->setFrameShape(QFrame::NoFrame);
    textEdit->document()->setDocumentMargin(10);
    CardPainter::clearBase(textEdit);
    textEdit->viewport()->setAutoFillBackground(false);
    fieldLayout->addWidget(textEdit);
    column->addWidget(field);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    cancel = new QPushButton(u"Cancel"_s, sheet);
    save = new QPushButton(u"Save"_s, sheet);
    save->setDefault(true);
    save->setEnabled(false);
    buttons->addWidget(cancel);
    buttons->addWidget(save);
    column->addLayout(buttons);

    connect(textEdit, &QPlainTextEdit::textChanged, this,
            [this] { save->setEnabled(!trimmedText().isEmpty()); });
    connect(cancel, &QPushButton::clicked, this, &NoteSheet::close);
    connect(save, &QPushButton::clicked, this, [this] {
        const QString text = trimmedText();
        if (text.isEmpty())
            return;
        close();
        Q_EMIT saved(text);
    });
    // Return writes a new line in the note; Ctrl+Return saves it.
    auto* saveKey = new QShortcut(QKeySequence(u"Ctrl+Return"_s), this);
    saveKey->setContext(Qt::WidgetWithChildrenShortcut);
    connect(saveKey, &QShortcut::activated, save, &QPushButton::click);
}

QString NoteSheet::trimmedText() const {
    return textEdit->toPlainText().trimmed();
}

void NoteSheet::open() {
    textEdit->clear();
    setGeometry(parentWidget() ? parentWidget()->rect() : rect());
    raise();
    show();
    textEdit->setFocus();
}

void NoteSheet::close() {
    hide();
    textEdit->clear();
    Q_EMIT closedSheet();
}

void NoteSheet::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor::fromRgbF(0, 0, 0, 0.18));
}

void NoteSheet::resizeEvent(QResizeEvent*) {
    const int width = std::min(sheetWidth, this->width() - 40);
    sheet->setFixedWidth(width);
    sheet->adjustSize();
    sheet->move((this->width() - width) / 2, 20);
}

void NoteSheet::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
