#include "network/ui/PersonSheet.h"

#include "common/ReferenceDate.h"
#include "library/ui/CardPainter.h"
#include "library/ui/RoundedPanel.h"
#include "network/NetworkStore.h"
#include "network/ui/NetworkContext.h"
#include "platform/Pasteboard.h"

#include <QDateTime>
#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

bool isBlankOrBreak(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

QString trimmedWithBreaks(const QString& text) {
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && isBlankOrBreak(text[start]))
        ++start;
    while (end > start && isBlankOrBreak(text[end - 1]))
        --end;
    return text.mid(start, end - start);
}

// A plain field on a faint rounded ground with a hairline outline.
QLineEdit* makeField(const QString& placeholder, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setPlaceholderText(placeholder);
    field->setFont(CardPainter::font(13));
    field->setFrame(false);
    field->setTextMargins(10, 7, 10, 7);
    field->setStyleSheet(u"QLineEdit { background: rgba(127, 127, 127, 0.10); border-radius: 8px;"
                         " border: 0.5px solid rgba(127, 127, 127, 0.30); }"_s);
    return field;
}

} // namespace

PersonSheet::PersonSheet(NetworkContext& context, std::optional<Person> person, QWidget* parent)
    : QWidget(parent), context(context), person(std::move(person)) {
    setObjectName(u"personSheetOverlay"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    hide();
    sheet = new RoundedPanel(12, QPalette::Window, this);
    sheet->setObjectName(u"personSheet"_s);
    auto* shadow = new QGraphicsDropShadowEffect(sheet);
    shadow->setBlurRadius(40);
    shadow->setOffset(0, 10);
    shadow->setColor(QColor::fromRgbF(0, 0, 0, 0.25));
    sheet->setGraphicsEffect(shadow);

    auto* column = new QVBoxLayout(sheet);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(14);
    auto* title = new QLabel(this->person ? u"Edit Person"_s : u"Add Person"_s, sheet);
    title->setObjectName(u"personSheetTitle"_s);
    title->setFont(CardPainter::font(14, QFont::DemiBold));
    column->addWidget(title);

    auto* fields = new QVBoxLayout;
    fields->setSpacing(8);
    name = makeField(u"Name"_s, sheet);
    company = makeField(u"Company"_s, sheet);
    location = makeField(u"Location"_s, sheet);
    note = makeField(u"Note (how you know them)"_s, sheet);
    link = makeField(u"LinkedIn / X / Instagram URL"_s, sheet);
    for (QLineEdit* field : {name, company, location, note})
        fields->addWidget(field);
    auto* linkRow = new QHBoxLayout;
    linkRow->setSpacing(6);
    linkRow->addWidget(link, 1);
    paste = new QToolButton(sheet);
    paste->setObjectName(u"pasteLink"_s);
    paste->setAutoRaise(true);
    paste->setToolTip(u"Paste from clipboard"_s);
    paste->setIcon(QIcon(CardPainter::symbol(
        u"doc.on.clipboard"_s, 14, palette().color(QPalette::WindowText), devicePixelRatioF())));
    linkRow->addWidget(paste);
    autofill = new QPushButton(u"Autofill"_s, sheet);
    autofill->setObjectName(u"autofill"_s);
    autofill->setFont(CardPainter::font(11.5, QFont::Medium));
    linkRow->addWidget(autofill);
    busy = new QProgressBar(sheet);
    busy->setObjectName(u"autofillProgress"_s);
    busy->setRange(0, 0); // busy, without a known end
    busy->setTextVisible(false);
    busy->setFixedWidth(44);
    busy->setMaximumHeight(10);
    busy->hide();
    linkRow->addWidget(busy);
    fields->addLayout(linkRow);
    column->addLayout(fields);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    cancel = new QPushButton(u"Cancel"_s, sheet);
    save = new QPushButton(this->person ? u"Save"_s : u"Add"_s, sheet);
    save->setDefault(true);
    buttons->addWidget(cancel);
    buttons->addWidget(save);
    column->addLayout(buttons);

    if (this->person) {
        name->setText(this->person->name);
        company->setText(this->person->company);
        location->setText(this->person->location);
        note->setText(this->person->note);
        link->setText(this->person->linkedin.value_or(QString()));
    }

    connect(name, &QLineEdit::textChanged, this, &PersonSheet::updateButtons);
    connect(link, &QLineEdit::textChanged, this, &PersonSheet::updateButtons);
    connect(paste, &QToolButton::clicked, this, &PersonSheet::pasteLink);
    connect(autofill, &QPushButton::clicked, this, &PersonSheet::startAutofill);
    connect(cancel, &QPushButton::clicked, this, &PersonSheet::close);
    connect(save, &QPushButton::clicked, this, &PersonSheet::saveAndClose);
    updateButtons();
}

bool PersonSheet::looksLikeProfileLink(const QString& text) {
    const QString lowered = trimmedWithBreaks(text).toLower();
    if (lowered.isEmpty() || lowered.contains(u' '))
        return false;
    for (const QString& domain :
         {u"linkedin.com/"_s, u"x.com/"_s, u"twitter.com/"_s, u"instagram.com/"_s}) {
        if (lowered.contains(domain))
            return true;
    }
    return false;
}

void PersonSheet::open() {
    if (!person) {
        const std::optional<QString> copied = context.pasteboard.plainText();
        if (copied && looksLikeProfileLink(*copied))
            link->setText(trimmedWithBreaks(*copied));
    }
    setGeometry(parentWidget() ? parentWidget()->rect() : rect());
    raise();
    show();
    name->setFocus();
}

void PersonSheet::updateButtons() {
    save->setEnabled(!trimSpacesAndTabs(name->text()).isEmpty());
    autofill->setEnabled(!fetching && !trimSpacesAndTabs(link->text()).isEmpty());
    autofill->setVisible(!fetching);
    busy->setVisible(fetching);
}

void PersonSheet::pasteLink() {
    if (const std::optional<QString> copied = context.pasteboard.plainText())
        link->setText(trimmedWithBreaks(*copied));
}

void PersonSheet::startAutofill() {
    const QString address = trimSpacesAndTabs(link->text());
    if (address.isEmpty() || fetching)
        return;
    fetching = true;
    updateButtons();
    // The answer is dropped with the sheet when it closes first.
    context.network.fetchProfile(address, this, [this](const FetchedProfile& profile) {
        if (profile.name && !profile.name->isEmpty() && trimSpacesAndTabs(name->text()).isEmpty())
            name->setText(*profile.name);
        if (profile.company && !profile.company->isEmpty() &&
            trimSpacesAndTabs(company->text()).isEmpty())
            company->setText(*profile.company);
        fetching = false;
        updateButtons();
    });
}

void PersonSheet::saveAndClose() {
    if (closing || trimSpacesAndTabs(name->text()).isEmpty())
        return;
    if (person) {
        Person edited = *person;
        edited.name = name->text();
        edited.company = company->text();
        edited.location = location->text();
        edited.note = note->text();
        edited.linkedin = link->text();
        close();
        context.network.update(edited);
        return;
    }
    Person added;
    added.id = QUuid::createUuid();
    added.addedAt = ReferenceDate::secondsFrom(QDateTime::currentDateTimeUtc());
    added.name = trimSpacesAndTabs(name->text());
    added.company = trimSpacesAndTabs(company->text());
    added.location = trimSpacesAndTabs(location->text());
    added.note = trimSpacesAndTabs(note->text());
    added.linkedin = trimSpacesAndTabs(link->text());
    close();
    context.network.add(added);
}

void PersonSheet::close() {
    if (closing)
        return;
    closing = true; // a second Return or click while it goes does nothing
    Q_EMIT closedSheet();
    QWidget::close(); // hides the sheet and deletes it soon after
}

void PersonSheet::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor::fromRgbF(0, 0, 0, 0.18));
}

void PersonSheet::resizeEvent(QResizeEvent*) {
    const int width = std::min(sheetWidth, this->width() - 40);
    sheet->setFixedWidth(width);
    sheet->adjustSize();
    sheet->move((this->width() - width) / 2, std::max(20, (this->height() - sheet->height()) / 3));
}

void PersonSheet::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    // Return in any field (the fields pass it on) is the default button's.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && save->isEnabled()) {
        save->click();
        return;
    }
    QWidget::keyPressEvent(event);
}
