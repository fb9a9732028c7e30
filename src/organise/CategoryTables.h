#pragma once

#include <QLatin1StringView>
#include <QStringList>
#include <span>

// The categorizer's constant tables. Their order matters: earlier rows win.
namespace CategoryTables {

struct SiteRule {
    QLatin1StringView hostPattern; // matched as a substring of the lower-cased host
    QLatin1StringView category;
};

struct KeywordRule {
    QLatin1StringView category;
    std::span<const QLatin1StringView> keywords; // lower case, matched as substrings
};

struct TopicSeed {
    QLatin1StringView category;
    QLatin1StringView description;
};

std::span<const SiteRule> domainRules();
std::span<const KeywordRule> keywordRules();
std::span<const TopicSeed> meaningSeeds();
std::span<const QLatin1StringView> credentialPrefixes();

// Every category the categorizer can answer, in its fixed order.
const QStringList& allCategories();

} // namespace CategoryTables
