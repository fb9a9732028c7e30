#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <chrono>
#include <optional>

class Environment;
class HttpClient;

// The base addresses (scheme, host and port) of the two outside services the
// people map asks for company logos: one that suggests a company's web
// domain for its name, and one that answers a domain's icon.
struct NetworkServices {
    static constexpr const char* defaultCompanyService = "https://autocomplete.clearbit.com";
    static constexpr const char* defaultFaviconService = "https://www.google.com";

    QString companyService = QString::fromLatin1(defaultCompanyService);
    QString faviconService = QString::fromLatin1(defaultFaviconService);

    // The defaults, or TOVIK_COMPANY_SERVICE and TOVIK_FAVICON_SERVICE where set.
    static NetworkServices fromEnvironment(const Environment& environment);
};

// The avatar of a person's profile link and the logo of a company, each
// downloaded, scaled down and stored as a new PNG in the files folder.
// Blocks the calling background thread; every failure gives none.
class PersonImages {
public:
    static constexpr qint64 suggestionMaxBytes = 100'000;
    static constexpr std::chrono::seconds suggestionTimeout{8};
    static constexpr qint64 imageMaxBytes = 5'000'000;
    static constexpr std::chrono::seconds imageTimeout{10};
    static constexpr int avatarSize = 256;
    static constexpr int logoSize = 128;

    PersonImages(HttpClient& http, QString filesDir, NetworkServices services);

    // The stored name of the profile picture the link's page names.
    std::optional<QString> fetchAvatar(const QString& link) const;
    // The stored name of the icon of the domain the suggestion service
    // gives first for the company.
    std::optional<QString> fetchCompanyLogo(const QString& company) const;

    // The suggestion request for a company name; absent when it is no URL.
    std::optional<QUrl> suggestionURL(const QString& company) const;
    // The "domain" of the first suggestion in a service's answer.
    static std::optional<QString> firstDomain(const QByteArray& answer);
    // The icon request for a domain; absent when it is no URL.
    std::optional<QUrl> iconURL(const QString& domain) const;

private:
    std::optional<QString> download(const QUrl& url, int maxDimension, const QString& prefix) const;

    HttpClient& http;
    QString filesDir;
    NetworkServices services;
};
