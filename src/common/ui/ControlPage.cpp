#include "common/ui/ControlPage.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {
constexpr int kHeaderInset = 20;
constexpr int kHeaderTop = 46;
constexpr int kLabelColumn = 160;

QColor secondaryColor(const QPalette& palette) {
    QColor color = palette.color(QPalette::WindowText);
    color.setAlphaF(0.6);
    return color;
}

void useSecondary(QLabel* label, const QPalette& from) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, secondaryColor(from));
    label->setPalette(palette);
}

// The rows' panel: a slightly raised rounded surface, as grouped forms look.
class SectionPanel final : public QFrame {
public:
    SectionPanel() { setAutoFillBackground(false); }

protected:
    void paintEvent(QPaintEvent* event) override;
};
} // namespace

void SectionPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QColor fill = palette().color(QPalette::Base);
    QColor edge = palette().color(QPalette::WindowText);
    edge.setAlphaF(0.1);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
    p.fillPath(path, fill);
    p.setPen(edge);
    p.drawPath(path);
    // Hairlines between rows.
    const auto* box = static_cast<QVBoxLayout*>(layout());
    for (int i = 1; i < box->count(); ++i) {
        const QWidget* row = box->itemAt(i)->widget();
        if (!row || !row->isVisible())
            continue;
        const int y = row->geometry().top() - box->spacing() / 2 - 1;
        p.drawLine(QPointF(12, y + 0.5), QPointF(width() - 12, y + 0.5));
    }
}

ControlPage::ControlPage(const QString& titleText, const QString& subtitleText, QWidget* parent)
    : QWidget(parent) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    // The window's background shows through the form.
    scroll->viewport()->setAutoFillBackground(false);
    outer->addWidget(scroll);

    auto* canvas = new QWidget;
    canvas->setAutoFillBackground(false);
    auto* centring = new QHBoxLayout(canvas);
    centring->setContentsMargins(0, 0, 0, 0);
    page = new QWidget;
    page->setMaximumWidth(kMaxWidth);
    page->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    centring->addStretch(0);
    centring->addWidget(page, 1, Qt::AlignTop);
    centring->addStretch(0);
    scroll->setWidget(canvas);

    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(kHeaderInset, kHeaderTop, kHeaderInset, 24);
    column->setSpacing(4);
    title = new QLabel(titleText);
    QFont titleFont = title->font();
    titleFont.setPixelSize(22);
    titleFont.setBold(true);
    title->setFont(titleFont);
    subtitle = new QLabel(subtitleText);
    QFont subtitleFont = subtitle->font();
    subtitleFont.setPixelSize(13);
    subtitle->setFont(subtitleFont);
    subtitle->setWordWrap(true);
    useSecondary(subtitle, palette());
    column->addWidget(title);
    column->addWidget(subtitle);
    column->addSpacing(14);
    form = new QVBoxLayout;
    form->setSpacing(18);
    column->addLayout(form);
    column->addStretch(1);
}

void ControlPage::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange)
        useSecondary(subtitle, palette());
    QWidget::changeEvent(event);
}

ControlSection* ControlPage::addSection(const QString& sectionTitle) {
    auto* section = new ControlSection(sectionTitle);
    form->addWidget(section);
    return section;
}

void ControlPage::addWidget(QWidget* widget) {
    form->addWidget(widget);
}

ControlSection::ControlSection(const QString& title, QWidget* parent) : QWidget(parent) {
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(6);
    heading = new QLabel(title);
    QFont font = heading->font();
    font.setBold(true);
    heading->setFont(font);
    heading->setVisible(!title.isEmpty());
    heading->setContentsMargins(4, 0, 0, 0);
    box->addWidget(heading);
    panel = new SectionPanel;
    rows = new QVBoxLayout(panel);
    rows->setContentsMargins(12, 8, 12, 8);
    rows->setSpacing(12);
    box->addWidget(panel);
}

void ControlSection::addRow(const QString& label, QWidget* control) {
    auto* row = new QWidget;
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(0, 0, 0, 0);
    auto* name = new QLabel(label);
    name->setBuddy(control);
    line->addWidget(name, 0);
    // A text field takes the room the label column leaves, so the fields of
    // a section line up; a switch, a picker or a value keeps its own size at
    // the row's right end, where the eye looks for it.
    if (control->sizePolicy().horizontalPolicy() & QSizePolicy::ExpandFlag) {
        name->setMinimumWidth(kLabelColumn);
        line->addWidget(control, 1);
    } else {
        line->addStretch(1);
        line->addWidget(control, 0, Qt::AlignRight | Qt::AlignVCenter);
    }
    rows->addWidget(row);
}

void ControlSection::addRow(QWidget* row) {
    rows->addWidget(row);
}

void ControlSection::clearRows() {
    while (QLayoutItem* item = rows->takeAt(0)) {
        delete item->widget();
        delete item;
    }
}

int ControlSection::rowCount() const {
    return rows->count();
}
