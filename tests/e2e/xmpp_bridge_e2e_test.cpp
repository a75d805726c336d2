// Ann adds her XMPP account to Kestrova with the real program and talks to
// an XMPP user through it: a local Prosody (two throwaway accounts),
// kestrova-server bridging to it, the program (connection.so and
// messaging.so) driven only through its automation socket, and Bob on a
// small XMPP client of the test's own. What Ann sees is read back as she
// can see it: the overview's rows, the contact list, her chat window.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "program_child.h"
#include "prosody.h"
#include "server_child.h"
#include "xmpp_test_client.h"

namespace kestrova::e2e {
namespace {

using namespace std::chrono_literals;
using server::testing::Prosody;
using server::testing::XmppTestClient;
using Rows = std::vector<std::string>;

constexpr char kAnnJid[] = "ann@localhost";
constexpr char kAnnXmppPassword[] = "ann's xmpp secret";
constexpr char kBobJid[] = "bob@localhost";
constexpr char kBobXmppPassword[] = "bob's xmpp secret";

std::string joined(const Rows& rows) {
    std::string text;
    for (const std::string& row : rows)
        text += "[" + row + "] ";
    return text;
}

// The rows of the contact list's section with this title, up to the next.
Rows section(const Rows& rows, const std::string& title) {
    static const Rows titles{"Group Chat", "Nearby", "Online", "Offline"};
    Rows out;
    auto at = std::find(rows.begin(), rows.end(), title);
    if (at == rows.end()) return out;
    for (++at; at != rows.end() && std::find(titles.begin(), titles.end(), *at) == titles.end(); ++at)
        out.push_back(*at);
    return out;
}

// Polls for up to thirty seconds until `condition` holds.
bool eventually(const std::function<bool()>& condition) {
    for (int attempt = 0; attempt < 300; ++attempt) {
        if (condition()) return true;
        std::this_thread::sleep_for(100ms);
    }
    return false;
}

class XmppBridgeThroughTheProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string why;
        prosody_ = Prosody::start({{"ann", kAnnXmppPassword}, {"bob", kBobXmppPassword}}, why);
        if (!prosody_ && why.find("not installed") != std::string::npos) GTEST_SKIP() << why;
        ASSERT_TRUE(prosody_) << why;
        char pattern[] = "/tmp/kestrova-xmpp-e2e-XXXXXX";
        root_ = ::mkdtemp(pattern);
        server_ = std::make_unique<ServerChild>((root_ / "server.db").string(), 0,
                                                std::vector<std::string>{"--demo"});
        ASSERT_NE(server_->port(), 0);
    }
    void TearDown() override {
        program_.reset();
        server_.reset();
        bob_.reset();
        prosody_.reset();
        if (!root_.empty()) std::filesystem::remove_all(root_);
    }

    // Bob is on Ann's XMPP roster and she sees his presence: arranged on the
    // XMPP side before Kestrova logs in to her account.
    void bobOnAnnsRoster() {
        bob_ = XmppTestClient::login(kBobJid, kBobXmppPassword, prosody_->port(), "at the desk");
        ASSERT_TRUE(bob_);
        auto annElsewhere = XmppTestClient::login(kAnnJid, kAnnXmppPassword, prosody_->port(), "");
        ASSERT_TRUE(annElsewhere);
        annElsewhere->subscribe(kBobJid);
        ASSERT_TRUE(annElsewhere->waitFor([](const XmppTestClient::Received& got) {
            return got.kind == "presence" && got.from.starts_with(kBobJid);
        })) << "Bob's client accepts";
        ASSERT_TRUE(
            bob_->waitFor([](const XmppTestClient::Received& got) { return got.kind == "subscribe"; }));
    }

    void startAnn() {
        ProgramOptions options;
        options.folder = makeProgramFolder(root_ / "program", {});
        options.screen = "480x640@192";
        program_ = std::make_unique<ProgramChild>(root_ / "ann", server_->port(), kAnn, options);
        ASSERT_TRUE(program_->ready());
        Rows shown;
        ASSERT_TRUE(eventually([&] {
            main_ = okValue(request("find title=Kestrova"));
            return !main_.empty() && (shown = panes()).size() >= 2;
        })) << request("windows");
        strip_ = shown[0];
        overview_ = shown[1];
        ASSERT_TRUE(eventually([&] { return has(overview_, "Ann - Online\nann@example.org"); }))
            << joined(rows(overview_));
    }

    // Ann adds her XMPP account with this password as a user does: the main
    // menu's "Add Service...", XMPP in the list of networks, her address and
    // password, and the local server in place of the preset one.
    void addXmppService(const std::string& password) {
        EXPECT_EQ(request("choose \"Add Service...\""), "OK");
        EXPECT_EQ(request("softkey 2"), "OK");
        std::string form;
        ASSERT_TRUE(eventually(
            [&] { return !(form = okValue(request("find title=\"Add a Service\" visible=1"))).empty(); }));
        std::string types;
        for (const std::string& w : descendants(form))
            if (className(w) == "LISTBOX") types = w;
        Rows offered = rows(types);
        auto xmpp = std::find(offered.begin(), offered.end(), "XMPP\nXMPP / Jabber");
        ASSERT_NE(xmpp, offered.end()) << joined(offered);
        EXPECT_EQ(request("select " + types + " " + std::to_string(xmpp - offered.begin())), "OK");
        EXPECT_EQ(request("softkey 1"), "OK");
        std::map<std::string, std::string> fields = labelledEdits(form);
        ASSERT_EQ(fields.size(), 6u);
        EXPECT_EQ(request("settext " + fields["Username"] + " " + quoted(kAnnJid)), "OK");
        EXPECT_EQ(request("settext " + fields["Password"] + " " + quoted(password)), "OK");
        EXPECT_EQ(request("settext " + fields["Server"] + " 127.0.0.1"), "OK");
        EXPECT_EQ(request("settext " + fields["Port"] + " " + std::to_string(prosody_->port())), "OK");
        EXPECT_EQ(request("softkey 1"), "OK");
    }

    std::string request(const std::string& line) { return program_->request(line); }
    Rows rows(const std::string& window) { return quotedWords(request("items " + window)); }
    bool has(const std::string& window, const std::string& row) {
        Rows shown = rows(window);
        return std::find(shown.begin(), shown.end(), row) != shown.end();
    }
    Rows children(const std::string& window) {
        std::istringstream in(request("children " + window).substr(2));
        Rows out;
        for (std::string child; in >> child;)
            out.push_back(child);
        return out;
    }
    // The window and its descendants, depth first, in the order they were made.
    Rows descendants(const std::string& window) {
        Rows out;
        for (const std::string& child : children(window)) {
            out.push_back(child);
            Rows below = descendants(child);
            out.insert(out.end(), below.begin(), below.end());
        }
        return out;
    }
    void say(const std::string& text) {
        request("type " + text);
        request("key ENTER");
    }
    // The text of the newest message of the chat in front, copied from its menu.
    std::string lastMessage() {
        request("key UP"); // from the text input to the messages
        request("key END");
        request("clipboard set \"nothing copied\"");
        request("choose \"Copy to Clipboard\"");
        request("key ENTER");
        Rows words = quotedWords(request("clipboard"));
        request("key DOWN"); // back to the text input
        return words.empty() ? "" : words[0];
    }
    // The form's edits by the label above each.
    std::map<std::string, std::string> labelledEdits(const std::string& form) {
        std::map<std::string, std::string> edits;
        std::string label;
        for (const std::string& window : descendants(form)) {
            std::string kind = className(window);
            if (kind == "STATIC") label = quotedWords(request("text " + window)).at(0);
            if (kind == "EDIT") edits[label] = window;
        }
        return edits;
    }
    std::string className(const std::string& window) {
        std::string info = request("info " + window);
        return quotedWords(info).empty() ? "" : quotedWords(info)[0];
    }
    // The main window's children but its status strip: the tab strip, the
    // overview and the page shown now.
    Rows panes() {
        const std::string statusStrip = okValue(request("find id=5001"));
        Rows out;
        for (const std::string& child : children(main_))
            if (child != statusStrip) out.push_back(child);
        return out;
    }

    std::unique_ptr<Prosody> prosody_;
    std::filesystem::path root_;
    std::unique_ptr<ServerChild> server_;
    std::unique_ptr<XmppTestClient> bob_;
    std::unique_ptr<ProgramChild> program_;
    std::string main_, strip_, overview_;
};

TEST_F(XmppBridgeThroughTheProgram, AnnAddsHerXmppAccountSeesBobOnlineAndTheyTalkBothWays) {
    ASSERT_NO_FATAL_FAILURE(bobOnAnnsRoster());
    ASSERT_NO_FATAL_FAILURE(startAnn());
    ASSERT_NO_FATAL_FAILURE(addXmppService(kAnnXmppPassword));
    EXPECT_TRUE(eventually([&] { return has(overview_, "ann - Online\nann@localhost"); }))
        << "the bridge logged in: " << joined(rows(overview_));

    EXPECT_EQ(request("key RIGHT"), "OK"); // the contact list
    Rows shown = panes();
    ASSERT_GE(shown.size(), 3u);
    std::string contacts = shown[2];
    // The XMPP Bob is "bob" (the name in his address), online with his status line;
    // the demo's Kestrova Bob stays "Bob", offline.
    EXPECT_TRUE(eventually([&] {
        Rows online = section(rows(contacts), "Online");
        return std::find(online.begin(), online.end(), "bob\nat the desk") != online.end();
    })) << "Bob, online with his status line: "
        << joined(rows(contacts));

    // Enter on his row opens the chat with him.
    if (request("focus") != "OK " + contacts) {
        EXPECT_EQ(request("key DOWN"), "OK"); // from the tab strip
    }
    ASSERT_EQ(request("focus"), "OK " + contacts);
    Rows listed = rows(contacts);
    auto bobRow = std::find(listed.begin(), listed.end(), "bob\nat the desk");
    ASSERT_NE(bobRow, listed.end());
    EXPECT_EQ(request("select " + contacts + " " + std::to_string(bobRow - listed.begin())), "OK");
    EXPECT_EQ(request("key ENTER"), "OK");
    ASSERT_TRUE(eventually([&] {
        std::string chat = okValue(request("find class=RY_CHATWINDOW visible=1"));
        return !chat.empty() && okValue(request("foreground")) == chat;
    })) << request("windows");
    EXPECT_EQ(quotedWords(request("text " + okValue(request("foreground")))), Rows{"bob"});
    say("Hello Bob, from Kestrova");
    auto atBob = bob_->waitFor([](const XmppTestClient::Received& got) { return got.kind == "message"; });
    ASSERT_TRUE(atBob);
    EXPECT_EQ(atBob->body, "Hello Bob, from Kestrova");
    EXPECT_EQ(atBob->from.substr(0, atBob->from.find('/')), kAnnJid);

    bob_->sendMessage(kAnnJid, "Hello Ann, from XMPP");
    EXPECT_TRUE(eventually([&] { return lastMessage() == "Hello Ann, from XMPP"; }))
        << "Ann's chat in front shows the answer: " << lastMessage();
}

TEST_F(XmppBridgeThroughTheProgram, AWrongXmppPasswordShowsWhyTheServiceIsOffline) {
    ASSERT_NO_FATAL_FAILURE(startAnn());
    ASSERT_NO_FATAL_FAILURE(addXmppService("not ann's xmpp secret"));
    EXPECT_TRUE(eventually([&] { return has(overview_, "ann - Offline\nann@localhost\nLogon Incorrect"); }))
        << joined(rows(overview_));
    EXPECT_TRUE(has(overview_, "Ann - Online\nann@example.org")) << "Kestrova itself stays signed in";
}

} // namespace
} // namespace kestrova::e2e
