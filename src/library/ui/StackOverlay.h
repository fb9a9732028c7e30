#pragma once

#include "store/Item.h"

#include <QList>
#include <QWidget>

class MasonryGrid;
class QLabel;
class QParallelAnimationGroup;
class QToolButton;
struct LibraryContext;

// An opened stack over the page: a dimmed backdrop (a click on it closes)
// and a panel with the stack's name, its size and its items in a grid. It
// grows in from slightly smaller while fading in, and leaves the same way.
class StackOverlay : public QWidget {
    Q_OBJECT
    Q_PROPERTY(qreal presence READ presence WRITE setPresence)
public:
    explicit StackOverlay(LibraryContext& context, QWidget* parent = nullptr);

    void open(const QString& key, const QList<Item>& items);
    // Shows the items the stack has now (an empty list when it is gone).
    void setItems(const QList<Item>& items);
    void close();
    bool isOpen() const { return opened; }
    const QString& key() const { return stackKey; }

    MasonryGrid* grid() const { return itemGrid; }
    QLabel* countLabel() const { return count; }
    QToolButton* closeButton() const { return closer; }
    QWidget* panel() const { return sheet; }

    qreal presence() const { return shown; }
    void setPresence(qreal presence);

    static constexpr int maxWidth = 720;
    static constexpr int maxHeight = 580;
    static constexpr int margin = 30;

Q_SIGNALS:
    void closed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void takeColours();
    QRect panelRect() const;
    void animateTo(qreal target, int durationMs, const QEasingCurve& curve);

    QString stackKey;
    bool opened = false;
    qreal shown = 0;
    QWidget* sheet;
    QLabel* title;
    QLabel* count;
    QToolButton* closer;
    MasonryGrid* itemGrid;
    class QPropertyAnimation* animation;
    class QGraphicsOpacityEffect* opacity;
};
