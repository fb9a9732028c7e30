#pragma once

#include <QAbstractButton>

// One row of the tag editor: a leading mark (a check mark when checked,
// otherwise the row's symbol) and a title; highlighted under the pointer.
class TagRow : public QAbstractButton {
    Q_OBJECT
public:
    TagRow(QString symbol, QString title, bool checked, QWidget* parent = nullptr);

    const QString& symbol() const { return symbolName; }
    const QString& title() const { return titleText; }
    bool isChecked() const { return checkedMark; }
    // A smaller second line under the title (the automatic row's explanation).
    void setSubtitle(QString subtitle);

    QSize sizeHint() const override;

    // The title as the row draws it: elided to the room beside the mark.
    QString shownTitle() const;
    QRectF titleRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QString symbolName;
    QString titleText;
    QString subtitleText;
    bool checkedMark;
    bool hovered = false;
};
