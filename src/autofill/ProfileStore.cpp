#include "autofill/ProfileStore.h"

#include "common/AtomicFile.h"
#include "common/Graphemes.h"
#include "common/SetAside.h"
#include "platform/Environment.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace {
// Both files are a few kilobytes; anything far larger is not ours.
constexpr qint64 kMaxFileBytes = 4 * 1024 * 1024;
constexpr int kMaxCustomAnswer = 200;

QString trimmed(const QString& text) {
    return text.trimmed();
}

enum class Read { missing, ok, unreadable };

Read readFile(const QString& path, QByteArray* bytes) {
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return Read::missing;
    QFile file(path);
    if (!info.isFile() || info.size() > kMaxFileBytes || !file.open(QIODevice::ReadOnly))
        return Read::unreadable;
    *bytes = file.readAll();
    return Read::ok;
}

// Moves an unreadable file out of the way; answers where it went.
QString moveAside(const QString& path) {
    return SetAside::move(path, QDateTime::currentDateTimeUtc()).value_or(QString());
}

QStringList words(const QString& text) {
    return text.split(u' ', Qt::SkipEmptyParts);
}
} // namespace

QString ProfileStore::profileFilePath(const Environment& environment, const QString& dataFolder) {
    if (const auto path = environment.value(u"TOVIK_PROFILE_FILE"_s); path && !path->isEmpty())
        return *path;
    return QDir(dataFolder).filePath(u"profile.json"_s);
}

ProfileStore::ProfileStore(Options options, QObject* parent)
    : QObject(parent), profilePath(std::move(options.profileFile)) {
    answersPath = QFileInfo(profilePath).dir().filePath(u"answers.json"_s);
    QDir().mkpath(QFileInfo(profilePath).absolutePath());
    readAnswers();
    if (!readProfile()) {
        const QStringList name = words(options.accountFullName.trimmed());
        if (name.size() >= 2) {
            valueMap.insert(ProfileFields::id(ProfileField::firstName), name.first());
            valueMap.insert(ProfileFields::id(ProfileField::lastName), name.mid(1).join(u' '));
            writeProfile();
        }
    }
}

bool ProfileStore::readProfile() {
    QByteArray bytes;
    const Read result = readFile(profilePath, &bytes);
    if (result == Read::missing)
        return false;
    if (result == Read::ok) {
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
        if (error.error == QJsonParseError::NoError && doc.isObject()) {
            QMap<QString, QString> read;
            bool allStrings = true;
            const QJsonObject object = doc.object();
            for (auto it = object.begin(); it != object.end() && allStrings; ++it) {
                allStrings = it.value().isString();
                read.insert(it.key(), it.value().toString());
            }
            if (allStrings) {
                valueMap = read;
                return true;
            }
        }
    }
    if (const QString aside = moveAside(profilePath); !aside.isEmpty())
        setAside.append(aside);
    return false;
}

void ProfileStore::readAnswers() {
    QByteArray bytes;
    const Read result = readFile(answersPath, &bytes);
    if (result == Read::missing)
        return;
    if (result == Read::ok) {
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
        if (error.error == QJsonParseError::NoError && doc.isArray()) {
            QList<LearnedAnswer> read;
            bool valid = true;
            for (const QJsonValue& v : doc.array()) {
                const QJsonObject o = v.toObject();
                if (!v.isObject() || !o.value(u"key"_s).isString() ||
                    !o.value(u"label"_s).isString() || !o.value(u"value"_s).isString()) {
                    valid = false;
                    break;
                }
                read.append({o.value(u"key"_s).toString(), o.value(u"label"_s).toString(),
                             o.value(u"value"_s).toString()});
            }
            if (valid) {
                answers = read;
                return;
            }
        }
    }
    if (const QString aside = moveAside(answersPath); !aside.isEmpty())
        setAside.append(aside);
}

void ProfileStore::writeProfile() {
    QJsonObject object;
    for (auto it = valueMap.cbegin(); it != valueMap.cend(); ++it)
        object.insert(it.key(), it.value());
    AtomicFile::write(profilePath, QJsonDocument(object).toJson(QJsonDocument::Compact));
}

void ProfileStore::writeAnswers() {
    QJsonArray array;
    for (const LearnedAnswer& a : answers)
        array.append(QJsonObject{{u"key"_s, a.key}, {u"label"_s, a.label}, {u"value"_s, a.value}});
    AtomicFile::write(answersPath, QJsonDocument(array).toJson(QJsonDocument::Compact));
}

QString ProfileStore::raw(ProfileField field) const {
    return valueMap.value(ProfileFields::id(field));
}

void ProfileStore::set(const QString& value, ProfileField field) {
    if (value == raw(field))
        return;
    if (trimmed(value).isEmpty())
        valueMap.remove(ProfileFields::id(field));
    else
        valueMap.insert(ProfileFields::id(field), value);
    writeProfile();
    Q_EMIT changed();
}

std::optional<QString> ProfileStore::fillValue(ProfileField field) const {
    if (const QString own = trimmed(raw(field)); !own.isEmpty())
        return own;
    const QStringList full = words(trimmed(raw(ProfileField::fullName)));
    switch (field) {
    case ProfileField::firstName:
        if (!full.isEmpty())
            return full.first();
        return std::nullopt;
    case ProfileField::lastName:
        if (full.size() >= 2)
            return full.mid(1).join(u' ');
        return std::nullopt;
    case ProfileField::fullName: {
        QStringList parts;
        for (const ProfileField f : {ProfileField::firstName, ProfileField::lastName}) {
            if (const QString part = trimmed(raw(f)); !part.isEmpty())
                parts.append(part);
        }
        if (parts.isEmpty())
            return std::nullopt;
        return parts.join(u' ');
    }
    default:
        return std::nullopt;
    }
}

std::optional<QString> ProfileStore::fillValue(const FillTarget& target) const {
    if (target.field)
        return fillValue(*target.field);
    for (const LearnedAnswer& a : answers) {
        if (a.key == target.key) {
            const QString value = trimmed(a.value);
            if (value.isEmpty())
                return std::nullopt;
            return value;
        }
    }
    return std::nullopt;
}

bool ProfileStore::learn(const QString& typed, const FillTarget& target) {
    const QString text = trimmed(typed);
    if (fillValue(target))
        return false;
    if (!target.field) {
        if (text.isEmpty() || Graphemes::hasAtLeast(text, kMaxCustomAnswer + 1) ||
            text.contains(u'\n'))
            return false;
        setLearned(text, target.key, target.label);
        return true;
    }
    if (!isPlausible(text, *target.field))
        return false;
    set(text, *target.field);
    return true;
}

bool ProfileStore::isPlausible(const QString& value, ProfileField field) {
    const QString v = trimmed(value);
    if (!Graphemes::hasAtLeast(v, 2) || Graphemes::hasAtLeast(v, 121) || v.contains(u'\n'))
        return false;
    const auto countNumbers = [&] {
        int n = 0;
        for (const QChar c : v)
            n += c.isNumber() ? 1 : 0;
        return n;
    };
    switch (field) {
    case ProfileField::firstName:
    case ProfileField::lastName:
    case ProfileField::fullName:
        return v.size() <= 50 && !v.contains(u'@') && countNumbers() == 0;
    case ProfileField::email: {
        const QStringList pieces = v.split(u'@', Qt::SkipEmptyParts);
        return pieces.size() == 2 && pieces[1].contains(u'.') && !v.contains(u' ');
    }
    case ProfileField::phone: {
        const int digits = countNumbers();
        if (digits < 7 || digits > 15)
            return false;
        for (const QChar c : v) {
            if (!c.isNumber() && !u" +-()"_s.contains(c))
                return false;
        }
        return true;
    }
    case ProfileField::website:
    case ProfileField::linkedin:
        return v.contains(u'.') && !v.contains(u' ');
    case ProfileField::postalCode:
        return v.size() <= 12;
    default:
        return !v.contains(u'@');
    }
}

void ProfileStore::setLearned(const QString& value, const QString& key, const QString& label) {
    for (LearnedAnswer& a : answers) {
        if (a.key != key)
            continue;
        if (a.value == value)
            return;
        a.value = value;
        writeAnswers();
        Q_EMIT changed();
        return;
    }
    answers.prepend({key, label, value});
    writeAnswers();
    Q_EMIT changed();
}

void ProfileStore::removeLearned(const QString& key) {
    answers.removeIf([&](const LearnedAnswer& a) { return a.key == key; });
    writeAnswers();
    Q_EMIT changed();
}

QString ProfileStore::nationalNumber(const QString& phone) {
    QString digits;
    for (const QChar c : phone) {
        if (c.isNumber())
            digits.append(c);
    }
    if (phone.trimmed().startsWith(u'+') && digits.size() > 10)
        return digits.right(10);
    return phone;
}
