#include "store/IndexEncoder.h"

#include "store/IndexFile.h"

#include <functional>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

Item item(int n) {
    Item made;
    made.id = QUuid::createUuid();
    made.kind = n % 2 ? ItemKind::link : ItemKind::text;
    made.title = u"Title \"%1\" \u00e9\u6f22 \\ /"_s.arg(n);
    made.detail = u"https://example.org/%1?q=a&b"_s.arg(n);
    made.savedAt = 820'000'000.125 + n;
    if (n % 3 == 0)
        made.text = u"line one\nline two\t\u0001"_s;
    if (n % 4 == 0)
        made.tags = QStringList{u"Work"_s, u"\u2603"_s};
    if (n % 5 == 0)
        made.tags = QStringList{};
    if (n % 2)
        made.category = u"Code"_s;
    return made;
}

} // namespace

// Reused JSON must never let a change slip: after every kind of change the
// bytes are those of a full encode.
TEST(IndexEncoder, EveryChangeGivesTheBytesOfAFullEncode) {
    QList<Item> items;
    for (int n = 0; n < 40; ++n)
        items.append(item(n));
    struct Step {
        const char* what;
        std::function<void(QList<Item>&)> change;
    };
    const std::vector<Step> steps = {
        {"first encode", [](QList<Item>&) {}},
        {"nothing changed", [](QList<Item>&) {}},
        {"a tag added", [](QList<Item>& l) { l[7].tags = QStringList{u"New"_s}; }},
        {"a text replaced by one of equal length",
         [](QList<Item>& l) { l[3].text = u"line one\nline tw0\t\u0001"_s; }},
        {"bumped to the front",
         [](QList<Item>& l) {
             Item front = l.takeAt(20);
             front.savedAt += 1000;
             l.prepend(front);
         }},
        {"removed", [](QList<Item>& l) { l.removeAt(11); }},
        {"added", [](QList<Item>& l) { l.prepend(item(99)); }},
        {"an id kept twice (a damaged index)", [](QList<Item>& l) { l.append(l.first()); }},
        {"the twin changed", [](QList<Item>& l) { l.last().title = u"twin"_s; }},
        {"everything gone", [](QList<Item>& l) { l.clear(); }},
    };
    IndexEncoder encoder;
    for (const Step& step : steps) {
        step.change(items);
        EXPECT_EQ(encoder.encode(items), IndexFile::encode(items)) << step.what;
    }
}
