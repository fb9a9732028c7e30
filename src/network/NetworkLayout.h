#pragma once

#include "network/Person.h"

#include <QList>
#include <QPointF>
#include <QSizeF>
#include <QString>

// A company and its people, as the map groups them (see NetworkStore::groups).
struct PeopleGroup {
    QString company; // the group key
    QList<Person> members;
};

// Where everything of the people map lies on its fixed square canvas (origin
// top-left, y downwards): the user at the centre, one hub per company on an
// inner ring, each person on an outer ring in a fan around their company's
// hub. A pure value, computed afresh for every drawing.
class NetworkLayout {
public:
    // Colours are indices into the palette: blue, purple, green, orange,
    // pink, teal, indigo, red.
    static constexpr int paletteSize = 8;
    static constexpr double side = 880;
    static constexpr double hubRadius = 175;
    static constexpr double personRadius = 330;
    static constexpr double spreadPerMember = 0.3;
    static constexpr double fanLimitFactor = 0.85;

    struct Hub {
        QString company;
        QPointF position;
        int color = 0;
    };
    struct Node {
        Person person;
        QPointF position;
        int color = 0;
    };
    struct Edge {
        QPointF from;
        QPointF to;
        int color = 0;
    };

    explicit NetworkLayout(const QList<PeopleGroup>& groups);

    static QSizeF size() { return {side, side}; }
    static QPointF center() { return {side / 2, side / 2}; }

    const QList<Hub>& hubs() const { return hubList; }
    const QList<Node>& nodes() const { return nodeList; }
    // For each group its centre-to-hub line, then its hub-to-person lines.
    const QList<Edge>& edges() const { return edgeList; }

    // The palette index of a group key: the same for the same key, always.
    static int colorIndex(const QString& company);

private:
    QList<Hub> hubList;
    QList<Node> nodeList;
    QList<Edge> edgeList;
};
