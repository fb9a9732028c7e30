#include "autofill/FieldTexts.h"

#include "common/Graphemes.h"

#include <QJsonValue>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace {
constexpr int kLabelLevels = 4;
constexpr int kCollectDepth = 3;
constexpr int kCollectChildren = 8;
constexpr int kCollectTexts = 8;
constexpr int kInputDepth = 2;
constexpr int kInputChildren = 12;
constexpr int kWebAncestors = 60;
constexpr int kBeforeMaxChars = 120;

bool isOneOf(const std::optional<QString>& role, std::initializer_list<QStringView> roles) {
    if (!role)
        return false;
    for (QStringView r : roles) {
        if (*role == r)
            return true;
    }
    return false;
}

void collectText(const AXElement& element, int depth, QStringList& into) {
    if (depth > kCollectDepth || into.size() > kCollectTexts - 1)
        return;
    if (element.string(AX::role) == AX::staticTextRole) {
        if (auto value = element.string(AX::value); value && !value->isEmpty())
            into.append(*value);
        return;
    }
    const QList<AXElement> children = element.children().value_or(QList<AXElement>{});
    if (children.isEmpty()) {
        if (auto title = element.string(AX::title); title && !title->isEmpty())
            into.append(*title);
        return;
    }
    for (qsizetype i = 0; i < children.size() && i < kCollectChildren; ++i)
        collectText(children[i], depth + 1, into);
}

// The collected texts as one line: single spaces, no "*" (required-field
// marks), trimmed.
QString collectedLine(const AXElement& element) {
    QStringList texts;
    collectText(element, 0, texts);
    QString line = texts.join(u' ');
    line.replace(u'*', u' ');
    return line.trimmed();
}

bool containsInput(const AXElement& element, int depth) {
    if (depth > kInputDepth)
        return false;
    const QList<AXElement> children = element.children().value_or(QList<AXElement>{});
    for (qsizetype i = 0; i < children.size() && i < kInputChildren; ++i) {
        const auto role = children[i].string(AX::role);
        if (isOneOf(role, {AX::textFieldRole, AX::textAreaRole}))
            return true;
        if (containsInput(children[i], depth + 1))
            return true;
    }
    return false;
}

std::optional<QString> nonEmpty(std::optional<QString> text) {
    if (text && text->isEmpty())
        return std::nullopt;
    return text;
}
} // namespace

std::pair<std::optional<QString>, bool> labelBefore(const AXElement& field) {
    bool picker = false;
    AXElement current = field;
    for (int level = 0; level < kLabelLevels; ++level) {
        const AXElement parent = current.element(AX::parent);
        if (!parent)
            return {std::nullopt, picker};
        const auto parentRole = parent.string(AX::role);
        const QList<AXElement> siblings = parent.children().value_or(QList<AXElement>{});
        const qsizetype at = siblings.indexOf(current);
        for (qsizetype i = at - 1; at >= 0 && i >= 0; --i) {
            const AXElement& sibling = siblings[i];
            const auto role = sibling.string(AX::role);
            if (isOneOf(role, {AX::popUpButtonRole, AX::comboBoxRole, AX::menuButtonRole})) {
                picker = true;
                continue;
            }
            if (isOneOf(role, {AX::buttonRole, AX::imageRole}))
                continue;
            if (isOneOf(role, {AX::textFieldRole, AX::textAreaRole, AX::checkBoxRole,
                               AX::radioButtonRole}))
                return {std::nullopt, picker};
            if (containsInput(sibling, 0))
                return {std::nullopt, picker};
            const QString text = collectedLine(sibling);
            if (text.isEmpty())
                continue;
            if (!Graphemes::hasAtLeast(text, kBeforeMaxChars + 1))
                return {text, picker};
            return {std::nullopt, picker};
        }
        if (isOneOf(parentRole, {AX::webAreaRole, AX::windowRole}))
            return {std::nullopt, picker};
        current = parent;
    }
    return {std::nullopt, picker};
}

bool isInsideWebPage(const AXElement& field) {
    AXElement current = field;
    for (int i = 0; i < kWebAncestors; ++i) {
        current = current.element(AX::parent);
        if (!current)
            return false;
        const auto role = current.string(AX::role);
        if (!role)
            return false;
        if (*role == AX::webAreaRole)
            return true;
        if (*role == AX::windowRole || *role == AX::applicationRole)
            return false;
    }
    return false;
}

FieldTexts readFieldTexts(const AXElement& field) {
    FieldTexts texts;
    texts.placeholder = field.string(AX::placeholderValue);
    if (const AXElement label = field.element(AX::titleUIElement))
        texts.label = nonEmpty(collectedLine(label));
    texts.title = field.string(AX::title);
    texts.description = field.string(AX::description);
    texts.value = field.string(AX::value);
    texts.domId = field.string(AX::domIdentifier);
    std::tie(texts.before, texts.hasCountryPicker) = labelBefore(field);
    return texts;
}

QJsonObject FieldTexts::toJson() const {
    const auto text = [](const std::optional<QString>& t) {
        return t ? QJsonValue(*t) : QJsonValue(QJsonValue::Null);
    };
    return QJsonObject{{u"label"_s, text(label)},
                       {u"title"_s, text(title)},
                       {u"description"_s, text(description)},
                       {u"before"_s, text(before)},
                       {u"picker"_s, hasCountryPicker},
                       {u"placeholder"_s, text(placeholder)},
                       {u"value"_s, text(value)},
                       {u"domId"_s, text(domId)}};
}
