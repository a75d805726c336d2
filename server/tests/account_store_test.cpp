#include "account_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

using namespace kestrova;
using namespace kestrova::server;

namespace {

std::unique_ptr<AccountStore> memoryStore() {
    std::string error;
    return AccountStore::open(":memory:", error);
}

std::filesystem::path tempDatabase(const char* name) {
    auto path = std::filesystem::temp_directory_path() / (std::string(name) + "-" + std::to_string(::getpid()) + ".db");
    std::filesystem::remove(path);
    return path;
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
    auto path = tempDatabase("kestrova-accounts");
    std::string error;
    {
        auto store = AccountStore::open(path.string(), error);
        ASSERT_TRUE(store) << error;
        ASSERT_EQ(store->create("ann@example.org", "UnmistakablePassword", "Ann"), CreateResult::Created);
    }
    auto reopened = AccountStore::open(path.string(), error);
    ASSERT_TRUE(reopened);
    EXPECT_TRUE(reopened->findByName("ann@example.org"));
    std::ifstream file(path, std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content.find("UnmistakablePassword"), std::string::npos);
    reopened.reset();
    std::filesystem::remove(path);
}

TEST(Accounts, UnopenableDatabaseIsReported) {
    std::string error;
    EXPECT_FALSE(AccountStore::open("/nonexistent-dir/for/sure/x.db", error));
    EXPECT_FALSE(error.empty());
}
