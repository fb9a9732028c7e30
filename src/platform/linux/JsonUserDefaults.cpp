#include "platform/linux/JsonUserDefaults.h"

#include "common/AtomicFile.h"
#include "common/SetAside.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace {

std::optional<QVariant> fromJson(const QJsonValue& value) {
    if (value.isBool())
        return QVariant(value.toBool());
    if (value.isString())
        return QVariant(value.toString());
    if (value.isArray()) {
        QStringList list;
        for (const QJsonValue& entry : value.toArray()) {
            if (!entry.isString())
                return std::nullopt;
            list.append(entry.toString());
        }
        return QVariant(list);
    }
    if (value.isObject() && value.toObject().value(u"data"_s).isString())
        return QVariant(
            QByteArray::fromBase64(value.toObject().value(u"data"_s).toString().toLatin1()));
    return std::nullopt;
}

QJsonValue toJson(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::QStringList:
        return QJsonArray::fromStringList(value.toStringList());
    case QMetaType::QByteArray:
        return QJsonObject{{u"data"_s, QString::fromLatin1(value.toByteArray().toBase64())}};
    default:
        return value.toString();
    }
}

} // namespace

JsonUserDefaults::JsonUserDefaults(QString path) : filePath(std::move(path)) {
    load();
}

QString JsonUserDefaults::defaultPath() {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config))
        config = QDir::homePath() + u"/.config"_s;
    return config + u"/com.nivo.lumavex/defaults.json"_s;
}

void JsonUserDefaults::load() {
    QFile file(filePath);
    if (!file.exists())
        return;
    QJsonParseError error;
    const QJsonDocument document = file.open(QIODevice::ReadOnly)
                                       ? QJsonDocument::fromJson(file.readAll(), &error)
                                       : QJsonDocument();
    file.close();
    if (!document.isObject()) {
        SetAside::move(filePath, QDateTime::currentDateTimeUtc());
        return;
    }
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (std::optional<QVariant> value = fromJson(it.value()))
            values.insert(it.key(), *value);
    }
}

void JsonUserDefaults::save() const {
    QJsonObject object;
    for (auto it = values.constBegin(); it != values.constEnd(); ++it)
        object.insert(it.key(), toJson(it.value()));
    QDir().mkpath(QFileInfo(filePath).absolutePath());
    AtomicFile::write(filePath, QJsonDocument(object).toJson(QJsonDocument::Indented));
}

std::optional<QVariant> JsonUserDefaults::object(const QString& key) const {
    auto it = values.constFind(key);
    if (it == values.constEnd())
        return std::nullopt;
    return *it;
}

void JsonUserDefaults::set(const QString& key, const QVariant& value) {
    values.insert(key, value);
    save();
}

void JsonUserDefaults::remove(const QString& key) {
    if (values.remove(key))
        save();
}
