// The blur-site list: what counts as a host, what may be added, how sites
// are switched off and found again by the host of a page.
#include "chatblur/BlurSiteStore.h"

#include "platform/DefaultsKeys.h"
#include "platform/memory/MemoryUserDefaults.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(BlurSiteStoreTest, CleanHostTurnsWhatTheUserTypedIntoAHost) {
    const struct {
        QString typed;
        std::optional<QString> host;
    } cases[] = {
        {u"https://www.Chat.Example.com/c/123?x=1"_s, u"chat.example.com"_s},
        {u"  chat.example.com \n"_s, u"chat.example.com"_s},
        {u"http://dev.local:8080/app"_s, u"dev.local:8080"_s},
        {u"www.example.org"_s, u"example.org"_s},
        {u"ftp://a.b.c://d/e"_s, u"a.b.c:"_s},
        {u"localhost:3000"_s, std::nullopt},
        {u"chatbot"_s, std::nullopt},
        {u"a.b"_s, std::nullopt},
        {u"a.bc"_s, u"a.bc"_s},
        {u"www.a.b"_s, std::nullopt},
        {u"my site.com"_s, std::nullopt},
        {u"https:///path.com"_s, std::nullopt},
        {u""_s, std::nullopt},
        {u"/chat.example.com"_s, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BlurSiteStore::cleanHost(c.typed), c.host) << c.typed.toStdString();
}

TEST(BlurSiteStoreTest, AddStoresTheHostAndPatternOrRefuses) {
    const struct {
        QString address;
        QString pattern;
        bool added;
        QStringList paths;
    } cases[] = {
        {u"https://www.mychat.dev/x"_s, u"chat"_s, true, {u"/chat"_s}},
        {u"other.dev"_s, u"  /c/  "_s, true, {u"/c/"_s}},
        {u"third.dev"_s, u"   "_s, true, {}},
        {u"MyChat.dev"_s, u""_s, false, {}},  // already added, any case
        {u"chatgpt.com"_s, u""_s, false, {}}, // a built-in host
        {u"https://claude.ai/"_s, u""_s, false, {}},
        {u"nodot"_s, u"/c/"_s, false, {}},
    };
    MemoryUserDefaults defaults;
    BlurSiteStore store(defaults);
    store.setEnabled(false, u"claude.ai"_s); // switched off still counts as listed
    for (const auto& c : cases) {
        const qsizetype before = store.custom().size();
        EXPECT_EQ(store.add(c.address, c.pattern), c.added) << c.address.toStdString();
        if (c.added) {
            ASSERT_EQ(store.custom().size(), before + 1);
            const BlurSite& site = store.custom().last();
            EXPECT_EQ(site.paths, c.paths);
            EXPECT_EQ(site.name, site.host);
            EXPECT_FALSE(site.builtIn);
        } else {
            EXPECT_EQ(store.custom().size(), before);
        }
    }
}

TEST(BlurSiteStoreTest, SiteForHostMatchesTheHostItsSubdomainsAndPortsButNotLookalikes) {
    MemoryUserDefaults defaults;
    BlurSiteStore store(defaults);
    ASSERT_TRUE(store.add(u"dev.local:8080"_s, u"/c/"_s));
    ASSERT_TRUE(store.add(u"sub.chatgpt.com"_s, u""_s));
    const struct {
        QString host;
        std::optional<int> port;
        std::optional<QString> site;
    } cases[] = {
        {u"chatgpt.com"_s, 443, u"chatgpt.com"_s},
        {u"www.chatgpt.com"_s, std::nullopt, u"chatgpt.com"_s},
        // The built-in list is searched first.
        {u"sub.chatgpt.com"_s, std::nullopt, u"chatgpt.com"_s},
        {u"notchatgpt.com"_s, 443, std::nullopt},
        {u"chatgpt.com.evil.test"_s, 443, std::nullopt},
        // A page's host has no port; the port comes separately.
        {u"dev.local"_s, 8080, u"dev.local:8080"_s},
        {u"a.dev.local"_s, 8080, u"dev.local:8080"_s},
        {u"dev.local"_s, 8081, std::nullopt},
        {u"dev.local"_s, std::nullopt, std::nullopt},
        {u"dev.local:8080"_s, std::nullopt, u"dev.local:8080"_s},
    };
    for (const auto& c : cases) {
        const std::optional<BlurSite> site = store.site(c.host, c.port);
        EXPECT_EQ(site ? std::optional<QString>(site->host) : std::nullopt, c.site)
            << c.host.toStdString();
    }
}

TEST(BlurSiteStoreTest, SwitchingOffAndRemovingChangeWhatIsInForceAndPersist) {
    MemoryUserDefaults defaults;
    {
        BlurSiteStore store(defaults);
        EXPECT_EQ(store.all().size(), 15);
        store.setEnabled(false, u"chatgpt.com"_s);
        EXPECT_FALSE(store.site(u"chatgpt.com"_s));
        ASSERT_TRUE(store.add(u"mine.test"_s, u"/t/"_s));
        store.setEnabled(false, u"mine.test"_s);
        EXPECT_FALSE(store.site(u"mine.test"_s));
        EXPECT_EQ(store.all().size(), 16);
    }
    BlurSiteStore reopened(defaults);
    ASSERT_EQ(reopened.custom().size(), 1);
    EXPECT_EQ(reopened.custom()[0].paths, QStringList{u"/t/"_s});
    EXPECT_FALSE(reopened.isEnabled(u"chatgpt.com"_s));
    EXPECT_FALSE(reopened.isEnabled(u"mine.test"_s));
    // Removing forgets the switched-off mark: added again, it starts on.
    reopened.remove(u"mine.test"_s);
    EXPECT_TRUE(reopened.custom().isEmpty());
    ASSERT_TRUE(reopened.add(u"mine.test"_s, u""_s));
    EXPECT_TRUE(reopened.site(u"mine.test"_s));
    reopened.setEnabled(true, u"chatgpt.com"_s);
    EXPECT_TRUE(reopened.site(u"chatgpt.com"_s));

    // The stored form: compact JSON with the record's keys in order.
    const QByteArray stored = defaults.dataValue(DefaultsKeys::blurCustomSites).value();
    EXPECT_EQ(stored, R"([{"name":"mine.test","host":"mine.test","paths":[],"builtIn":false}])");
}

TEST(BlurSiteStoreTest, UnreadableStoredSitesAreKeptAsideNotOverwritten) {
    const struct {
        QString key;
        QVariant stored;
    } cases[] = {
        {DefaultsKeys::blurCustomSites, QByteArray("[{\"name\":\"x\"}]")},
        {DefaultsKeys::blurCustomSites, QByteArray("not json")},
        {DefaultsKeys::blurCustomSites, u"text instead of data"_s},
        {DefaultsKeys::blurDisabledSites, u"chatgpt.com"_s},
    };
    for (const auto& c : cases) {
        MemoryUserDefaults defaults;
        defaults.set(c.key, c.stored);
        BlurSiteStore store(defaults);
        EXPECT_TRUE(store.custom().isEmpty());
        EXPECT_TRUE(store.disabled().isEmpty());
        ASSERT_TRUE(store.add(u"new.test"_s, u""_s));
        EXPECT_EQ(defaults.object(BlurSiteStore::asideKey(c.key)), c.stored);
    }
}
