#pragma once

#include "network/NetworkLayout.h"

#include <QUuid>
#include <QVariantAnimation>
#include <QWidget>
#include <optional>

struct NetworkContext;

// The 880 × 880 map of people: lines, the user's node, company hubs and
// person nodes, redrawn from the store's groups whenever people change. A
// click on a person reports them; there is no zoom and nothing is dragged.
class NetworkCanvas : public QWidget {
    Q_OBJECT
public:
    explicit NetworkCanvas(NetworkContext& context, QWidget* parent = nullptr);

    // Lays the map out again from the store's people.
    void refresh();
    // Marks the person (or none) as selected; a newly selected node grows in
    // over 0.15 seconds.
    void setSelected(std::optional<QUuid> id);

    const NetworkLayout& layout() const { return currentLayout; }
    // Where a person's node is drawn, in this widget's coordinates.
    std::optional<QPointF> nodePosition(const QUuid& id) const;

Q_SIGNALS:
    void personClicked(const QUuid& id);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    NetworkContext& context;
    NetworkLayout currentLayout{{}};
    // The map's backdrop (drawn again when people change) and its people but
    // the selected one (also when the selection changes), kept for the
    // palette and pixel ratio they were drawn in: scrolling and the
    // selection's animation repaint from them.
    QImage backdrop;
    QImage people;
    qint64 layerPalette = 0;
    std::optional<QUuid> selected;
    qreal selectionScale = 1.08;
    QVariantAnimation grow;
};
