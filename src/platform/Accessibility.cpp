#include "platform/Accessibility.h"

AXValue AXElement::read(QStringView attribute) const {
    if (!node)
        return {};
    return node->read(attribute);
}

std::optional<QString> AXElement::string(QStringView attribute) const {
    AXValue v = read(attribute);
    if (QString* text = std::get_if<QString>(&v))
        return std::move(*text);
    return std::nullopt;
}

AXElement AXElement::element(QStringView attribute) const {
    AXValue v = read(attribute);
    if (AXElement* e = std::get_if<AXElement>(&v))
        return std::move(*e);
    return {};
}

std::optional<QList<AXElement>> AXElement::children() const {
    AXValue v = read(AX::children);
    if (QList<AXElement>* list = std::get_if<QList<AXElement>>(&v))
        return std::move(*list);
    return std::nullopt;
}

std::optional<QRect> AXElement::frame() const {
    AXValue v = read(AX::frame);
    if (const QRect* r = std::get_if<QRect>(&v))
        return *r;
    return std::nullopt;
}

bool AXElement::setString(QStringView attribute, const QString& text) const {
    return node && node->write(attribute, text);
}

bool AXElement::setBool(QStringView attribute, bool on) const {
    return node && node->write(attribute, on);
}

bool operator==(const AXElement& a, const AXElement& b) {
    if (a.node == b.node)
        return true;
    if (!a.node || !b.node)
        return false;
    return a.node->sameAs(*b.node);
}

std::size_t AXElement::hash() const {
    return node ? node->identityHash() : 0;
}
