#pragma once

#include <QJsonObject>
#include <QString>
#include <QUuid>
#include <optional>

// One person of the user's network. Equal when every field is equal.
struct Person {
    QUuid id;
    QString name;
    QString company;                 // may be empty
    QString location;                // shown only; never used for grouping or placement
    QString note;                    // how the user knows them
    double addedAt = 0;              // seconds since 2001-01-01 00:00:00 UTC
    std::optional<QString> linkedin; // a social-profile link, of any accepted site
    // Names of images inside "Files". Absent: not fetched yet; empty: fetching
    // was tried and failed, so it is not tried again.
    std::optional<QString> avatarFileName;
    std::optional<QString> logoFileName;

    bool operator==(const Person&) const = default;

    // The first characters of the first two words of the name, upper-cased.
    QString initials() const;
    // The group the person belongs to on the map: the company as stored, or
    // "Independent" when it holds nothing but spaces and tabs.
    QString companyKey() const;
    // True while an avatar or a logo is still to be fetched.
    bool needsEnrichment() const;

    QJsonObject toJson() const;
    // Absent when a required key is missing or of the wrong type.
    static std::optional<Person> fromJson(const QJsonObject& object);
};

// Spaces and tabs trimmed from both ends (not line breaks).
QString trimSpacesAndTabs(const QString& text);
