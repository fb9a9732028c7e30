#include "network/PersonImages.h"

#include "network/ProfileFetcher.h"
#include "platform/Environment.h"
#include "platform/HttpClient.h"
#include "store/ImageData.h"
#include "store/StoredFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace {

QString baseAddress(QString address) {
    while (address.endsWith(u'/'))
        address.chop(1);
    return address;
}

// Text for a query value. The characters a URL query allows stay as they
// are, except those that would end the value or start another parameter
// ("&", "=", "+", "#"): "AT&T" must reach the service as one name.
QByteArray queryValue(const QString& text) {
    return QUrl::toPercentEncoding(text, "!$'()*,-./:;?@_~");
}

std::optional<QUrl> strictURL(const QString& text) {
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        return std::nullopt;
    return url;
}

} // namespace

NetworkServices NetworkServices::fromEnvironment(const Environment& environment) {
    NetworkServices services;
    if (const std::optional<QString> company = environment.value(u"TOVIK_COMPANY_SERVICE"_s);
        company && !company->isEmpty())
        services.companyService = *company;
    if (const std::optional<QString> favicon = environment.value(u"TOVIK_FAVICON_SERVICE"_s);
        favicon && !favicon->isEmpty())
        services.faviconService = *favicon;
    return services;
}

PersonImages::PersonImages(HttpClient& http, QString filesDir, NetworkServices services)
    : http(http), filesDir(std::move(filesDir)), services(std::move(services)) {}

std::optional<QString> PersonImages::fetchAvatar(const QString& link) const {
    const FetchedProfile profile = ProfileFetcher(http).fetch(link);
    if (!profile.avatarRemoteURL)
        return std::nullopt;
    return download(*profile.avatarRemoteURL, avatarSize, u"avatar"_s);
}

std::optional<QUrl> PersonImages::suggestionURL(const QString& company) const {
    if (!company.isValidUtf16())
        return std::nullopt;
    return strictURL(baseAddress(services.companyService) + u"/v1/companies/suggest?query="_s +
                     QString::fromLatin1(queryValue(company)));
}

std::optional<QString> PersonImages::firstDomain(const QByteArray& answer) {
    const QJsonDocument document = QJsonDocument::fromJson(answer);
    if (!document.isArray() || document.array().isEmpty())
        return std::nullopt;
    const QJsonValue first = document.array().first();
    if (!first.isObject())
        return std::nullopt;
    const QJsonValue domain = first.toObject().value(u"domain"_s);
    if (!domain.isString() || domain.toString().isEmpty())
        return std::nullopt;
    return domain.toString();
}

std::optional<QUrl> PersonImages::iconURL(const QString& domain) const {
    return strictURL(baseAddress(services.faviconService) + u"/s2/favicons?domain="_s +
                     QString::fromLatin1(queryValue(domain)) + u"&sz=128"_s);
}

std::optional<QString> PersonImages::fetchCompanyLogo(const QString& company) const {
    const std::optional<QUrl> request = suggestionURL(company);
    if (!request)
        return std::nullopt;
    const std::optional<QByteArray> answer =
        http.fetchData(*request, suggestionMaxBytes, suggestionTimeout);
    if (!answer)
        return std::nullopt;
    const std::optional<QString> domain = firstDomain(*answer);
    if (!domain)
        return std::nullopt;
    const std::optional<QUrl> icon = iconURL(*domain);
    if (!icon)
        return std::nullopt;
    return download(*icon, logoSize, u"logo"_s);
}

std::optional<QString> PersonImages::download(const QUrl& url, int maxDimension,
                                              const QString& prefix) const {
    const std::optional<QByteArray> bytes = http.fetchData(url, imageMaxBytes, imageTimeout);
    if (!bytes)
        return std::nullopt;
    // Decoding refuses images that declare absurd sizes (bombs) before
    // spending memory on them.
    const std::optional<QImage> image = ImageData::decode(*bytes, maxDimension);
    if (!image || image->width() <= 1)
        return std::nullopt;
    return StoredFile::writePng(filesDir, u"-"_s + prefix + u".png"_s,
                                ImageData::downscale(*image, maxDimension));
}
