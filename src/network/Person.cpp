#include "network/Person.h"

#include "common/Graphemes.h"
#include "store/Item.h"

#include <QStringList>

using namespace Qt::StringLiterals;

QString trimSpacesAndTabs(const QString& text) {
    qsizetype start = 0;
    qsizetype end = text.size();
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    while (start < end && blank(text[start]))
        ++start;
    while (end > start && blank(text[end - 1]))
        --end;
    return text.mid(start, end - start);
}

QString Person::initials() const {
    const QStringList words = name.split(u' ', Qt::SkipEmptyParts);
    QString letters;
    for (qsizetype i = 0; i < words.size() && i < 2; ++i) {
        letters += Graphemes::prefix(words[i], 1).toUpper();
    }
    return letters;
}

QString Person::companyKey() const {
    return trimSpacesAndTabs(company).isEmpty() ? u"Independent"_s : company;
}

bool Person::needsEnrichment() const {
    return (linkedin && !linkedin->isEmpty() && !avatarFileName) ||
           (!company.isEmpty() && !logoFileName);
}

namespace {

void putOptional(QJsonObject& object, const QString& key, const std::optional<QString>& value) {
    if (value)
        object.insert(key, *value);
}

std::optional<QString> optionalString(const QJsonObject& object, const QString& key) {
    const QJsonValue value = object.value(key);
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

} // namespace

QJsonObject Person::toJson() const {
    QJsonObject object;
    object.insert(u"id"_s, idString(id));
    object.insert(u"name"_s, name);
    object.insert(u"company"_s, company);
    object.insert(u"location"_s, location);
    object.insert(u"note"_s, note);
    object.insert(u"addedAt"_s, addedAt);
    putOptional(object, u"linkedin"_s, linkedin);
    putOptional(object, u"avatarFileName"_s, avatarFileName);
    putOptional(object, u"logoFileName"_s, logoFileName);
    return object;
}

std::optional<Person> Person::fromJson(const QJsonObject& object) {
    const QJsonValue id = object.value(u"id"_s);
    const QJsonValue name = object.value(u"name"_s);
    const QJsonValue company = object.value(u"company"_s);
    const QJsonValue location = object.value(u"location"_s);
    const QJsonValue note = object.value(u"note"_s);
    const QJsonValue addedAt = object.value(u"addedAt"_s);
    if (!id.isString() || !name.isString() || !company.isString() || !location.isString() ||
        !note.isString() || !addedAt.isDouble())
        return std::nullopt;
    // QUuid accepts braces and other shapes; an id is exactly 8-4-4-4-12.
    const QString idText = id.toString();
    const QUuid uuid = QUuid::fromString(idText);
    if (idText.size() != 36 ||
        (uuid.isNull() && idText != u"00000000-0000-0000-0000-000000000000"_s))
        return std::nullopt;

    Person person;
    person.id = uuid;
    person.name = name.toString();
    person.company = company.toString();
    person.location = location.toString();
    person.note = note.toString();
    person.addedAt = addedAt.toDouble();
    person.linkedin = optionalString(object, u"linkedin"_s);
    person.avatarFileName = optionalString(object, u"avatarFileName"_s);
    person.logoFileName = optionalString(object, u"logoFileName"_s);
    return person;
}
