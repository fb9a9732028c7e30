#include "chatblur/BlurSite.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

const QList<BlurSite>& BlurSite::builtIns() {
    // The host is where each service serves its chat interface in a browser;
    // subdomains (www., regional hosts) match through the lookup.
    static const QList<BlurSite> sites{
        {u"ChatGPT"_s, u"chatgpt.com"_s, {u"/c/"_s}, true},
        {u"Claude"_s, u"claude.ai"_s, {u"/chat/"_s}, true},
        {u"Gemini"_s, u"gemini.google.com"_s, {u"/app/"_s}, true},
        {u"Perplexity"_s, u"perplexity.ai"_s, {u"/search/"_s}, true},
        {u"Grok"_s, u"grok.com"_s, {u"/c/"_s, u"/chat/"_s}, true},
        {u"DeepSeek"_s, u"chat.deepseek.com"_s, {u"/chat/"_s}, true},
        {u"Copilot"_s, u"copilot.microsoft.com"_s, {u"/chats/"_s}, true},
        {u"Le Chat"_s, u"chat.mistral.ai"_s, {u"/chat/"_s}, true},
        {u"Meta AI"_s, u"meta.ai"_s, {u"/c/"_s}, true},
        {u"Poe"_s, u"poe.com"_s, {u"/chat/"_s}, true},
        {u"HuggingChat"_s, u"huggingface.co"_s, {u"/chat/conversation/"_s}, true},
        {u"Qwen"_s, u"chat.qwen.ai"_s, {u"/c/"_s}, true},
        {u"Kimi"_s, u"kimi.com"_s, {u"/chat/"_s}, true},
        {u"T3 Chat"_s, u"t3.chat"_s, {u"/chat/"_s}, true},
        {u"Manus"_s, u"manus.im"_s, {u"/app/"_s}, true},
    };
    return sites;
}

namespace {
// QJsonObject sorts its keys; the stored and printed form keeps the record's
// order, so members are written one by one.
QByteArray jsonString(const QString& text) {
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}
} // namespace

QByteArray BlurSite::toJson(const QList<std::pair<QString, bool>>& extraBooleans) const {
    QByteArray json =
        "{\"name\":" + jsonString(name) + ",\"host\":" + jsonString(host) + ",\"paths\":[";
    for (qsizetype i = 0; i < paths.size(); ++i)
        json += (i ? "," : "") + jsonString(paths[i]);
    json += "],\"builtIn\":";
    json += builtIn ? "true" : "false";
    for (const auto& [key, value] : extraBooleans)
        json += "," + jsonString(key) + ":" + (value ? "true" : "false");
    return json + "}";
}

QByteArray BlurSite::listToJson(const QList<BlurSite>& sites) {
    QByteArray json = "[";
    for (qsizetype i = 0; i < sites.size(); ++i)
        json += (i ? "," : "") + sites[i].toJson();
    return json + "]";
}

std::optional<QList<BlurSite>> BlurSite::listFromJson(const QByteArray& json) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    QList<BlurSite> sites;
    for (const QJsonValue& value : document.array()) {
        const QJsonObject object = value.toObject();
        if (!value.isObject() || !object.value(u"name").isString() ||
            !object.value(u"host").isString() || !object.value(u"paths").isArray() ||
            !object.value(u"builtIn").isBool())
            return std::nullopt;
        BlurSite site;
        site.name = object.value(u"name").toString();
        site.host = object.value(u"host").toString();
        site.builtIn = object.value(u"builtIn").toBool();
        for (const QJsonValue& path : object.value(u"paths").toArray()) {
            if (!path.isString())
                return std::nullopt;
            site.paths.append(path.toString());
        }
        sites.append(site);
    }
    return sites;
}
