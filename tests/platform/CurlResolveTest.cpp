// TOVIK_RESOLVE: curl's --resolve entries, comma-separated.
#include "platform/linux/CurlHttpClient.h"
#include "platform/memory/MemoryEnvironment.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(CurlResolve, EntriesAreSplitAtCommasAndAddressListsStayWhole) {
    const struct {
        std::optional<QString> value;
        QStringList entries;
    } cases[] = {
        {std::nullopt, {}},
        {u""_s, {}},
        {u"www.linkedin.com:8080:127.0.0.1"_s, {u"www.linkedin.com:8080:127.0.0.1"_s}},
        {u"x.com:80:127.0.0.1, twitter.com:443:127.0.0.1 ,"_s,
         {u"x.com:80:127.0.0.1"_s, u"twitter.com:443:127.0.0.1"_s}},
        // curl's own address list for one host, and IPv6 addresses.
        {u"a.test:80:127.0.0.1,127.0.0.2,b.test:80:[::1],[::2]"_s,
         {u"a.test:80:127.0.0.1,127.0.0.2"_s, u"b.test:80:[::1],[::2]"_s}},
        {u"+a.test:80:127.0.0.1,-b.test:80"_s, {u"+a.test:80:127.0.0.1"_s, u"-b.test:80"_s}},
    };
    for (const auto& [value, entries] : cases) {
        MemoryEnvironment environment;
        if (value)
            environment.set(u"TOVIK_RESOLVE"_s, *value);
        EXPECT_EQ(CurlHttpClient::resolveFromEnvironment(environment), entries)
            << value.value_or(u"(unset)"_s).toStdString();
    }
}
