#include "autofill/ui/ProfileView.h"

#include "autofill/AutoFill.h"
#include "autofill/FieldMatcher.h"
#include "autofill/ProfileStore.h"
#include "common/ui/ControlPage.h"
#include "platform/Accessibility.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {
constexpr int kAccessCheckMs = 1500;

// The desktop's own accessibility settings, where one is known.
void openAccessibilitySettings() {
    const std::pair<QString, QStringList> candidates[] = {
        {u"gnome-control-center"_s, {u"universal-access"_s}},
        {u"systemsettings"_s, {u"kcm_access"_s}},
        {u"systemsettings5"_s, {u"kcm_access"_s}},
    };
    for (const auto& [program, arguments] : candidates) {
        if (!QStandardPaths::findExecutable(program).isEmpty()) {
            QProcess::startDetached(program, arguments);
            return;
        }
    }
}

struct Section {
    QString title;
    QList<ProfileField> fields;
};
} // namespace

QString ProfileView::refusalMessage() {
    return u"Tovik never fills that kind of field (passwords, codes, card and ID numbers, search "
           "boxes)."_s;
}

ProfileView::ProfileView(ProfileStore& profile, AutoFill& autofill, Accessibility& accessibility,
                         QWidget* parent)
    : QWidget(parent), profile(profile), autofill(autofill), accessibility(accessibility) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    page = new ControlPage(
        u"Autofill"_s, u"Tovik fills these into web forms the moment you click an empty field."_s);
    layout->addWidget(page);

    ControlSection* switches = page->addSection();
    auto* enabled = new QCheckBox;
    enabled->setObjectName(u"autofillOn"_s);
    enabled->setAccessibleName(u"Autofill web forms"_s);
    enabled->setChecked(autofill.enabled());
    connect(enabled, &QCheckBox::toggled, this, [this](bool on) {
        if (this->autofill.enabled() != on)
            this->autofill.setEnabled(on);
        refreshAccess();
    });
    // The tray menu and the settings page switch it too.
    connect(&autofill, &AutoFill::enabledChanged, enabled, [enabled](bool on) {
        if (enabled->isChecked() != on)
            enabled->setChecked(on);
    });
    switches->addRow(u"Autofill web forms"_s, enabled);
    auto* learns = new QCheckBox;
    learns->setObjectName(u"learns"_s);
    learns->setAccessibleName(u"Learn answers I type when Tovik has none"_s);
    learns->setChecked(autofill.learns());
    connect(learns, &QCheckBox::toggled, this, [this](bool on) { this->autofill.setLearns(on); });
    switches->addRow(u"Learn answers I type when Tovik has none"_s, learns);

    banner = new QWidget;
    auto* bannerRow = new QHBoxLayout(banner);
    bannerRow->setContentsMargins(4, 4, 4, 4);
    bannerRow->setSpacing(10);
    auto* warning = new QLabel(u"⚠"_s);
    QPalette orange = warning->palette();
    orange.setColor(QPalette::WindowText, QColor(0xff, 0x95, 0x00));
    warning->setPalette(orange);
    bannerRow->addWidget(warning);
    auto* bannerText =
        new QLabel(u"Autofill needs Accessibility access to see and fill form fields."_s);
    QFont small = bannerText->font();
    small.setPixelSize(12);
    bannerText->setFont(small);
    bannerText->setWordWrap(true);
    bannerRow->addWidget(bannerText, 1);
    auto* allow = new QPushButton(u"Allow…"_s);
    connect(allow, &QPushButton::clicked, this, [this] {
        this->accessibility.enable();
        openAccessibilitySettings();
        refreshAccess();
    });
    bannerRow->addWidget(allow);
    switches->addRow(banner);

    const Section sections[] = {
        {u"You"_s,
         {ProfileField::firstName, ProfileField::lastName, ProfileField::email,
          ProfileField::phone}},
        {u"Work"_s,
         {ProfileField::company, ProfileField::jobTitle, ProfileField::website,
          ProfileField::linkedin}},
        {u"Address"_s,
         {ProfileField::address, ProfileField::city, ProfileField::state, ProfileField::postalCode,
          ProfileField::country}},
    };
    for (const Section& section : sections) {
        ControlSection* group = page->addSection(section.title);
        for (const ProfileField field : section.fields) {
            auto* edit = new QLineEdit(profile.raw(field));
            edit->setObjectName(u"field-"_s + ProfileFields::id(field));
            connect(edit, &QLineEdit::textEdited, this,
                    [this, field](const QString& text) { this->profile.set(text, field); });
            group->addRow(ProfileFields::label(field), edit);
        }
    }

    answers = page->addSection(u"Other answers"_s);

    ControlSection* adding = page->addSection(u"Add a field"_s);
    newLabel = new QLineEdit;
    newLabel->setPlaceholderText(u"College, Startup stage…"_s);
    adding->addRow(u"Field label"_s, newLabel);
    newValue = new QLineEdit;
    adding->addRow(u"Your answer"_s, newValue);
    problem = new QLabel;
    QPalette red = problem->palette();
    red.setColor(QPalette::WindowText, QColor(0xd7, 0x26, 0x2e));
    problem->setPalette(red);
    QFont problemFont = problem->font();
    problemFont.setPixelSize(11);
    problem->setFont(problemFont);
    problem->setWordWrap(true);
    problem->hide();
    adding->addRow(problem);
    add = new QPushButton(u"Add"_s);
    adding->addRow(add);
    connect(add, &QPushButton::clicked, this, &ProfileView::addField);
    connect(newLabel, &QLineEdit::textChanged, this, &ProfileView::updateAddButton);
    connect(newValue, &QLineEdit::textChanged, this, &ProfileView::updateAddButton);
    updateAddButton();

    accessTimer = new QTimer(this);
    accessTimer->setInterval(kAccessCheckMs);
    connect(accessTimer, &QTimer::timeout, this, &ProfileView::refreshAccess);

    connect(&profile, &ProfileStore::changed, this, [this] {
        refreshFields();
        rebuildAnswers();
    });
    rebuildAnswers();
    refreshAccess();
}

QLineEdit* ProfileView::fieldEditor(const QString& fieldId) const {
    return findChild<QLineEdit*>(u"field-"_s + fieldId);
}

void ProfileView::refreshFields() {
    for (const ProfileField field : ProfileFields::all()) {
        QLineEdit* edit = fieldEditor(ProfileFields::id(field));
        // The field being typed in already shows what was typed.
        if (edit && !edit->hasFocus() && edit->text() != profile.raw(field))
            edit->setText(profile.raw(field));
    }
}

void ProfileView::rebuildAnswers() {
    answers->clearRows();
    for (const LearnedAnswer& answer : profile.learned()) {
        auto* row = new QWidget;
        auto* line = new QHBoxLayout(row);
        line->setContentsMargins(0, 0, 0, 0);
        auto* name = new QLabel(answer.label);
        line->addWidget(name, 0);
        auto* edit = new QLineEdit(answer.value);
        const QString key = answer.key;
        const QString label = answer.label;
        connect(edit, &QLineEdit::textEdited, this,
                [this, key, label](const QString& text) { profile.setLearned(text, key, label); });
        line->addWidget(edit, 1);
        auto* forget = new QToolButton;
        forget->setAutoRaise(true);
        forget->setIcon(QIcon::fromTheme(u"user-trash"_s));
        if (forget->icon().isNull())
            forget->setText(u"🗑"_s);
        forget->setToolTip(u"Forget this answer"_s);
        connect(forget, &QToolButton::clicked, this, [this, key] {
            QTimer::singleShot(0, this, [this, key] { profile.removeLearned(key); });
        });
        line->addWidget(forget);
        answers->addRow(row);
    }
    answers->setVisible(!profile.learned().isEmpty());
}

void ProfileView::updateAddButton() {
    add->setEnabled(!newLabel->text().trimmed().isEmpty() && !newValue->text().trimmed().isEmpty());
}

void ProfileView::addField() {
    const QString label = newLabel->text().trimmed();
    const QString value = newValue->text().trimmed();
    if (label.isEmpty() || value.isEmpty())
        return;
    if (const auto field = FieldMatcher::match(label)) {
        profile.set(value, *field);
    } else if (const auto key = FieldMatcher::customKey(label)) {
        profile.setLearned(value, *key, label);
    } else {
        problem->setText(refusalMessage());
        problem->show();
        return;
    }
    newLabel->clear();
    newValue->clear();
    problem->clear();
    problem->hide();
}

void ProfileView::refreshAccess() {
    banner->setVisible(!accessibility.isEnabled());
}

void ProfileView::showEvent(QShowEvent* event) {
    refreshAccess();
    accessTimer->start();
    QWidget::showEvent(event);
}

void ProfileView::hideEvent(QHideEvent* event) {
    accessTimer->stop();
    QWidget::hideEvent(event);
}
