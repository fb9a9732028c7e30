#include "organise/CategoryTables.h"

#include <array>

using namespace Qt::StringLiterals;

namespace CategoryTables {

namespace {

// Hosts are looked up with a leading dot (".x.com", ".www.youtube.com"), so a
// pattern that starts with a dot only matches at a label boundary: ".x.com"
// finds x.com and its sub-domains but not dropbox.com or fedex.com. Patterns
// ending in a dot ("amazon.", "bbc.") match every country domain of a site;
// "scholar.google" and "calendar.google" are host prefixes.
constexpr std::array<SiteRule, 42> siteRules{{
    // Video
    {"youtube.com"_L1, "Video"_L1},
    {"youtu.be"_L1, "Video"_L1},
    {"vimeo.com"_L1, "Video"_L1},
    {"twitch.tv"_L1, "Video"_L1},
    {"netflix.com"_L1, "Video"_L1},
    // Music
    {"spotify.com"_L1, "Music"_L1},
    {"music.apple.com"_L1, "Music"_L1},
    {"soundcloud.com"_L1, "Music"_L1},
    // Code
    {"github.com"_L1, "Code"_L1},
    {"gitlab.com"_L1, "Code"_L1},
    {"stackoverflow.com"_L1, "Code"_L1},
    {"npmjs.com"_L1, "Code"_L1},
    {"developer.apple.com"_L1, "Code"_L1},
    // Social
    {"twitter.com"_L1, "Social"_L1},
    {".x.com"_L1, "Social"_L1},
    {"linkedin.com"_L1, "Social"_L1},
    {"instagram.com"_L1, "Social"_L1},
    {"reddit.com"_L1, "Social"_L1},
    {"facebook.com"_L1, "Social"_L1},
    {"threads.net"_L1, "Social"_L1},
    // Shopping
    {"amazon."_L1, "Shopping"_L1},
    {"ebay."_L1, "Shopping"_L1},
    {"flipkart.com"_L1, "Shopping"_L1},
    {"etsy.com"_L1, "Shopping"_L1},
    {"namecheap.com"_L1, "Shopping"_L1},
    // Design
    {"figma.com"_L1, "Design"_L1},
    {"dribbble.com"_L1, "Design"_L1},
    {"behance.net"_L1, "Design"_L1},
    // News
    {"nytimes.com"_L1, "News"_L1},
    {"bbc."_L1, "News"_L1},
    {"techcrunch.com"_L1, "News"_L1},
    {"theverge.com"_L1, "News"_L1},
    {"bloomberg.com"_L1, "News"_L1},
    // Research
    {"arxiv.org"_L1, "Research"_L1},
    {"scholar.google"_L1, "Research"_L1},
    // Learning
    {"wikipedia.org"_L1, "Learning"_L1},
    {"coursera.org"_L1, "Learning"_L1},
    {"udemy.com"_L1, "Learning"_L1},
    // Productivity
    {"notion.so"_L1, "Productivity"_L1},
    {"docs.google.com"_L1, "Productivity"_L1},
    {"calendar.google"_L1, "Productivity"_L1},
    {"airtable.com"_L1, "Productivity"_L1},
}};

constexpr std::array aiKeywords{
    "llm"_L1,     "gpt"_L1,    " ai "_L1,          "machine learning"_L1,
    "neural"_L1,  "openai"_L1, "anthropic"_L1,     "claude"_L1,
    "chatbot"_L1, "prompt"_L1, "model weights"_L1, "inference"_L1};
constexpr std::array codeKeywords{"swift"_L1,    "javascript"_L1, "typescript"_L1, "python"_L1,
                                  "api "_L1,     "sdk"_L1,        "compiler"_L1,   "function("_L1,
                                  "const "_L1,   "npm "_L1,       "git "_L1,       "debugging"_L1,
                                  "frontend"_L1, "backend"_L1};
constexpr std::array startupKeywords{
    "entrepreneur"_L1, "silicon valley"_L1, "founder"_L1,      "startup"_L1,        "venture"_L1,
    "fundrais"_L1,     "seed round"_L1,     "y combinator"_L1, "product-market"_L1, "pitch deck"_L1,
    "mvp"_L1,          "accelerator"_L1,    "equity"_L1};
constexpr std::array financeKeywords{
    "stock"_L1,   "invest"_L1,    "portfolio"_L1,     "crypto"_L1,     "bitcoin"_L1,
    "revenue"_L1, "valuation"_L1, "interest rate"_L1, "market cap"_L1, "dividend"_L1};
constexpr std::array designKeywords{
    "design system"_L1, "typography"_L1,    "ui "_L1,      "ux "_L1,    "figma"_L1,
    "wireframe"_L1,     "color palette"_L1, "branding"_L1, "layout"_L1, "mockup"_L1};
constexpr std::array musicKeywords{"song"_L1,  "album"_L1, "playlist"_L1, "lyrics"_L1,
                                   "remix"_L1, "phonk"_L1, "spotify"_L1};
constexpr std::array videoKeywords{"watch"_L1, "episode"_L1, "trailer"_L1, "documentary"_L1,
                                   "youtube"_L1};
constexpr std::array healthKeywords{"workout"_L1, "protein"_L1,  "sleep"_L1,   "meditation"_L1,
                                    "fitness"_L1, "calories"_L1, "running"_L1, "yoga"_L1};
constexpr std::array travelKeywords{"flight"_L1, "hotel"_L1, "itinerary"_L1, "visa"_L1,
                                    "airbnb"_L1, "trip "_L1, "travel"_L1};
constexpr std::array foodKeywords{"recipe"_L1,  "restaurant"_L1, "ingredients"_L1,
                                  "cooking"_L1, "biryani"_L1,    "cafe"_L1};
constexpr std::array learningKeywords{"tutorial"_L1, "course"_L1, "how to"_L1,       "guide"_L1,
                                      "explain"_L1,  "lesson"_L1, "documentation"_L1};
constexpr std::array ideasKeywords{"idea:"_L1, "what if"_L1, "brainstorm"_L1, "concept"_L1,
                                   "thought:"_L1};

constexpr std::array<KeywordRule, 12> keywordRuleTable{{
    {"AI"_L1, aiKeywords},
    {"Code"_L1, codeKeywords},
    {"Startup"_L1, startupKeywords},
    {"Finance"_L1, financeKeywords},
    {"Design"_L1, designKeywords},
    {"Music"_L1, musicKeywords},
    {"Video"_L1, videoKeywords},
    {"Health"_L1, healthKeywords},
    {"Travel"_L1, travelKeywords},
    {"Food"_L1, foodKeywords},
    {"Learning"_L1, learningKeywords},
    {"Ideas"_L1, ideasKeywords},
}};

constexpr std::array<TopicSeed, 12> topicSeeds{{
    {"AI"_L1,
     "artificial intelligence, machine learning models, large language models and chatbots"_L1},
    {"Code"_L1, "software programming, source code, developer tools and APIs"_L1},
    {"Startup"_L1, "startups, founders, venture capital, fundraising and entrepreneurship"_L1},
    {"Finance"_L1, "money, investing, stocks, banking, revenue and payments"_L1},
    {"Design"_L1, "visual design, user interface, typography and branding"_L1},
    {"Health"_L1, "medicine, doctors, hospitals, patients, fitness, sleep and wellbeing"_L1},
    {"Travel"_L1, "travel, flights, hotels, trips and places to visit"_L1},
    {"Food"_L1, "food, recipes, cooking and restaurants"_L1},
    {"Learning"_L1,
     "learning, studying, education, courses, psychology of learning and research findings"_L1},
    {"Ideas"_L1, "ideas, brainstorming, reflections and personal thoughts"_L1},
    {"Work"_L1, "meetings, emails, tasks, projects and business operations"_L1},
    {"Mindset"_L1, "motivation, habits, personal growth, focus and resilience"_L1},
}};

constexpr std::array credentialPrefixTable{"sk-"_L1,   "pk_"_L1,   "rk_"_L1,         "re_"_L1,
                                           "ghp_"_L1,  "gho_"_L1,  "github_pat_"_L1, "glpat-"_L1,
                                           "xoxb-"_L1, "xoxp-"_L1, "AKIA"_L1,        "AIza"_L1,
                                           "eyJ"_L1,   "sbp_"_L1,  "whsec_"_L1};

} // namespace

std::span<const SiteRule> domainRules() {
    return siteRules;
}
std::span<const KeywordRule> keywordRules() {
    return keywordRuleTable;
}
std::span<const TopicSeed> meaningSeeds() {
    return topicSeeds;
}
std::span<const QLatin1StringView> credentialPrefixes() {
    return credentialPrefixTable;
}

const QStringList& allCategories() {
    static const QStringList names = [] {
        QStringList all;
        auto add = [&all](QLatin1StringView name) {
            if (!all.contains(name))
                all.append(QString(name));
        };
        for (const KeywordRule& rule : keywordRuleTable)
            add(rule.category);
        for (const SiteRule& rule : siteRules)
            add(rule.category);
        for (const TopicSeed& seed : topicSeeds)
            add(seed.category);
        for (QLatin1StringView name :
             {"Article"_L1, "Keys"_L1, "Files"_L1, "Places"_L1, "Contacts"_L1})
            add(name);
        return all;
    }();
    return names;
}

} // namespace CategoryTables
