#pragma once

#include "platform/Accessibility.h"

#include <QJsonObject>
#include <QString>
#include <optional>

// What a form field says about itself, read from the accessibility tree:
// the texts the field matcher decides on. Each text may be absent.
struct FieldTexts {
    std::optional<QString> label;       // the label element's text
    std::optional<QString> title;       // "AXTitle"
    std::optional<QString> description; // "AXDescription"
    std::optional<QString> before;      // the text found before the field
    bool hasCountryPicker = false;      // a pop-up stands before the field
    std::optional<QString> placeholder; // "AXPlaceholderValue"
    std::optional<QString> value;       // "AXValue"
    std::optional<QString> domId;       // "AXDOMIdentifier"

    // {"label", "title", "description", "before", "picker", "placeholder",
    //  "value", "domId"}, absent texts as null.
    QJsonObject toJson() const;
};

// Reads the texts of a field within the engines' bounds: label search at most
// 4 levels up, text collection at most depth 3, 8 children per node and 8
// texts, input search at most depth 2 and 12 children.
FieldTexts readFieldTexts(const AXElement& field);

// The text before the field and whether a country picker stands before it.
std::pair<std::optional<QString>, bool> labelBefore(const AXElement& field);

// Whether the field lies inside a web page: walking up at most 60 parents,
// a web area comes before a window, an application, the end of the chain or
// a failed read.
bool isInsideWebPage(const AXElement& field);
