// Several headless clients (kestrova-harness) against one kestrova-server,
// as users would meet: signing in, chatting, groups, offline delivery,
// history, friend requests, group administration and a server crash.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <thread>

#include "harness_child.h"
#include "server_child.h"

#include "kestrova/setting_names.h"

namespace kestrova::e2e {
namespace {

using namespace std::chrono_literals;

const HarnessAccount kDave{"dave@example.org", "dave's password"};
const HarnessAccount kErin{"erin@example.org", "erin's password"};

size_t countStartingWith(const std::vector<std::string>& lines, std::string_view prefix) {
    size_t count = 0;
    for (const std::string& line : lines) count += line.starts_with(prefix);
    return count;
}

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
    void startServer(uint16_t port = 0) {
        server_ = std::make_unique<ServerChild>(database_, port, std::vector<std::string>{"--demo"});
        ASSERT_NE(server_->port(), 0);
    }
    // A client with settings of its own (kept across its restarts), signing in.
    HarnessChild& start(const HarnessAccount& account) {
        auto client = std::make_unique<HarnessChild>((root_ / account.user).string(), server_->port(), account);
        HarnessChild& ref = *client;
        clients_[account.user] = std::move(client);
        return ref;
    }
    HarnessChild& signIn(const HarnessAccount& account) {
        HarnessChild& client = start(account);
        EXPECT_TRUE(client.waitFor("state 100")) << "no sign-in for " << account.user;
        return client;
    }
    static std::string idOf(HarnessChild& client) {
        client.command("whoami");
        auto line = client.waitFor("me id=");
        return line ? field(*line, "id") : "";
    }
    // Sends and waits for the server's acknowledgement; the "sent" line.
    static std::string sendAndConfirm(HarnessChild& from, const std::string& command) {
        from.command(command);
        auto sent = from.waitFor("sent ref=");
        if (!sent) return "";
        EXPECT_TRUE(from.waitFor("delivered ref=" + field(*sent, "ref") + " ")) << command;
        return *sent;
    }
    // The line of `id` in the client's "contacts" or "groups" listing, or "".
    static std::string listed(HarnessChild& client, const std::string& listing, const std::string& id) {
        client.command(listing);
        std::string found;
        for (auto line = client.waitFor(listing.substr(0, listing.size() - 1));
             line && *line != listing + " end"; line = client.waitFor(listing.substr(0, listing.size() - 1)))
            if (field(*line, "id") == id) found = *line;
        return found;
    }
    // Polls for up to ten seconds until `condition` holds.
    template <typename Condition>
    static bool eventually(Condition condition) {
        for (int attempt = 0; attempt < 100; ++attempt) {
            if (condition()) return true;
            std::this_thread::sleep_for(100ms);
        }
        return false;
    }
    static bool contactShows(HarnessChild& client, const std::string& id, const std::string& expected) {
        return eventually([&] { return listed(client, "contacts", id).find(expected) != std::string::npos; });
    }

    std::filesystem::path root_;
    std::string database_;
    std::unique_ptr<ServerChild> server_;
    std::map<std::string, std::unique_ptr<HarnessChild>> clients_;
};

TEST_F(ClientsAgainstServer, AClientSignsInAndQuitsCleanlyAndAWrongPasswordStaysOffline) {
    startServer();
    HarnessChild& ann = signIn(kAnn);
    EXPECT_EQ(idOf(ann), "1");
    ann.command("no-such-command");
    EXPECT_TRUE(ann.waitFor("error unknown command no-such-command"));
    ann.command("send 424242 hello");
    EXPECT_TRUE(ann.waitFor("error unknown contact 424242"));
    EXPECT_EQ(ann.quit(), 0);
    EXPECT_EQ(ann.transcript().back(), "state 0") << "the client ends offline";

    HarnessChild& intruder = start({kBob.user, "not bob's password"});
    EXPECT_FALSE(intruder.waitFor("state 100", 3s));
    EXPECT_EQ(intruder.quit(), 0);
}

TEST_F(ClientsAgainstServer, TwoClientsExchangeOneByte512BytesAnd100Kilobytes) {
    startServer();
    HarnessChild& ann = signIn(kAnn);
    HarnessChild& bob = signIn(kBob);
    std::string bobId = idOf(bob), annId = idOf(ann);
    for (const char* size : {"1", "512", "102400"}) {
        std::string sent = sendAndConfirm(ann, "send-size " + bobId + " " + size);
        auto received = bob.waitFor("message ");
        ASSERT_TRUE(received) << size << " bytes never arrived";
        EXPECT_EQ(field(*received, "length"), size);
        EXPECT_EQ(field(*received, "md5"), field(sent, "md5")) << "the body changed on the way";
        EXPECT_EQ(field(*received, "from"), annId);
        EXPECT_EQ(field(*received, "group"), "0");
        EXPECT_EQ(field(*received, "origin"), "1");
    }
    sendAndConfirm(bob, "send " + annId + " and back again");
    auto reply = ann.waitFor("message ");
    ASSERT_TRUE(reply);
    EXPECT_EQ(field(*reply, "text"), "and back again");
    EXPECT_EQ(countStartingWith(bob.transcript(), "message "), 3u) << "nothing doubled";
}

TEST_F(ClientsAgainstServer, AGroupMessageReachesEveryOtherMember) {
    startServer();
    HarnessChild& ann = signIn(kAnn);
    HarnessChild& bob = signIn(kBob);
    HarnessChild& cat = signIn(kCat);
    std::string sent = sendAndConfirm(bob, "send-group 1 hello, group");
    for (HarnessChild* member : {&ann, &cat}) {
        auto received = member->waitFor("message ");
        ASSERT_TRUE(received);
        EXPECT_EQ(field(*received, "group"), "1");
        EXPECT_EQ(field(*received, "from"), idOf(bob));
        EXPECT_EQ(field(*received, "text"), "hello, group");
    }
    EXPECT_FALSE(bob.waitFor("message ", 500ms)) << "the sender does not get its own message back";
}

TEST_F(ClientsAgainstServer, AMessageToAnAbsentUserArrivesAtItsNextSignInAsStored) {
    startServer();
    HarnessChild& ann = signIn(kAnn);
    std::string first = sendAndConfirm(ann, "send 2 while you were out");
    std::string second = sendAndConfirm(ann, "send-size 2 3000");
    HarnessChild& bob = signIn(kBob);
    auto text = bob.waitFor("message ");
    auto large = bob.waitFor("message ");
    ASSERT_TRUE(text && large);
    EXPECT_EQ(field(*text, "text"), "while you were out");
    EXPECT_EQ(field(*text, "origin"), "2");
    EXPECT_EQ(field(*large, "md5"), field(second, "md5"));
    EXPECT_EQ(field(*large, "origin"), "2");

    // Delivered once: a second sign-in brings nothing again.
    EXPECT_EQ(bob.quit(), 0);
    clients_.erase(kBob.user);
    HarnessChild& again = signIn(kBob);
    EXPECT_FALSE(again.waitFor("message ", 1s));
}

TEST_F(ClientsAgainstServer, HistoryComesBackNewestFirstAndSaysWhenItIsComplete) {
    startServer();
    HarnessChild& ann = signIn(kAnn);
    HarnessChild& bob = signIn(kBob);
    for (const char* text : {"first", "second", "third"}) {
        sendAndConfirm(ann, std::string("send 2 ") + text);
        ASSERT_TRUE(bob.waitFor("message "));
    }
    bob.command("history 1 10");
    EXPECT_TRUE(bob.waitFor("history code=0"));
    std::vector<std::string> texts;
    for (int i = 0; i < 3; ++i) {
        auto line = bob.waitFor("message ");
        ASSERT_TRUE(line);
        EXPECT_EQ(field(*line, "origin"), "3");
        texts.push_back(field(*line, "text"));
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"third", "second", "first"}));
    EXPECT_TRUE(bob.waitFor("history code=8")) << "the final answer says nothing older exists";
}

TEST_F(ClientsAgainstServer, AnAcceptedFriendRequestShowsEachOthersPresence) {
    createAccount(kDave, "Dave");
    createAccount(kErin, "Erin");
    startServer();
    HarnessChild& dave = signIn(kDave);
    HarnessChild& erin = signIn(kErin);
    std::string daveId = idOf(dave), erinId = idOf(erin);

    dave.command("add-contact erin@example.org hello Erin, it's Dave");
    EXPECT_TRUE(dave.waitFor("answer op=add-contact code=0"));
    auto request = erin.waitFor("overview add item=");
    ASSERT_TRUE(request) << "the request reaches Erin at once";
    EXPECT_NE(request->find("title=dave@example.org text=hello Erin, it's Dave"), std::string::npos) << *request;
    erin.command("accept " + daveId);
    EXPECT_TRUE(erin.waitFor("overview delete item=" + field(*request, "item")));
    EXPECT_TRUE(contactShows(dave, erinId, "presence=1")) << "Dave sees Erin online";

    // Erin is on Dave's list already, so his client accepts her request by itself.
    erin.command("add-contact dave@example.org");
    EXPECT_TRUE(erin.waitFor("answer op=add-contact code=0"));
    EXPECT_TRUE(contactShows(erin, daveId, "presence=1")) << "Erin sees Dave online";
    EXPECT_FALSE(dave.waitFor("overview add item=", 200ms)) << "nothing for Dave to answer";

    EXPECT_EQ(dave.quit(), 0);
    EXPECT_TRUE(contactShows(erin, daveId, "presence=0")) << "and sees him go";
}

TEST_F(ClientsAgainstServer, AKickTellsTheGroupAndTheKickedMemberLosesIt) {
    startServer();
    HarnessChild& ann = signIn(kAnn);
    HarnessChild& bob = signIn(kBob);
    HarnessChild& cat = signIn(kCat);
    ann.command("admin 1 3 16");
    for (HarnessChild* member : {&bob, &cat}) {
        auto notice = member->waitFor("message ");
        ASSERT_TRUE(notice);
        EXPECT_EQ(field(*notice, "type"), "kestrova/x-admin");
        EXPECT_EQ(field(*notice, "group"), "1");
        EXPECT_EQ(field(*notice, "from"), "1");
        EXPECT_EQ(field(*notice, "action"), "16");
        EXPECT_EQ(field(*notice, "target"), "3");
    }
    EXPECT_TRUE(eventually([&] { return listed(cat, "groups", "1").empty(); })) << "the kicked member still has it";
}

TEST_F(ClientsAgainstServer, AGroupIsCreatedJoinedUsedAndLeftAndPresenceAndContactsFollow) {
    startServer();
    HarnessChild& bob = signIn(kBob);
    HarnessChild& cat = signIn(kCat);
    bob.command("create-group Bookclub");
    EXPECT_TRUE(bob.waitFor("answer op=create-group code=0"));
    bob.command("create-group bookclub");
    EXPECT_TRUE(bob.waitFor("answer op=create-group code=11")) << "the name is taken";
    cat.command("join Bookclub");
    EXPECT_TRUE(cat.waitFor("answer op=join code=0"));
    cat.command("join No such club");
    EXPECT_TRUE(cat.waitFor("answer op=join code=2"));

    cat.command("groups");
    std::string clubId;
    for (auto line = cat.waitFor("group"); line && *line != "groups end"; line = cat.waitFor("group"))
        if (field(*line, "name") == "Bookclub") clubId = field(*line, "id");
    ASSERT_FALSE(clubId.empty()) << "the joined group is listed";
    EXPECT_TRUE(eventually([&] { return listed(bob, "groups", clubId).find("members=2") != std::string::npos; }))
        << "Bob sees Cat join";
    sendAndConfirm(bob, "send-group " + clubId + " welcome");
    auto welcome = cat.waitFor("message ");
    ASSERT_TRUE(welcome);
    EXPECT_EQ(field(*welcome, "group"), clubId);
    cat.command("leave " + clubId);
    EXPECT_TRUE(eventually([&] { return listed(cat, "groups", clubId).empty(); })) << "Cat still has the group";
    EXPECT_TRUE(eventually([&] { return listed(bob, "groups", clubId).find("members=1") != std::string::npos; }))
        << "Bob sees Cat leave";

    cat.command("presence 2");
    EXPECT_TRUE(cat.waitFor("presence result=1"));
    EXPECT_TRUE(contactShows(bob, idOf(cat), "presence=2")) << "Bob sees Cat away";
    std::string catId = idOf(cat);
    bob.command("delete-contact " + catId);
    EXPECT_TRUE(eventually([&] { return listed(bob, "contacts", catId).empty(); })) << "Cat is off Bob's list";
}

// The program itself, headless, with the settings a user left in its
// settings store; what it says on its error output goes to "stderr.txt".
pid_t startProgram(const std::filesystem::path& home, uint16_t port, const HarnessAccount& account) {
    std::filesystem::create_directories(home);
    {
        std::ofstream settings(home / "user.reg");
        settings << "kestrova-registry 1\n";
        using namespace kestrova::settings;
        for (auto [name, value] : {std::pair<std::string, std::string>{kUser.name, account.user},
                                   {kPassword.name, account.password},
                                   {kServerList.name, "127.0.0.1:" + std::to_string(port)}})
            settings << "SOFTWARE\\\\Kestorva\\\\Settings\t" << name << "\t" << value << "\n";
    }
    const char* bin = std::getenv("KESTROVA_BIN");
    std::string program = std::string(bin ? bin : ".") + "/kestrova";
    std::string errors = (home / "stderr.txt").string();
    pid_t pid = ::fork();
    if (pid == 0) {
        ::setenv("KESTROVA_HOME", home.c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", home.c_str(), 1);
        if (std::FILE* file = std::freopen(errors.c_str(), "w", stderr); !file) ::_exit(126);
        ::execl(program.c_str(), program.c_str(), "--display", "headless", "/hidden", "/newinstance", nullptr);
        ::_exit(127);
    }
    return pid;
}

int stopProgram(pid_t pid) {
    ::kill(pid, SIGTERM);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

// Signed in, the program is seen online by a contact until it ends.
TEST_F(ClientsAgainstServer, TheProgramSignsInHeadlessWithStoredSettings) {
    startServer();
    pid_t pid = startProgram(root_ / "program", server_->port(), kAnn);
    ASSERT_GT(pid, 0);
    HarnessChild& bob = signIn(kBob);
    EXPECT_TRUE(contactShows(bob, "1", "presence=1")) << "Ann's program is online";
    stopProgram(pid);
    EXPECT_TRUE(contactShows(bob, "1", "presence=0")) << "and gone when it ends";
}

// A refused sign-in shows its error box; with no screen to show it on, the
// program says so and goes on running.
TEST_F(ClientsAgainstServer, TheProgramWithAWrongPasswordSaysSoAndKeepsRunning) {
    startServer();
    std::filesystem::path home = root_ / "program";
    pid_t pid = startProgram(home, server_->port(), {kAnn.user, "not ann's password"});
    ASSERT_GT(pid, 0);
    std::string errors;
    for (int attempt = 0; attempt < 100 && errors.find("Login Failed") == std::string::npos; ++attempt) {
        std::this_thread::sleep_for(100ms);
        std::ifstream file(home / "stderr.txt");
        errors.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    EXPECT_NE(errors.find("nobody to answer \"Login Failed\""), std::string::npos) << errors;
    EXPECT_EQ(::waitpid(pid, nullptr, WNOHANG), 0) << "the program is still running";
    int status = stopProgram(pid);
    EXPECT_TRUE(WIFEXITED(status) || WTERMSIG(status) == SIGTERM) << "it did not crash";
}

// A message still growing (as a recording does) is half sent when the server
// dies; after the reconnect it goes again from the start and arrives once.
TEST_F(ClientsAgainstServer, AMessageCutOffByAServerCrashArrivesOnceAndWhole) {
    startServer();
    uint16_t port = server_->port();
    HarnessChild& ann = signIn(kAnn);
    HarnessChild& bob = signIn(kBob);
    ann.command("send-part 2 51200");
    auto sent = ann.waitFor("sent ref=");
    ASSERT_TRUE(sent);
    std::string ref = field(*sent, "ref");
    EXPECT_FALSE(ann.waitFor("delivered ref=" + ref + " ", 300ms)) << "half a message is not delivered";
    server_->kill();
    server_ = std::make_unique<ServerChild>(database_, port, std::vector<std::string>{"--demo"});
    ASSERT_EQ(server_->port(), port);
    ann.command("finish " + ref + " 51200");
    auto finished = ann.waitFor("finished ref=" + ref + " ");
    ASSERT_TRUE(finished);

    auto delivered = ann.waitFor("delivered ref=" + ref + " ", 60s);
    ASSERT_TRUE(delivered) << "the message is sent again after the reconnect";
    auto received = bob.waitFor("message ", 30s);
    ASSERT_TRUE(received);
    EXPECT_EQ(field(*received, "length"), "102400");
    EXPECT_EQ(field(*received, "md5"), field(*finished, "md5")) << "complete and unchanged";
    EXPECT_FALSE(bob.waitFor("message ", 2s)) << "exactly once";
    EXPECT_EQ(countStartingWith(ann.transcript(), "failed"), 0u);
    const auto& lines = ann.transcript();
    auto done = std::find(lines.begin(), lines.end(), *delivered);
    EXPECT_EQ(std::count(lines.begin(), done, "state 30"), 2) << "delivered only after connecting again";
}

}  // namespace
}  // namespace kestrova::e2e
