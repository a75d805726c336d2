// Several headless clients (kestrova-harness) against one kestrova-server,
// as users would meet: signing in, chatting, groups, offline delivery.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <map>
#include <memory>

#include "harness_child.h"
#include "server_child.h"

namespace kestrova::e2e {
namespace {

const HarnessAccount kAnn{"ann@example.org", "ann's password"};
const HarnessAccount kBob{"bob@example.org", "bob's password"};

class ClientsAgainstServer : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kestrova-clients-XXXXXX";
        root_ = ::mkdtemp(pattern);
        database_ = (root_ / "server.db").string();
    }
    void TearDown() override {
        clients_.clear();
        server_.reset();
        std::filesystem::remove_all(root_);
    }

    void createAccount(const HarnessAccount& account, const std::string& nickname) {
        ASSERT_EQ(runServerToEnd({"--db", database_, "--create-account", account.user, account.password, "--nickname",
                                  nickname}),
                  0);
    }
    void startServer(const std::vector<std::string>& extra = {}) {
        server_ = std::make_unique<ServerChild>(database_, 0, extra);
        ASSERT_NE(server_->port(), 0);
    }
    // A client with settings of its own, signed in (state 100).
    HarnessChild& signIn(const HarnessAccount& account, const std::string& name) {
        auto client = std::make_unique<HarnessChild>((root_ / name).string(), server_->port(), account);
        HarnessChild& ref = *client;
        clients_[name] = std::move(client);
        EXPECT_TRUE(ref.waitFor("state 100")) << "no sign-in for " << account.user;
        return ref;
    }

    std::filesystem::path root_;
    std::string database_;
    std::unique_ptr<ServerChild> server_;
    std::map<std::string, std::unique_ptr<HarnessChild>> clients_;
};

TEST_F(ClientsAgainstServer, ClientSignsInReportsItselfAndQuitsCleanly) {
    createAccount(kAnn, "Ann");
    startServer();
    HarnessChild& ann = signIn(kAnn, "ann");
    ann.command("whoami");
    auto me = ann.waitFor("me id=");
    ASSERT_TRUE(me);
    EXPECT_NE(field(*me, "id"), "0");
    ann.command("no-such-command");
    EXPECT_TRUE(ann.waitFor("error unknown command no-such-command"));
    ann.command("send 424242 hello");
    EXPECT_TRUE(ann.waitFor("error unknown contact 424242"));
    EXPECT_EQ(ann.quit(), 0);
    EXPECT_EQ(ann.transcript().back().rfind("state 0", 0), 0u) << "the client ends offline";
}

TEST_F(ClientsAgainstServer, WrongPasswordStaysOffline) {
    createAccount(kAnn, "Ann");
    startServer();
    auto client = std::make_unique<HarnessChild>((root_ / "ann").string(), server_->port(),
                                                 HarnessAccount{kAnn.user, "not the password"});
    EXPECT_FALSE(client->waitFor("state 100", std::chrono::seconds(3)));
    EXPECT_EQ(client->quit(), 0);
}

}  // namespace
}  // namespace kestrova::e2e
