#include "chatblur/ui/BlurSitesView.h"

#include "chatblur/BlurSiteStore.h"
#include "chatblur/ChatBlur.h"
#include "common/ui/SymbolIcon.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

QFont smallFont(const QWidget* widget) {
    QFont font = widget->font();
    font.setPixelSize(11);
    return font;
}

} // namespace

BlurSitesView::BlurSitesView(BlurSiteStore& store, ChatBlur& chatBlur, QWidget* parent)
    : ControlPage(u"Chat Blur"_s,
                  u"Tovik blurs the chat titles in the sidebar of these sites while they are "
                  "open in your browser. Point at a chat to read it."_s,
                  parent),
      store(store), chatBlur(chatBlur) {
    setObjectName(u"blurSitesView"_s);

    ControlSection* top = ControlPage::addSection();
    blurOn = new QCheckBox;
    blurOn->setObjectName(u"blurOn"_s);
    blurOn->setChecked(chatBlur.enabled());
    top->addRow(u"Blur chat lists"_s, blurOn);
    connect(blurOn, &QCheckBox::toggled, this, [this](bool on) {
        if (this->chatBlur.enabled() != on)
            this->chatBlur.setEnabled(on);
        updateEnabledState();
    });
    connect(&chatBlur, &ChatBlur::enabledChanged, this, [this](bool on) {
        if (blurOn->isChecked() != on)
            blurOn->setChecked(on);
    });

    sites = ControlPage::addSection(u"Sites"_s);
    rebuildSites();
    // Queued: the switch or button that caused the change is in the rows
    // this rebuilds.
    connect(&store, &BlurSiteStore::changed, this, &BlurSitesView::rebuildSites,
            Qt::QueuedConnection);

    adding = ControlPage::addSection(u"Add a site"_s);
    address = new QLineEdit;
    address->setObjectName(u"address"_s);
    address->setPlaceholderText(u"chat.example.com"_s);
    adding->addRow(u"Address"_s, address);
    pattern = new QLineEdit;
    pattern->setObjectName(u"pattern"_s);
    pattern->setPlaceholderText(u"/chat/  (optional)"_s);
    adding->addRow(u"Chat links contain"_s, pattern);
    problem = new QLabel;
    problem->setObjectName(u"problem"_s);
    problem->setFont(smallFont(problem));
    problem->setStyleSheet(u"color: #d70015;"_s);
    problem->setWordWrap(true);
    problem->hide();
    adding->addRow(problem);
    add = new QPushButton(u"Add"_s);
    add->setObjectName(u"add"_s);
    add->setEnabled(false);
    auto* buttonRow = new QWidget;
    auto* buttonLine = new QHBoxLayout(buttonRow);
    buttonLine->setContentsMargins(0, 0, 0, 0);
    buttonLine->addStretch(1);
    buttonLine->addWidget(add);
    adding->addRow(buttonRow);
    connect(address, &QLineEdit::textChanged, this,
            [this](const QString& text) { add->setEnabled(!text.trimmed().isEmpty()); });
    connect(add, &QPushButton::clicked, this, &BlurSitesView::addSite);
    connect(address, &QLineEdit::returnPressed, this, [this] {
        if (add->isEnabled())
            addSite();
    });

    updateEnabledState();
}

void BlurSitesView::addSite() {
    if (store.add(address->text(), pattern->text())) {
        address->clear();
        pattern->clear();
        problem->clear();
        problem->hide();
        return;
    }
    problem->setText(BlurSiteStore::cleanHost(address->text())
                         ? u"That site is already in the list."_s
                         : u"That does not look like a website address."_s);
    problem->show();
}

void BlurSitesView::rebuildSites() {
    sites->clearRows();
    for (const BlurSite& site : store.all()) {
        auto* row = new QWidget;
        row->setObjectName(u"site:"_s + site.host);
        auto* line = new QHBoxLayout(row);
        line->setContentsMargins(0, 0, 0, 0);
        auto* names = new QVBoxLayout;
        names->setSpacing(1);
        auto* name = new QLabel(site.name);
        names->addWidget(name);
        if (site.builtIn) {
            auto* host = new QLabel(site.host);
            host->setObjectName(u"host"_s);
            host->setFont(smallFont(host));
            QPalette palette = host->palette();
            palette.setColor(QPalette::WindowText, palette.color(QPalette::PlaceholderText));
            host->setPalette(palette);
            names->addWidget(host);
        }
        line->addLayout(names, 1);
        auto* on = new QCheckBox;
        on->setObjectName(u"switch"_s);
        on->setChecked(store.isEnabled(site.host));
        on->setAccessibleName(site.name);
        name->setBuddy(on);
        const QString host = site.host;
        connect(on, &QCheckBox::toggled, this,
                [this, host](bool checked) { store.setEnabled(checked, host); });
        line->addWidget(on);
        if (!site.builtIn) {
            auto* remove = new QToolButton;
            remove->setObjectName(u"remove"_s);
            remove->setAutoRaise(true);
            remove->setIcon(SymbolIcon::icon(u"trash"_s, palette().color(QPalette::WindowText)));
            remove->setToolTip(u"Remove this site"_s);
            remove->setAccessibleName(u"Remove this site"_s);
            connect(remove, &QToolButton::clicked, this, [this, host] { store.remove(host); });
            line->addWidget(remove);
        }
        sites->addRow(row);
    }
}

void BlurSitesView::updateEnabledState() {
    const bool on = blurOn->isChecked();
    sites->setEnabled(on);
    adding->setEnabled(on);
}
