#include "account_list.h"
#include "account_store.h"
#include "server_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

using namespace kestrova;
using namespace kestrova::server;
using kestrova::server::testing::TempDatabase;

namespace {

std::unique_ptr<AccountStore> memoryStore() {
    std::string error;
    return AccountStore::open(":memory:", error);
}


}  // namespace

TEST(Accounts, CreatedAccountIsFoundByNameIgnoringCase) {
    auto store = memoryStore();
    uint64_t id = 0;
    ASSERT_EQ(store->create("Ann@Example.org", "pw", "Ann", &id), CreateResult::Created);
    auto found = store->findByName("ann@example.ORG");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->id, id);
    EXPECT_EQ(found->nickname, "Ann");
    EXPECT_EQ(found->passwordDigest, crypto::md5("pw", 2));
    EXPECT_EQ(found->lastOnline, "");
    EXPECT_EQ(store->findById(id)->name, "Ann@Example.org");
    EXPECT_FALSE(store->findByName("bob@example.org"));
}

TEST(Accounts, NamesAreUniqueAndMustBeUsable) {
    auto store = memoryStore();
    EXPECT_EQ(store->create("ann@example.org", "pw", ""), CreateResult::Created);
    EXPECT_EQ(store->create("ANN@example.org", "other", ""), CreateResult::NameTaken);
    EXPECT_EQ(store->create("", "pw", ""), CreateResult::InvalidName);
    EXPECT_EQ(store->create("two words", "pw", ""), CreateResult::InvalidName);
    EXPECT_EQ(store->create(std::string(128, 'a'), "pw", ""), CreateResult::InvalidName);
}

TEST(Accounts, LastOnlineIsKept) {
    auto store = memoryStore();
    uint64_t id = 0;
    store->create("ann@example.org", "pw", "", &id);
    EXPECT_TRUE(store->setLastOnline(id, "1700000000.000001"));
    EXPECT_EQ(store->findById(id)->lastOnline, "1700000000.000001");
}

TEST(Accounts, SurviveReopeningAndNeverHoldThePasswordInClear) {
    TempDatabase database;
    std::string path = database.path();
    std::string error;
    {
        auto store = AccountStore::open(path, error);
        ASSERT_TRUE(store) << error;
        ASSERT_EQ(store->create("ann@example.org", "UnmistakablePassword", "Ann"), CreateResult::Created);
    }
    auto reopened = AccountStore::open(path, error);
    ASSERT_TRUE(reopened);
    EXPECT_TRUE(reopened->findByName("ann@example.org"));
    std::ifstream file(path, std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content.find("UnmistakablePassword"), std::string::npos);
}

TEST(Accounts, UnopenableDatabaseIsReported) {
    std::string error;
    EXPECT_FALSE(AccountStore::open("/nonexistent-dir/for/sure/x.db", error));
    EXPECT_FALSE(error.empty());
}

TEST(Accounts, NicknamesThatWouldBreakAHeaderLineAreRefused) {
    auto store = memoryStore();
    EXPECT_EQ(store->create("eve@example.org", "pw", "Eve\nSETTING"), CreateResult::InvalidNickname);
    EXPECT_EQ(store->create("eve@example.org", "pw", std::string(257, 'e')), CreateResult::InvalidNickname);
    EXPECT_FALSE(store->findByName("eve@example.org"));
}

TEST(Accounts, AListIsCreatedWholeOrNotAtAll) {
    auto store = memoryStore();
    ASSERT_EQ(store->create("taken@example.org", "pw", ""), CreateResult::Created);
    std::vector<uint64_t> ids;
    size_t failedAt = 0;
    std::vector<NewAccount> clashing = {
        {"a@example.org", "1", "A"}, {"TAKEN@example.org", "2", ""}, {"b@example.org", "3", ""}};
    EXPECT_EQ(store->createAll(clashing, ids, failedAt), CreateResult::NameTaken);
    EXPECT_EQ(failedAt, 1u);
    EXPECT_TRUE(ids.empty());
    EXPECT_FALSE(store->findByName("a@example.org")) << "the account before the clash is undone";

    std::vector<NewAccount> fine = {{"a@example.org", "1", "A"}, {"b@example.org", "2", ""}};
    ASSERT_EQ(store->createAll(fine, ids, failedAt), CreateResult::Created);
    ASSERT_EQ(ids.size(), 2u);
    EXPECT_EQ(store->findByName("a@example.org")->id, ids[0]);
    EXPECT_EQ(store->findByName("b@example.org")->passwordDigest, crypto::md5("2", 1));
    std::vector<Account> both = store->findByIds({ids[1], 999, ids[0]});
    ASSERT_EQ(both.size(), 2u) << "an unknown id is left out";
    EXPECT_EQ(both[0].name, "b@example.org");
    EXPECT_EQ(both[1].nickname, "A");
}

TEST(AccountLists, LinesOfNamePasswordAndNickname) {
    AccountList list = parseAccountList("ann@example.org\tann's pw\tAnn\r\n\nbob@example.org\tb\to\tb\n");
    ASSERT_TRUE(list.error);
    EXPECT_EQ(list.error->line, 3u);
    EXPECT_TRUE(list.accounts.empty()) << "nothing of a faulty list is taken";

    list = parseAccountList("ann@example.org\tann's pw\tAnn\r\n\nbob@example.org\t\n#x\tpw");
    ASSERT_FALSE(list.error) << list.error->what;
    ASSERT_EQ(list.accounts.size(), 3u);
    EXPECT_EQ(list.accounts[0].password, "ann's pw");
    EXPECT_EQ(list.accounts[0].nickname, "Ann") << "the CR of a CR LF line end is no part of it";
    EXPECT_EQ(list.accounts[1].password, "");
    EXPECT_EQ(list.accounts[2].name, "#x");

    const std::pair<const char*, size_t> faulty[] = {
        {"only-a-name\n", 1},
        {"a@example.org\tpw\nA@EXAMPLE.ORG\tpw\n", 2},
        {"two words\tpw\n", 1},
        {"a@example.org\tpw\tA\rB\n", 1},
    };
    for (const auto& [text, line] : faulty) {
        AccountList bad = parseAccountList(text);
        ASSERT_TRUE(bad.error) << text;
        EXPECT_EQ(bad.error->line, line) << text;
    }
    EXPECT_TRUE(parseAccountList("a@example.org\t" + std::string(5000, 'p')).error);
}
