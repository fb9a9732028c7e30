#pragma once

#include <QAbstractButton>

// One row of the main window's sidebar: a section's symbol and title, bold
// and on a soft rounded highlight while it is the current section.
class SidebarRow : public QAbstractButton {
    Q_OBJECT
public:
    SidebarRow(const QString& symbol, const QString& title, QWidget* parent = nullptr);

    void setCurrent(bool current);
    bool isCurrent() const { return current; }

    QSize sizeHint() const override;

    static constexpr int kHeight = 32;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QString symbol;
    bool current = false;
    bool hovered = false;
};
