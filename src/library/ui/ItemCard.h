#pragma once

#include "library/ui/TagEditor.h"
#include "store/Item.h"

#include <QPointer>
#include <QWidget>

class QMenu;
class QVariantAnimation;
struct LibraryContext;

// One item of the library as a card: its content by kind, a footer with
// source, age and tag chip, hover controls for tags and delete, a context
// menu, open on click, copy and drag out. The widget's rectangle includes a
// margin for the shadow around the card itself.
class ItemCard : public QWidget {
    Q_OBJECT
public:
    ItemCard(LibraryContext& context, Item item, QWidget* parent = nullptr);

    const Item& item() const { return current; }
    void setItem(Item item);

    bool hovering() const { return hovered; }
    void setHovering(bool hovering);

    // The card itself inside the widget.
    QRectF cardRect() const;
    QRectF tagChipRect() const { return chipRect; }
    QRectF tagButtonRect() const;
    QRectF deleteButtonRect() const;

    // The item commands.
    void open();
    void copy();
    void showTagEditor();
    void remove();

    // The context menu, built for the item as it is now.
    QMenu* makeContextMenu(QWidget* parent);
    // The tag editor popover while it is open.
    TagEditor* tagEditor() const { return editor; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void paintHoverButton(class QPainter& painter, const QRectF& rect, const QString& symbol);
    void startDrag();

    LibraryContext& context;
    Item current;
    bool hovered = false;
    qreal hoverAmount = 0;
    QVariantAnimation* hoverAnimation;
    QRectF chipRect;
    QPoint pressPosition;
    bool pressed = false;
    QPointer<TagEditor> editor;
};
