// Reading a field's texts from a substitute tree: the label shapes of real
// forms, the bounds on the walk, and trees that break under the reader.
#include "autofill/FieldTexts.h"

#include "platform/memory/MemoryAccessibility.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
// A page around body (indented below the web area); the field has id=f.
QString page(const QString& body) {
    QString indented;
    for (const QString& line : body.split(u'\n'))
        indented += u"      "_s + line + u'\n';
    return u"AXApplication pid=7\n  AXWindow title=W\n    AXWebArea url=\"http://x.test/\"\n"_s +
           indented;
}

std::string show(const std::optional<QString>& text) {
    return text ? "\"" + text->toStdString() + "\"" : "absent";
}
} // namespace

TEST(FieldTexts, LabelShapesOfRealForms) {
    struct Shape {
        const char* name;
        QString body;
        std::optional<QString> label;
        std::optional<QString> before;
        bool picker;
    };
    const QString longText(130, u'x');
    const Shape shapes[] = {
        {"label element, required mark dropped",
         u"AXGroup id=lab\n  AXStaticText value=\"Work email*\"\nAXTextField id=f label=lab"_s,
         u"Work email"_s, u"Work email"_s, false},
        {"label element whose texts are spread over children",
         u"AXGroup id=lab\n  AXStaticText value=\"Home\"\n  AXGroup\n    AXStaticText "
         "value=\"phone\"\nAXTextField id=f label=lab"_s,
         u"Home phone"_s, u"Home phone"_s, false},
        {"text before, same group", u"AXGroup\n  AXStaticText value=Company\n  AXTextField id=f"_s,
         std::nullopt, u"Company"_s, false},
        {"text two levels up",
         u"AXGroup\n  AXStaticText value=Phone\n  AXGroup\n    AXTextField id=f"_s, std::nullopt,
         u"Phone"_s, false},
        {"country picker before the phone",
         u"AXGroup\n  AXStaticText value=Mobile\n  AXPopUpButton title=\"+44\"\n  AXTextField id=f"_s,
         std::nullopt, u"Mobile"_s, true},
        {"a picker one level up stays seen",
         u"AXGroup\n  AXStaticText value=Tel\n  AXComboBox\n  AXGroup\n    AXTextField id=f"_s,
         std::nullopt, u"Tel"_s, true},
        {"another input stands between",
         u"AXGroup\n  AXStaticText value=Name\n  AXTextField\n  AXTextField id=f"_s, std::nullopt,
         std::nullopt, false},
        {"a sibling that holds an input",
         u"AXGroup\n  AXStaticText value=Name\n  AXGroup\n    AXGroup\n      AXTextArea\n  "
         "AXTextField id=f"_s,
         std::nullopt, std::nullopt, false},
        {"buttons and images are skipped",
         u"AXGroup\n  AXStaticText value=City\n  AXImage\n  AXButton title=\"?\"\n  AXTextField id=f"_s,
         std::nullopt, u"City"_s, false},
        {"a long paragraph is no label",
         u"AXGroup\n  AXStaticText value=\""_s + longText + u"\"\n  AXTextField id=f"_s,
         std::nullopt, std::nullopt, false},
        {"a leaf's title counts as its text",
         u"AXGroup\n  AXGroup title=\"Last name\"\n  AXTextField id=f"_s, std::nullopt,
         u"Last name"_s, false},
        {"nothing before the field at the page's top", u"AXTextField id=f"_s, std::nullopt,
         std::nullopt, false},
    };
    for (const Shape& shape : shapes) {
        SCOPED_TRACE(shape.name);
        MemoryAccessibility tree;
        tree.load(page(shape.body));
        ASSERT_TRUE(tree.errors().isEmpty()) << tree.errors().join(u"; "_s).toStdString();
        const FieldTexts texts = readFieldTexts(tree.byId(u"f"_s));
        EXPECT_EQ(show(texts.label), show(shape.label));
        EXPECT_EQ(show(texts.before), show(shape.before));
        EXPECT_EQ(texts.hasCountryPicker, shape.picker);
        EXPECT_TRUE(isInsideWebPage(tree.byId(u"f"_s)));
    }
}

TEST(FieldTexts, PlainAttributesAndTheirJson) {
    MemoryAccessibility tree;
    tree.load(page(u"AXTextField id=f title=\"E-mail\" desc=\"We never share it\" "
                   "placeholder=\"you@example.com\" value=\"\""_s));
    const FieldTexts texts = readFieldTexts(tree.byId(u"f"_s));
    const QJsonObject json = texts.toJson();
    EXPECT_EQ(json.value(u"title"_s).toString(), u"E-mail"_s);
    EXPECT_EQ(json.value(u"description"_s).toString(), u"We never share it"_s);
    EXPECT_EQ(json.value(u"placeholder"_s).toString(), u"you@example.com"_s);
    EXPECT_EQ(json.value(u"value"_s).toString(), u""_s);
    EXPECT_TRUE(json.value(u"value"_s).isString());
    EXPECT_EQ(json.value(u"domId"_s).toString(), u"f"_s);
    EXPECT_TRUE(json.value(u"label"_s).isNull());
    EXPECT_TRUE(json.value(u"before"_s).isNull());
    EXPECT_EQ(json.value(u"picker"_s).toBool(true), false);
}

TEST(FieldTexts, WebPageTestStopsAtWindowsApplicationsAndDepth) {
    MemoryAccessibility tree;
    // A browser's own toolbar field: a window comes before any web area.
    tree.load(u"AXApplication pid=1\n  AXWindow\n    AXGroup\n      AXTextField id=toolbar\n"
              "    AXWebArea\n      AXTextField id=inpage"_s);
    EXPECT_FALSE(isInsideWebPage(tree.byId(u"toolbar"_s)));
    EXPECT_TRUE(isInsideWebPage(tree.byId(u"inpage"_s)));

    // 70 groups deep: the web area is out of reach of the 60-ancestor walk.
    QString deep = u"AXApplication pid=2\n AXWebArea\n"_s;
    for (int i = 0; i < 70; ++i)
        deep += QString(i + 2, u' ') + u"AXGroup\n"_s;
    deep += QString(72, u' ') + u"AXTextField id=deep\n"_s;
    MemoryAccessibility deepTree;
    deepTree.load(deep);
    EXPECT_FALSE(isInsideWebPage(deepTree.byId(u"deep"_s)));
}

TEST(FieldTexts, BrokenTreesCostBoundedReads) {
    // A parent that names its own child as its parent: the walk up must end.
    MemoryAccessibility tree;
    tree.load(u"AXApplication pid=3\n  AXWindow\n    AXGroup id=a parent=b\n      AXGroup id=b\n"
              "        AXTextField id=f"_s);
    const AXElement field = tree.byId(u"f"_s);
    tree.resetCounts();
    EXPECT_FALSE(isInsideWebPage(field));
    const FieldTexts texts = readFieldTexts(field);
    EXPECT_FALSE(texts.before);
    // 60 parents and their roles, the field's own reads and 4 label levels:
    // a few hundred reads at most, never a loop.
    EXPECT_LT(tree.reads(), 400);

    // A field whose page vanishes between two reads reads as absent.
    MemoryAccessibility gone;
    gone.load(page(u"AXGroup id=g\n  AXStaticText value=Email\n  AXTextField id=f"_s));
    const AXElement f = gone.byId(u"f"_s);
    gone.remove(gone.byId(u"g"_s));
    EXPECT_FALSE(f.string(AX::role));
    EXPECT_FALSE(readFieldTexts(f).before);
    EXPECT_FALSE(isInsideWebPage(f));
}

TEST(FieldTexts, WideSiblingsAndDeepLabelsStayWithinTheWalkBounds) {
    // A label element with 50 children of 50 texts each: at most 8 texts.
    QString body = u"AXGroup id=lab\n"_s;
    for (int i = 0; i < 50; ++i) {
        body += u"  AXGroup\n"_s;
        for (int j = 0; j < 50; ++j)
            body += u"    AXStaticText value=w%1\n"_s.arg(i * 50 + j);
    }
    body += u"AXTextField id=f label=lab"_s;
    MemoryAccessibility tree;
    tree.load(page(body));
    tree.resetCounts();
    const FieldTexts texts = readFieldTexts(tree.byId(u"f"_s));
    ASSERT_TRUE(texts.label);
    EXPECT_EQ(texts.label->split(u' ').size(), 8);
    EXPECT_LT(tree.reads(u"AXValue"), 20);
}
