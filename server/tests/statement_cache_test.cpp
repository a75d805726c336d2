#include "account_store.h"
#include "server_fixture.h"
#include "sqlite_statement.h"

#include <gtest/gtest.h>

using namespace kestrova::server;
using kestrova::server::testing::TempDatabase;

namespace {

constexpr const char kById[] = "SELECT name FROM accounts WHERE id = ?";

std::string nameOf(StatementCache& cache, uint64_t id) {
    Statement select(cache, kById);
    select.id(1, id);
    return select.row() ? select.columnBytes(0) : std::string("(none)");
}

} // namespace

// A statement used again starts afresh, a nested use of the same SQL gets a
// statement of its own, none keeps a read open once given back, and the
// database closes with the cache cleared.
TEST(StatementCache, ReusedStatementsAreResetIndependentAndReleaseTheirReads) {
    TempDatabase database;
    std::string error;
    auto accounts = AccountStore::open(database.path(), error);
    ASSERT_TRUE(accounts) << error;
    uint64_t ann = 0, bob = 0;
    ASSERT_EQ(accounts->create("ann@example.org", "pw", "Ann", &ann), CreateResult::Created);
    ASSERT_EQ(accounts->create("bob@example.org", "pw", "Bob", &bob), CreateResult::Created);

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(database.path().c_str(), &db), SQLITE_OK);
    {
        StatementCache cache(db);
        EXPECT_EQ(nameOf(cache, ann), "ann@example.org");
        EXPECT_EQ(nameOf(cache, bob), "bob@example.org");
        EXPECT_EQ(nameOf(cache, 999), "(none)");
        {
            Statement outer(cache, kById);
            outer.id(1, ann);
            ASSERT_TRUE(outer.row());
            EXPECT_EQ(nameOf(cache, bob), "bob@example.org");
            EXPECT_EQ(outer.columnBytes(0), "ann@example.org");
        }
        // Nothing given back holds a snapshot: the other connection's write
        // is seen, and the log can be checkpointed to its end.
        ASSERT_TRUE(accounts->setIdentity(ann, "Annie", ""));
        EXPECT_EQ(accounts->findById(ann)->nickname, "Annie");
        Statement nickname(cache, "SELECT nickname FROM accounts WHERE id = ?");
        nickname.id(1, ann);
        ASSERT_TRUE(nickname.row());
        EXPECT_EQ(nickname.columnBytes(0), "Annie");
        nickname.reset();
        int logFrames = -1, checkpointed = -1;
        EXPECT_EQ(sqlite3_wal_checkpoint_v2(accounts->database(), nullptr, SQLITE_CHECKPOINT_TRUNCATE,
                                            &logFrames, &checkpointed),
                  SQLITE_OK);
    }
    EXPECT_EQ(sqlite3_close(db), SQLITE_OK);
}
