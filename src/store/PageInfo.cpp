#include "store/PageInfo.h"

using namespace Qt::StringLiterals;

namespace {

QJsonValue orNull(const std::optional<QString>& value) {
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

QJsonValue orNull(const std::optional<QUrl>& value) {
    return value ? QJsonValue(value->toString(QUrl::FullyEncoded)) : QJsonValue(QJsonValue::Null);
}

} // namespace

QJsonObject PageInfo::toJson() const {
    return QJsonObject{{u"title"_s, orNull(title)},
                       {u"text"_s, orNull(text)},
                       {u"imageURL"_s, orNull(imageURL)},
                       {u"iconURL"_s, orNull(iconURL)}};
}
