// NetworkLayout: hubs on the inner ring, people fanned out on the outer ring.
#include "network/NetworkLayout.h"

#include <QUuid>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

using namespace Qt::StringLiterals;

namespace {

constexpr double pi = std::numbers::pi;

PeopleGroup group(const QString& company, int members) {
    PeopleGroup result{company, {}};
    for (int i = 0; i < members; ++i) {
        Person person;
        person.id = QUuid::createUuid();
        person.name = company + u' ' + QString::number(i);
        person.company = company;
        result.members.append(person);
    }
    return result;
}

QPointF onRing(double radius, double angle) {
    return {440 + radius * std::cos(angle), 440 + radius * std::sin(angle)};
}

void expectNear(const QPointF& actual, const QPointF& expected, const char* what) {
    EXPECT_NEAR(actual.x(), expected.x(), 1e-9) << what;
    EXPECT_NEAR(actual.y(), expected.y(), 1e-9) << what;
}

double angleOf(const QPointF& p) {
    return std::atan2(p.y() - 440, p.x() - 440);
}

} // namespace

TEST(NetworkLayout, NoGroupsGiveAnEmptyMapOfTheSameSize) {
    const NetworkLayout layout({});
    EXPECT_TRUE(layout.hubs().isEmpty());
    EXPECT_TRUE(layout.nodes().isEmpty());
    EXPECT_TRUE(layout.edges().isEmpty());
    EXPECT_EQ(NetworkLayout::size(), QSizeF(880, 880));
    EXPECT_EQ(NetworkLayout::center(), QPointF(440, 440));
}

TEST(NetworkLayout, OnePersonSitsStraightAboveTheirHub) {
    const NetworkLayout layout({group(u"Acme"_s, 1)});
    ASSERT_EQ(layout.hubs().size(), 1);
    ASSERT_EQ(layout.nodes().size(), 1);
    ASSERT_EQ(layout.edges().size(), 2);
    expectNear(layout.hubs()[0].position, {440, 265}, "hub");
    expectNear(layout.nodes()[0].position, {440, 110}, "person");
    expectNear(layout.edges()[0].from, {440, 440}, "centre line");
    expectNear(layout.edges()[0].to, {440, 265}, "centre line");
    expectNear(layout.edges()[1].from, {440, 265}, "person line");
    expectNear(layout.edges()[1].to, {440, 110}, "person line");
}

TEST(NetworkLayout, ThreePeopleOfOneGroupFanOutSymmetrically) {
    // step = 2π, fan limit ≈ 5.34, spread = 0.9.
    const NetworkLayout layout({group(u"Acme"_s, 3)});
    ASSERT_EQ(layout.nodes().size(), 3);
    const double angles[] = {-pi / 2 - 0.45, -pi / 2, -pi / 2 + 0.45};
    for (int j = 0; j < 3; ++j)
        expectNear(layout.nodes()[j].position, onRing(330, angles[j]), "member");
    EXPECT_EQ(layout.nodes()[0].person.name, u"Acme 0"_s);
}

TEST(NetworkLayout, FourHubsGoClockwiseFromTheTop) {
    const NetworkLayout layout(
        {group(u"A"_s, 4), group(u"B"_s, 3), group(u"C"_s, 2), group(u"D"_s, 1)});
    ASSERT_EQ(layout.hubs().size(), 4);
    expectNear(layout.hubs()[0].position, {440, 265}, "top");
    expectNear(layout.hubs()[1].position, {615, 440}, "right");
    expectNear(layout.hubs()[2].position, {440, 615}, "bottom");
    expectNear(layout.hubs()[3].position, {265, 440}, "left");
    // For each group its centre line, then its person lines.
    ASSERT_EQ(layout.edges().size(), 4 + 10);
    expectNear(layout.edges()[0].from, {440, 440}, "first centre line");
    expectNear(layout.edges()[5].from, {440, 440}, "second centre line");
    expectNear(layout.edges()[6].from, layout.hubs()[1].position, "second group's first line");
}

TEST(NetworkLayout, WideFansAreCappedSoNeighboursDoNotOverlap) {
    QList<PeopleGroup> groups;
    for (int i = 0; i < 8; ++i)
        groups.append(group(u"Company "_s + QString::number(i), 20));
    const NetworkLayout layout(groups);
    ASSERT_EQ(layout.nodes().size(), 160);
    const double cap = 0.85 * pi / 4;
    for (int i = 0; i < 8; ++i) {
        const double theta = -pi / 2 + pi / 4 * i;
        expectNear(layout.nodes()[i * 20].position, onRing(330, theta - cap / 2), "first");
        expectNear(layout.nodes()[i * 20 + 19].position, onRing(330, theta + cap / 2), "last");
    }
    // The last person of one fan lies before the first of the next.
    const double gap = angleOf(layout.nodes()[20].position) - angleOf(layout.nodes()[19].position);
    EXPECT_GT(gap, 0.1);
}

TEST(NetworkLayout, AGroupsHubLinesAndPeopleShareOneStableColour) {
    const NetworkLayout layout({group(u"Acme"_s, 3), group(u"Independent"_s, 2)});
    for (const NetworkLayout::Node& node : layout.nodes()) {
        const int hub = node.person.company == u"Acme"_s ? 0 : 1;
        EXPECT_EQ(node.color, layout.hubs()[hub].color);
    }
    for (int e = 0; e < 4; ++e)
        EXPECT_EQ(layout.edges()[e].color, layout.hubs()[0].color);
    for (const NetworkLayout::Hub& hub : layout.hubs()) {
        EXPECT_GE(hub.color, 0);
        EXPECT_LT(hub.color, 8);
        EXPECT_EQ(hub.color, NetworkLayout::colorIndex(hub.company));
    }
    // The "Independent" group is laid out like any other, in its place.
    EXPECT_EQ(layout.hubs()[1].company, u"Independent"_s);
    expectNear(layout.hubs()[1].position, {440, 615}, "second of two hubs");
}
