#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <QUrl>
#include <chrono>
#include <optional>

class HttpClient;

// What a social-profile page tells about its person; every field may be absent.
struct FetchedProfile {
    std::optional<QString> name;
    std::optional<QString> company; // only from LinkedIn titles
    std::optional<QUrl> avatarRemoteURL;

    bool operator==(const FetchedProfile&) const = default;
};

// Reads a person's name, company and profile picture from the page of their
// social-profile link: X (and its former Twitter domain), Instagram and
// LinkedIn by their host, any other page generically. Stateless; blocks the
// calling background thread for at most one bounded download.
class ProfileFetcher {
public:
    static constexpr qint64 maxBytes = 2'000'000;
    static constexpr std::chrono::seconds timeout{10};

    explicit ProfileFetcher(HttpClient& http);

    // Never fails: what cannot be found is absent, and a missing name falls
    // back to the last meaningful word of the link's path.
    FetchedProfile fetch(const QString& link) const;

    // The link as fetched: trimmed, "https://" put in front when it does not
    // begin with "http"; absent when it is no URL with a host.
    static std::optional<QUrl> profileURL(const QString& link);

    // The profile read from a fetched page of url (page absent when the
    // download failed).
    static FetchedProfile read(const QUrl& url, const std::optional<QByteArray>& page);

    // The content of the first <meta> tag whose property or name attribute is
    // property, in either attribute order, with character references decoded.
    // Runs in time linear in the page, however hostile.
    static std::optional<QString> extractMeta(QStringView html, QStringView property);
    // The text of the first <title> element, references decoded.
    static std::optional<QString> extractTitle(QStringView html);
    // The fourteen named references and every numeric one replaced.
    static QString decodeEntities(const QString& text);
    // A name made of the link's last path component that is not a fixed word
    // such as "in" or "company" ("ada-lovelace-1815" gives "Ada Lovelace").
    static std::optional<QString> nameFromSlug(const QUrl& url);

private:
    HttpClient& http;
};
