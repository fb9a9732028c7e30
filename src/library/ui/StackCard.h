#pragma once

#include "store/Item.h"

#include <QList>
#include <QWidget>

class QVariantAnimation;
struct LibraryContext;

// A stack of items as a pile: the first item's card in front with one or two
// peek layers behind it, a label with the stack's key and size; a click
// asks to open the stack.
class StackCard : public QWidget {
    Q_OBJECT
public:
    StackCard(LibraryContext& context, QString key, QList<Item> items, QWidget* parent = nullptr);

    const QString& key() const { return stackKey; }
    const QList<Item>& items() const { return stackItems; }
    void setStack(QString key, QList<Item> items);

    bool hovering() const { return hovered; }
    // The front card inside the widget.
    QRectF frontRect() const;

Q_SIGNALS:
    void tapped(const QString& key);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    LibraryContext& context;
    QString stackKey;
    QList<Item> stackItems;
    bool hovered = false;
    qreal hoverAmount = 0;
    QVariantAnimation* hoverAnimation;
};
