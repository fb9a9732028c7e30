#include "network/NetworkLayout.h"

#include <algorithm>
#include <cmath>
#include <numbers>

int NetworkLayout::colorIndex(const QString& company) {
    // FNV-1a over the UTF-16 units: unlike qHash it is not seeded per
    // process, so a company keeps its colour from one run to the next.
    quint32 hash = 2166136261u;
    for (const QChar c : company) {
        hash ^= c.unicode();
        hash *= 16777619u;
    }
    // FNV's low bits depend only on the low bits of each character; mixing
    // spreads every bit over the few the palette index takes.
    hash ^= hash >> 16;
    hash *= 0x7feb352du;
    hash ^= hash >> 15;
    hash *= 0x846ca68bu;
    hash ^= hash >> 16;
    return int(hash % paletteSize);
}

NetworkLayout::NetworkLayout(const QList<PeopleGroup>& groups) {
    const qsizetype count = groups.size();
    if (count == 0)
        return;
    const double pi = std::numbers::pi;
    const double step = count >= 2 ? 2 * pi / double(count) : 2 * pi;
    const double fanLimit = step * fanLimitFactor;
    const QPointF middle = center();

    qsizetype people = 0;
    for (const PeopleGroup& group : groups)
        people += group.members.size();
    hubList.reserve(count);
    nodeList.reserve(people);
    edgeList.reserve(count + people);

    for (qsizetype i = 0; i < count; ++i) {
        const PeopleGroup& group = groups[i];
        const int color = colorIndex(group.company);
        const double theta = -pi / 2 + step * double(i);
        const QPointF hub(middle.x() + hubRadius * std::cos(theta),
                          middle.y() + hubRadius * std::sin(theta));
        hubList.append({group.company, hub, color});
        edgeList.append({middle, hub, color});

        const qsizetype members = group.members.size();
        const double spread = std::min(double(members) * spreadPerMember, fanLimit);
        for (qsizetype j = 0; j < members; ++j) {
            const double t = members == 1 ? 0.0 : double(j) / double(members - 1) - 0.5;
            const double phi = theta + spread * t;
            const QPointF node(middle.x() + personRadius * std::cos(phi),
                               middle.y() + personRadius * std::sin(phi));
            nodeList.append({group.members[j], node, color});
            edgeList.append({hub, node, color});
        }
    }
}
