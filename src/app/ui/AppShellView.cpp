#include "app/ui/AppShellView.h"

#include "app/AccountSummary.h"
#include "app/AppNavigation.h"
#include "app/ui/AccountRow.h"
#include "app/ui/SidebarRow.h"
#include "autofill/ProfileStore.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

QColor hairline(const QPalette& palette) {
    QColor color = palette.color(QPalette::WindowText);
    color.setAlphaF(0.12);
    return color;
}

// The sidebar's surface: the window colour, a shade towards the text so the
// pages beside it stand apart in light and dark alike.
class SidebarPanel final : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QColor window = palette().color(QPalette::Window);
        const QColor text = palette().color(QPalette::WindowText);
        const qreal mix = 0.035;
        p.fillRect(rect(),
                   QColor::fromRgbF(window.redF() + (text.redF() - window.redF()) * mix,
                                    window.greenF() + (text.greenF() - window.greenF()) * mix,
                                    window.blueF() + (text.blueF() - window.blueF()) * mix));
        p.setPen(hairline(palette()));
        p.drawLine(width() - 1, 0, width() - 1, height());
    }
};

class Divider final : public QWidget {
public:
    Divider() { setFixedHeight(1); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), hairline(palette()));
    }
};

QLabel* sectionLabel(const QString& text) {
    auto* label = new QLabel(text);
    QFont font = label->font();
    font.setPixelSize(11);
    font.setBold(true);
    label->setFont(font);
    label->setContentsMargins(10, 0, 10, 4);
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

} // namespace

AppShellView::AppShellView(AppNavigation& navigation, const ProfileStore* profile, QWidget* pages,
                           QWidget* parent)
    : QWidget(parent), navigation(navigation), profile(profile) {
    setObjectName(u"appShell"_s);
    auto* line = new QHBoxLayout(this);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(0);

    side = new SidebarPanel;
    side->setObjectName(u"sidebar"_s);
    side->setFixedWidth(kSidebarWidth);
    auto* column = new QVBoxLayout(side);
    // The window manager draws the title bar above, so the sidebar needs no
    // room for window buttons of its own.
    column->setContentsMargins(10, 14, 10, 12);
    column->setSpacing(2);

    const auto addRow = [&](AppSection section) {
        auto* row = new SidebarRow(AppSections::icon(section), AppSections::title(section));
        row->setObjectName(u"section:"_s + AppSections::rawValue(section));
        connect(row, &SidebarRow::clicked, this,
                [this, section] { this->navigation.setSection(section); });
        rows[section] = row;
        column->addWidget(row);
    };
    column->addWidget(sectionLabel(u"Library"_s));
    addRow(AppSection::memory);
    addRow(AppSection::network);
    column->addSpacing(14);
    column->addWidget(sectionLabel(u"Tools"_s));
    addRow(AppSection::profile);
    addRow(AppSection::blur);
    addRow(AppSection::settings);
    column->addStretch(1);
    column->addSpacing(6);
    column->addWidget(new Divider);
    column->addSpacing(6);
    account = new AccountRow;
    connect(account, &AccountRow::clicked, this,
            [this] { this->navigation.setSection(AppSection::profile); });
    column->addWidget(account);

    line->addWidget(side);
    line->addWidget(pages, 1);

    connect(&navigation, &AppNavigation::sectionChanged, this, &AppShellView::markCurrent);
    markCurrent();
    if (profile)
        connect(profile, &ProfileStore::changed, this, &AppShellView::refreshAccount);
    refreshAccount();
}

void AppShellView::markCurrent() {
    for (const auto& [section, row] : rows)
        row->setCurrent(section == navigation.section());
}

void AppShellView::refreshAccount() {
    account->setSummary(profile ? AccountSummary::of(*profile)
                                : AccountSummary::of(QString(), QString()));
}
