// Operations of several statements are one unit of work: a failure midway
// (here injected with a trigger that refuses a statement) leaves nothing half
// done, in the store and through the commands that use it.
#include "messaging_store.h"
#include "relay_support.h"
#include "sqlite_transaction.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace kestrova;
using namespace kestrova::server;
using namespace kestrova::server::testing;

namespace {

constexpr uint32_t kStorageFailed = 17;

bool exec(sqlite3* db, const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

constexpr const char* kRefuseGroupDeletion =
    "CREATE TRIGGER refuse BEFORE DELETE ON chat_groups BEGIN SELECT RAISE(ABORT, 'injected'); END";

}  // namespace

TEST(Storage, AGroupWhoseDeletionFailsMidwayIsLeftWhole) {
    std::string error;
    auto accounts = AccountStore::open(":memory:", error);
    ASSERT_TRUE(accounts && MessagingStore::prepare(accounts->database(), error));
    MessagingStore store(accounts->database());
    uint64_t group = *store.createGroup("Crew", "", "");
    ASSERT_TRUE(store.setMember(group, 1, membership::kAdmin) && store.setMember(group, 2, membership::kMember));
    ASSERT_TRUE(store.ban(group, 3));
    HistoryEntry entry;
    entry.messageId = 7;
    entry.kind = Conversation::Group;
    entry.source = 1;
    entry.target = group;
    entry.body = "kept";
    ASSERT_TRUE(store.addHistory(entry, 100));

    ASSERT_TRUE(exec(accounts->database(), kRefuseGroupDeletion));
    EXPECT_FALSE(store.deleteGroup(group));
    EXPECT_TRUE(store.groupById(group));
    EXPECT_EQ(store.memberCount(group), 2u) << "the members deleted before the failure are back";
    EXPECT_TRUE(store.isBanned(group, 3));
    EXPECT_EQ(store.history(Conversation::Group, 1, group, INT64_MAX, false, 10).size(), 1u);

    {
        // Inside a larger unit the deletion is a part: undone with it.
        ASSERT_TRUE(exec(accounts->database(), "DROP TRIGGER refuse"));
        Transaction unit(accounts->database());
        EXPECT_TRUE(store.deleteGroup(group));
        EXPECT_FALSE(store.groupById(group));
    }
    EXPECT_TRUE(store.groupById(group)) << "the unit was not committed";
    EXPECT_TRUE(store.deleteGroup(group));
    EXPECT_FALSE(store.groupById(group));
    EXPECT_EQ(store.memberCount(group), 0u);
    EXPECT_FALSE(store.isBanned(group, 3));
}

TEST(Storage, ALeavingThatCannotBeStoredIsRefusedAndChangesNothing) {
    RunningServer server;
    auto ann = Peer::signIn(server.port(), kAnn);
    ASSERT_TRUE(ann);
    ASSERT_EQ(ann->request(packet("GROUP CREATE", {{"Name", "Solo"}})), 0u);
    auto pushed = ann->expect("SUB PROFILE");
    ASSERT_TRUE(pushed);
    uint64_t group = wire::readDecimalId(dataMap(dataMap(pushed->body())["group_sub"]).begin()->first);

    server.onServerThread([](Server& s) { exec(s.accounts().database(), kRefuseGroupDeletion); });
    // The last member leaving deletes the group, which fails: she stays.
    EXPECT_EQ(ann->request(packet("GROUP UNSUB", {{"Group-Id", std::to_string(group)}})), kStorageFailed);
    EXPECT_EQ(ann->request(packet("GROUP CREATE", {{"Name", "Solo"}})), 11u) << "the group is still there";
    EXPECT_TRUE(
        server.onServerThread([&](Server& s) { return s.messaging().store().capabilities(group, server.idOf(kAnn)); }));

    server.onServerThread([](Server& s) { exec(s.accounts().database(), "DROP TRIGGER refuse"); });
    EXPECT_EQ(ann->request(packet("GROUP UNSUB", {{"Group-Id", std::to_string(group)}})), 0u);
    EXPECT_EQ(ann->request(packet("GROUP CREATE", {{"Name", "Solo"}})), 0u) << "gone, and its name free";
}

TEST(Storage, AMessageThatCannotBeStoredIsRefusedAndReachesNobody) {
    RunningServer server;
    uint64_t bobId = server.idOf(kBob);
    auto ann = Peer::signIn(server.port(), kAnn);
    auto bob = Peer::signIn(server.port(), kBob);
    ASSERT_TRUE(ann && bob);
    server.onServerThread([](Server& s) {
        exec(s.accounts().database(),
             "CREATE TRIGGER refuse BEFORE INSERT ON stored_chunks WHEN NEW.last = 1 "
             "BEGIN SELECT RAISE(ABORT, 'injected'); END");
    });
    // The first chunk is kept, the last is not: the sender hears of the
    // failure, and the part already kept goes with the message.
    EXPECT_EQ(sendMessage(*ann, bobId, text(700)).codes, (std::vector<uint32_t>{4, kStorageFailed}));
    EXPECT_EQ(server.onServerThread([&](Server& s) { return s.messaging().store().storedBytes(bobId); }), 0u);
    ASSERT_TRUE(bob->sync());
    std::vector<wire::Packet> parts = bob->takeAll("MESG");
    ASSERT_EQ(parts.size(), 1u) << "the first chunk went live";
    EXPECT_FALSE(parts[0].hasHeader("Last")) << "the message never completes at the client";

    server.onServerThread([](Server& s) { exec(s.accounts().database(), "DROP TRIGGER refuse"); });
    EXPECT_EQ(sendMessage(*ann, bobId, "kept").codes, std::vector<uint32_t>{4});
    auto got = receiveMessage(*bob);
    ASSERT_TRUE(got);
    EXPECT_EQ(got->body, "kept");
}

TEST(Storage, AGroupMessageTheStoreRefusedCountsAgainstNoMembersRoom) {
    ServerConfig config = loopbackConfig();
    config.messaging.maxStoredMessages = 1;
    RunningServer server(config);
    uint64_t bobId = server.idOf(kBob), catId = server.idOf(kCat);
    auto ann = Peer::signIn(server.port(), kAnn);
    ASSERT_TRUE(ann);
    auto bob = Peer::signIn(server.port(), kBob);
    auto cat = Peer::signIn(server.port(), kCat);
    ASSERT_TRUE(bob && cat);
    uint64_t groupId = createGroup(*ann, {&*bob, &*cat});
    ASSERT_NE(groupId, 0u);
    bob->bye();
    cat->bye();
    // Both members' chunks are stored, then the history refuses the message.
    server.onServerThread([](Server& s) {
        exec(s.accounts().database(),
             "CREATE TRIGGER refuse BEFORE INSERT ON history BEGIN SELECT RAISE(ABORT, 'injected'); END");
    });
    EXPECT_EQ(sendMessage(*ann, groupId, "refused", true).codes, std::vector<uint32_t>{kStorageFailed});

    server.onServerThread([](Server& s) { exec(s.accounts().database(), "DROP TRIGGER refuse"); });
    EXPECT_EQ(sendMessage(*ann, groupId, "kept", true).codes, std::vector<uint32_t>{4});
    auto stored = [&](uint64_t id) {
        return server.onServerThread([&](Server& s) { return s.messaging().store().storedMessages(id); });
    };
    EXPECT_EQ(stored(bobId), 1u) << "the room the failed message took was given back";
    EXPECT_EQ(stored(catId), 1u);
}

TEST(Storage, AHistoryMadeBeforeOriginKeysGetsTheColumnAndKeepsItsEntries) {
    std::string error;
    auto accounts = AccountStore::open(":memory:", error);
    ASSERT_TRUE(accounts);
    sqlite3* db = accounts->database();
    ASSERT_TRUE(exec(db, "CREATE TABLE history (id INTEGER PRIMARY KEY, kind INTEGER NOT NULL, a INTEGER NOT NULL, "
                         "b INTEGER NOT NULL, source INTEGER NOT NULL, target INTEGER NOT NULL, "
                         "content_type TEXT NOT NULL, time_us INTEGER NOT NULL, body BLOB NOT NULL)"));
    ASSERT_TRUE(exec(db, "INSERT INTO history VALUES (5, 0, 1, 2, 1, 2, 'text/plain', 10, 'old')"));
    ASSERT_TRUE(MessagingStore::prepare(db, error)) << error;
    ASSERT_TRUE(MessagingStore::prepare(db, error)) << "and again, on the next start";
    MessagingStore store(db);
    HistoryEntry entry;
    entry.messageId = 6;
    entry.source = 2;
    entry.target = 1;
    entry.timeMicros = 20;
    entry.body = "new";
    entry.originKey = 18446744073709551615u;
    ASSERT_TRUE(store.addHistory(entry, 100));
    EXPECT_TRUE(store.hasInHistory(2, 18446744073709551615u));
    EXPECT_FALSE(store.hasInHistory(1, 18446744073709551615u)) << "another sender's";
    std::vector<HistoryEntry> kept = store.history(Conversation::Private, 1, 2, INT64_MAX, false, 10);
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[1].body, "old");
}
