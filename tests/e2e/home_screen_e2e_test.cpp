// The real program with the real connection plug-in, signed in to
// kestrova-server as ann, driven through its automation socket while other
// clients (kestrova-harness) sign in, change and write: what the home
// screen shows of them, and what its rows and menus do. A test plug-in
// beside the program writes the chats the home screen asks for.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "harness_child.h"
#include "program_child.h"
#include "program_folder.h"
#include "server_child.h"

namespace kestrova::e2e {
namespace {

using namespace std::chrono_literals;
using shell_testing::ProgramFolder;
using Rows = std::vector<std::string>;

const HarnessAccount kBob{"bob@example.org", "bob"};
const HarnessAccount kDave{"dave@example.org", "dave's password"};

int indexOf(const Rows& rows, const std::string& row) {
    auto at = std::find(rows.begin(), rows.end(), row);
    return at == rows.end() ? -1 : static_cast<int>(at - rows.begin());
}

// The rows of the section with this title, up to the next header.
Rows section(const Rows& rows, const std::string& title, const Rows& titles) {
    Rows out;
    int at = indexOf(rows, title);
    if (at < 0) return out;
    for (size_t i = static_cast<size_t>(at) + 1; i < rows.size(); ++i) {
        if (std::find(titles.begin(), titles.end(), rows[i]) != titles.end()) break;
        out.push_back(rows[i]);
    }
    return out;
}

const Rows kMemberSections{"Group Chat", "Nearby", "Online", "Offline"};
const Rows kOverviewSections{"Friend Requests", "Services", "Messages"};

class HomeScreenAgainstServer : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/kestrova-home-e2e-XXXXXX";
        root_ = ::mkdtemp(pattern);
        database_ = (root_ / "server.db").string();
    }
    void TearDown() override {
        if (pid_ > 0) {
            // Signed in, the program asks before it exits.
            request("answer yes");
            request("close " + main_);
            EXPECT_EQ(program_->wait(pid_), 0);
        }
        clients_.clear();
        program_.reset();
        server_.reset();
        std::filesystem::remove_all(root_);
    }

    void startServer() {
        server_ = std::make_unique<ServerChild>(database_, 0, std::vector<std::string>{"--demo"});
        ASSERT_NE(server_->port(), 0);
    }
    // The program signed in as ann, on a screen of this size.
    void startProgram(const std::string& screen) {
        program_ = std::make_unique<ProgramFolder>(std::vector<std::string>{"chatwatch"});
        program_->addBuiltPlugin("connection");
        program_->storeSetting("Connection/Servers/List", "127.0.0.1:" + std::to_string(server_->port()));
        program_->storeSetting("connection.user", "ann@example.org");
        program_->storeSetting("connection.pass", "ann");
        pid_ = program_->start({"--display", "headless", "--screen", screen, "--automation",
                                program_->automationSocket().string()});
        ASSERT_TRUE(shell_testing::waitForAutomation(program_->automationSocket()));
        main_ = request("find title=Kestrova").substr(3);
        Rows shown = panes();
        ASSERT_GE(shown.size(), 2u) << request("children " + main_);
        strip_ = shown[0];
        overview_ = shown[1];
        ASSERT_FALSE(overview_.empty());
        ASSERT_TRUE(eventually([&] { return has(overview_, "Ann - Online\nann@example.org"); }))
            << request("items " + overview_);
    }
    HarnessChild& signIn(const HarnessAccount& account) {
        auto client =
            std::make_unique<HarnessChild>((root_ / account.user).string(), server_->port(), account);
        EXPECT_TRUE(client->waitFor("state 100")) << account.user;
        clients_.push_back(std::move(client));
        return *clients_.back();
    }

    std::string request(const std::string& line) {
        return shell_testing::automationRequest(program_->automationSocket(), line);
    }
    Rows rows(const std::string& window) { return quotedWords(request("items " + window)); }
    bool has(const std::string& window, const std::string& row) { return indexOf(rows(window), row) >= 0; }
    // The main window's children but its status strip: the tab strip, the
    // overview and the group page shown now, in this order.
    Rows panes() {
        const std::string statusStrip = request("find id=5001").substr(3);
        std::istringstream in(request("children " + main_).substr(3));
        Rows out;
        for (std::string child; in >> child;)
            if (child != statusStrip) out.push_back(child);
        return out;
    }
    std::string page() {
        Rows shown = panes();
        return shown.size() > 2 ? shown[2] : "";
    }
    // Selects the first row that starts with `row`, with the focus on its list.
    void select(const std::string& window, const std::string& row) {
        if (request("focus") != "OK " + window) {
            EXPECT_EQ(request("key DOWN"), "OK"); // from the strip
        }
        ASSERT_EQ(request("focus"), "OK " + window);
        Rows shown = rows(window);
        auto found = std::find_if(shown.begin(), shown.end(),
                                  [&](const std::string& r) { return r.starts_with(row); });
        int at = found == shown.end() ? -1 : static_cast<int>(found - shown.begin());
        ASSERT_GE(at, 0) << row << " in " << request("items " + window);
        EXPECT_EQ(request("select " + window + " " + std::to_string(at)), "OK");
    }
    std::vector<std::string> chats() {
        Rows out;
        for (const std::string& line : program_->log(pid_))
            if (line.starts_with("chatwatch chat ")) out.push_back(line.substr(10));
        return out;
    }
    void screenshot(const std::string& name) {
        auto folder = shell_testing::buildFolder() / "screenshots";
        std::filesystem::create_directories(folder);
        EXPECT_EQ(request("screenshot " + (folder / (name + ".png")).string()), "OK");
    }
    // Polls for up to twenty seconds until `condition` holds.
    template <typename Condition> static bool eventually(Condition condition) {
        for (int attempt = 0; attempt < 200; ++attempt) {
            if (condition()) return true;
            std::this_thread::sleep_for(100ms);
        }
        return false;
    }

    std::filesystem::path root_;
    std::string database_;
    std::unique_ptr<ServerChild> server_;
    std::unique_ptr<ProgramFolder> program_;
    pid_t pid_ = -1;
    std::string main_, strip_, overview_;
    std::vector<std::unique_ptr<HarnessChild>> clients_;
};

TEST_F(HomeScreenAgainstServer, ContactsMoveBetweenSectionsAsBobComesGoesAndWrites) {
    startServer();
    startProgram("240x320@131");
    EXPECT_EQ(rows(strip_), (Rows{"", "Contacts", "Demo group"}));
    EXPECT_EQ(request("key RIGHT"), "OK"); // from the overview to the contact list
    std::string contacts = page();
    ASSERT_FALSE(contacts.empty());
    EXPECT_TRUE(eventually([&] {
        Rows shown = rows(contacts);
        return section(shown, "Online", kMemberSections) == Rows{"Echo\nOnline"} &&
               section(shown, "Offline", kMemberSections) == (Rows{"Bob\nOffline", "Cat\nOffline"});
    })) << request("items " + contacts);

    HarnessChild& bob = signIn(kBob);
    EXPECT_TRUE(eventually([&] {
        return section(rows(contacts), "Online", kMemberSections) == (Rows{"Bob\nOnline", "Echo\nOnline"});
    })) << request("items " + contacts);
    bob.command("presence 2");
    EXPECT_TRUE(eventually([&] { return has(contacts, "Bob\nAway"); })) << request("items " + contacts);
    bob.command("send 1 hello Ann");
    EXPECT_TRUE(eventually([&] { return has(contacts, "Bob\n1 New Message"); }))
        << request("items " + contacts);
    screenshot("home-contacts-240x320");

    // Enter on Bob's row asks for his chat.
    select(contacts, "Bob\n1 New Message");
    EXPECT_EQ(request("key ENTER"), "OK");
    EXPECT_TRUE(eventually([&] { return chats() == Rows{"chat contact 2"}; }));

    // The overview lists the conversation; its menu asks for the chat too.
    EXPECT_EQ(request("key LEFT"), "OK");
    EXPECT_EQ(request("key LEFT"), "OK");
    EXPECT_EQ(request("selection " + strip_), "OK 0");
    Rows overview = rows(overview_);
    EXPECT_EQ(section(overview, "Messages", kOverviewSections), Rows{"Bob\n1 Private Message"});
    screenshot("home-overview-240x320");
    select(overview_, "Bob\n1 Private Message");
    EXPECT_EQ(request("choose \"View Messages\""), "OK");
    EXPECT_EQ(request("key APPS"), "OK");
    EXPECT_TRUE(eventually([&] { return chats() == (Rows{"chat contact 2", "chat contact 2"}); }));

    bob.quit();
    EXPECT_EQ(request("key RIGHT"), "OK");
    contacts = page();
    EXPECT_TRUE(eventually([&] {
        return section(rows(contacts), "Offline", kMemberSections) ==
               (Rows{"Bob\n1 New Message", "Cat\nOffline"});
    })) << request("items " + contacts);
}

TEST_F(HomeScreenAgainstServer, TheGroupTabsChooserCollapsedSectionsAndModerationByRole) {
    startServer();
    HarnessChild& bob = signIn(kBob);
    startProgram("480x640@192");
    EXPECT_EQ(request("key RIGHT"), "OK");
    EXPECT_EQ(request("key RIGHT"), "OK");
    EXPECT_EQ(request("selection " + strip_), "OK 2");
    std::string group = page();
    EXPECT_TRUE(eventually([&] {
        Rows shown = rows(group);
        return section(shown, "Group Chat", kMemberSections) == Rows{"Demo group\nChat group"} &&
               indexOf(section(shown, "Online", kMemberSections), "Bob\nOnline") >= 0;
    })) << request("items " + group);
    // The chooser's menu lists the chat groups, on Enter.
    EXPECT_EQ(request("choose \"Demo group\""), "OK");
    EXPECT_EQ(request("key ENTER"), "OK");
    EXPECT_EQ(request("modal"), "OK menu \"Demo group\"");

    // ann administers the group: she makes Bob a moderator.
    select(group, "Bob\nOnline");
    EXPECT_EQ(request("choose Mod"), "OK");
    EXPECT_EQ(request("key APPS"), "OK");
    EXPECT_EQ(request("modal"),
              "OK menu \"Private Chat\" \"Admin\" \"Mod\" \"Silence\" \"Kick\" \"Ban\" \"Properties\"");
    auto notice = bob.waitFor("message ");
    ASSERT_TRUE(notice);
    EXPECT_EQ(field(*notice, "action"), "2");
    EXPECT_TRUE(eventually([&] { return has(group, "Bob (Mod)\nOnline"); })) << request("items " + group);
    // The group's own row asks for the group's chat.
    select(group, "Demo group\n");
    EXPECT_EQ(request("key ENTER"), "OK");
    EXPECT_TRUE(eventually([&] { return chats() == Rows{"chat group 1"}; }));
    screenshot("home-group-480x640");

    // Collapsing "Online" here leaves it collapsed on the contact list.
    select(group, "Online");
    EXPECT_EQ(request("key ENTER"), "OK");
    EXPECT_LT(indexOf(rows(group), "Bob (Mod)\nOnline"), 0);
    EXPECT_EQ(request("key LEFT"), "OK");
    std::string contacts = page();
    Rows shown = rows(contacts);
    EXPECT_EQ(indexOf(shown, "Online"), 0) << request("items " + contacts);
    EXPECT_EQ(indexOf(shown, "Offline"), 1) << request("items " + contacts);
}

TEST_F(HomeScreenAgainstServer, TheOverviewShowsFriendRequestsAndTheServiceThroughSigningOutAndIn) {
    ASSERT_EQ(runServerToEnd(
                  {"--db", database_, "--create-account", kDave.user, kDave.password, "--nickname", "Dave"}),
              0);
    startServer();
    startProgram("480x640@192");
    HarnessChild& dave = signIn(kDave);
    dave.command("add-contact ann@example.org Hello Ann");
    EXPECT_TRUE(eventually([&] {
        Rows shown = rows(overview_);
        return !shown.empty() && shown[0] == "Friend Requests" && shown[1] == "dave@example.org\nHello Ann";
    })) << request("items " + overview_);
    screenshot("home-overview-480x640");

    // The request's menu is the connection plug-in's.
    select(overview_, "dave@example.org\nHello Ann");
    EXPECT_EQ(request("choose Decline"), "OK");
    EXPECT_EQ(request("key APPS"), "OK");
    EXPECT_EQ(request("modal"), "OK menu \"Accept\" \"Decline\" \"Chat\"");
    EXPECT_TRUE(eventually([&] { return indexOf(rows(overview_), "Friend Requests") < 0; }))
        << request("items " + overview_);

    // Signing out through the service's own menu, and in again with Enter.
    select(overview_, "Ann - Online\nann@example.org");
    EXPECT_EQ(request("choose Offline"), "OK");
    EXPECT_EQ(request("key APPS"), "OK");
    EXPECT_TRUE(eventually([&] {
        return section(rows(overview_), "Services", kOverviewSections) ==
               Rows{"Ann - Not Connected\nann@example.org\nTap here to sign in."};
    })) << request("items " + overview_);
    EXPECT_EQ(request("key ENTER"), "OK");
    EXPECT_TRUE(eventually([&] { return has(overview_, "Ann - Online\nann@example.org"); }))
        << request("items " + overview_);
}

} // namespace
} // namespace kestrova::e2e
