#include "platform/UserDefaults.h"

using namespace Qt::StringLiterals;

bool UserDefaults::boolValue(const QString& key) const {
    const std::optional<QVariant> stored = object(key);
    if (!stored)
        return false;
    if (stored->typeId() == QMetaType::Bool)
        return stored->toBool();
    if (stored->typeId() == QMetaType::QString) {
        const QString text = stored->toString().trimmed().toLower();
        if (text == u"yes"_s || text == u"true"_s)
            return true;
        bool isNumber = false;
        const double number = text.toDouble(&isNumber);
        return isNumber && number != 0;
    }
    return false;
}

bool UserDefaults::boolValueDefaultingToTrue(const QString& key) const {
    const std::optional<QVariant> stored = object(key);
    if (!stored || stored->typeId() != QMetaType::Bool)
        return true;
    return stored->toBool();
}

std::optional<QString> UserDefaults::stringValue(const QString& key) const {
    const std::optional<QVariant> stored = object(key);
    if (!stored || stored->typeId() != QMetaType::QString)
        return std::nullopt;
    return stored->toString();
}

QStringList UserDefaults::stringListValue(const QString& key) const {
    const std::optional<QVariant> stored = object(key);
    if (!stored || stored->typeId() != QMetaType::QStringList)
        return {};
    return stored->toStringList();
}

std::optional<QByteArray> UserDefaults::dataValue(const QString& key) const {
    const std::optional<QVariant> stored = object(key);
    if (!stored || stored->typeId() != QMetaType::QByteArray)
        return std::nullopt;
    return stored->toByteArray();
}
