#include "connection_fixture.h"
#include "server_list.h"

#include "kestrova/kit/settings.h"

#include <gtest/gtest.h>

using namespace kestrova::connection;

TEST(ServerListParsing, TakesHostAndPortOfEachEntry) {
    auto entries = parseServerList("a.example:1,b.example:443,c:12345");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0], (ServerEntry{"a.example", 1}));
    EXPECT_EQ(entries[1], (ServerEntry{"b.example", 443}));
    EXPECT_EQ(entries[2], (ServerEntry{"c", 12345}));
}

TEST(ServerListParsing, SkipsEntriesWithoutHostOrColon) {
    auto entries = parseServerList("nohost,:80,,ok:7x");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0], (ServerEntry{"ok", 7}));
}

TEST(ServerListParsing, FormatsBackToTheSettingForm) {
    EXPECT_EQ(formatServerList({{"h", 1}, {"i", 2}}), "h:1,i:2");
}

class ServerListSetting : public ConnectionTest {};

TEST_F(ServerListSetting, AnEmptySettingGetsTheThreeDefaultsAndSavesThem) {
    ServerList list;
    list.load();
    ASSERT_EQ(list.entries().size(), 3u);
    EXPECT_EQ(list.entries()[0].port, 38535);
    EXPECT_EQ(list.entries()[1].port, 443);
    EXPECT_EQ(list.entries()[2].port, 12345);
    EXPECT_EQ(kestrova::kit::readSetting(kestrova::settings::kServerList),
              "127.0.0.1:38535,127.0.0.1:443,127.0.0.1:12345");
}

TEST_F(ServerListSetting, TheCursorWrapsAfterTheLastEntry) {
    kestrova::kit::writeSetting(kestrova::settings::kServerList, "a:1,b:2");
    ServerList list;
    list.load();
    EXPECT_EQ(list.current().host, "a");
    list.advance();
    EXPECT_EQ(list.current().host, "b");
    list.advance();
    EXPECT_EQ(list.current().host, "a");
}
