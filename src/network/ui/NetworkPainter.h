#pragma once

#include "network/NetworkLayout.h"

#include <QColor>
#include <QPalette>
#include <QRectF>
#include <QUuid>
#include <optional>

class ImageCache;
class NetworkStore;
class QPainter;

// Draws the people map on its 880 × 880 canvas: the lines beneath, the
// user's own node in the middle, a labelled capsule per company and a round
// node per person. Shared by the map's widget and its benchmark.
namespace NetworkPainter {

// The palette of the map: blue, purple, green, orange, pink, teal, indigo, red.
QColor paletteColor(int index);

struct Scene {
    const NetworkLayout& layout;
    const NetworkStore& network;
    ImageCache& images;
    std::optional<QUuid> selected;
    qreal selectionScale = 1.08; // the selected node's size, grown while it animates
    QPalette palette;
};

// The whole map, in three layers from the back: paintBackdrop, paintPeople,
// paintSelected. The widget keeps the first two as images: the backdrop
// changes only with people, the people also with the selection, and only
// the selected node is drawn on every frame (it grows when selected).
void paint(QPainter& painter, const Scene& scene);
// The lines, the user's node and the company hubs.
void paintBackdrop(QPainter& painter, const Scene& scene);
// Every person but the selected one.
void paintPeople(QPainter& painter, const Scene& scene);
void paintSelected(QPainter& painter, const Scene& scene);

// Where a person's node (circle and labels) lies around its position.
QRectF nodeRect(const Person& person, const QPointF& position);
// The centre of the node's circle.
QPointF circleCenter(const Person& person, const QPointF& position);

// The person whose node is under point, the top-most where nodes overlap.
std::optional<QUuid> personAt(const NetworkLayout& layout, const QPointF& point);

inline constexpr qreal nodeWidth = 90;
inline constexpr qreal circleSize = 44;
inline constexpr qreal youSize = 54;

} // namespace NetworkPainter
