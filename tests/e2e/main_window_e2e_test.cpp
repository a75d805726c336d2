// The real program's main window against kestrova-server, driven through its
// automation socket on both screens the phones have: what the status strip
// says from signing in to a message waiting, the soft-key menu with the
// account's own submenu, the status menu behind the strip, and the desktop's
// close button with the exit question. A relay between the program and the
// server holds the sign-in back so that the strip can be seen on its way.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>

#include "harness_child.h"
#include "holding_relay.h"
#include "kestrova/wire/protocol.h"
#include "program_child.h"
#include "server_child.h"

namespace kestrova::e2e {
namespace {

using namespace std::chrono_literals;

struct Phone {
    std::string screen;
    int dpi;
    std::string name; // for the screenshots' files
};

void PrintTo(const Phone& phone, std::ostream* out) { *out << phone.screen; }

std::string screenshotFolder() {
    const char* bin = std::getenv("KESTROVA_BIN");
    auto folder = std::filesystem::path(bin ? bin : ".").parent_path() / "screenshots";
    std::filesystem::create_directories(folder);
    return folder.string();
}

// The "l,t,r,b" of an `info` reply's rect.
struct Edges {
    int left = 0, top = 0, right = 0, bottom = 0;
};
Edges rectOf(const std::string& info) {
    Edges edges;
    size_t at = info.find("rect=");
    if (at != std::string::npos) {
        char comma;
        std::istringstream(info.substr(at + 5)) >> edges.left >> comma >> edges.top >> comma >> edges.right >>
            comma >> edges.bottom;
    }
    return edges;
}

class MainWindowAgainstServer : public ::testing::TestWithParam<Phone> {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/kestrova-main-e2e-XXXXXX";
        root_ = ::mkdtemp(pattern);
        server_ = std::make_unique<ServerChild>((root_ / "server.db").string(), 0,
                                                std::vector<std::string>{"--demo"});
        ASSERT_NE(server_->port(), 0);
        relay_ = std::make_unique<HoldingRelay>(server_->port());
        ASSERT_NE(relay_->port(), 0);
    }
    void TearDown() override {
        program_.reset();
        bob_.reset();
        relay_.reset();
        server_.reset();
        std::filesystem::remove_all(root_);
    }

    void startProgram() {
        ProgramOptions options;
        options.screen = GetParam().screen;
        program_ = std::make_unique<ProgramChild>(root_ / "ann", relay_->port(), kAnn, options);
        ASSERT_TRUE(program_->ready());
        main_ = okValue(request("find title=Kestrova"));
        strip_ = okValue(request("find id=5001"));
        ASSERT_FALSE(strip_.empty());
    }
    std::string request(const std::string& line) { return program_->request(line); }
    // Waits until the status strip shows these two lines.
    bool stripShows(const std::string& first, const std::string& second) {
        const std::string expected = "OK " + quoted(first + "\n" + second);
        return program_->waitFor("text " + strip_, [&](const std::string& r) { return r == expected; }) ==
               expected;
    }
    void screenshot(const std::string& what) {
        EXPECT_EQ(request("screenshot " + screenshotFolder() + "/main-window-" + what + "-" +
                          GetParam().name + ".png"),
                  "OK");
    }

    std::filesystem::path root_;
    std::unique_ptr<ServerChild> server_;
    std::unique_ptr<HoldingRelay> relay_;
    std::unique_ptr<ProgramChild> program_;
    std::unique_ptr<HarnessChild> bob_;
    std::string main_, strip_;
};

TEST_P(MainWindowAgainstServer, TheStripFollowsTheSignInAndTheMenusChangeTheAccountsStatus) {
    relay_->holdFrom(wire::protocol::command::kAuth);
    startProgram();

    // Held at the password: the strip says so and sits on the soft-key bar,
    // two fifths of an inch high.
    ASSERT_TRUE(stripShows("Logging In", "No Messages")) << request("text " + strip_);
    screenshot("logging-in");
    const Edges strip = rectOf(request("info " + strip_));
    const Edges window = rectOf(request("info " + main_));
    EXPECT_EQ(strip.bottom - strip.top, GetParam().dpi * 2 / 5);
    EXPECT_EQ(strip.bottom, window.bottom);
    EXPECT_EQ(strip.right - strip.left, window.right - window.left);

    relay_->release();
    ASSERT_TRUE(stripShows("Ann - Online", "No Messages")) << request("text " + strip_);

    // Bob writes: the count replaces the status line.
    bob_ = std::make_unique<HarnessChild>((root_ / "bob").string(), server_->port(), kBob);
    ASSERT_TRUE(bob_->waitFor("state 100"));
    bob_->command("send 1 hello Ann");
    ASSERT_TRUE(stripShows("Ann - Online", "1 New Message")) << request("text " + strip_);
    screenshot("message-waiting");

    // The Menu key's submenu of the account is the connection plug-in's; a
    // second opening lists the account once, as the first did.
    EXPECT_EQ(request("choose Away"), "OK");
    EXPECT_EQ(request("softkey 2"), "OK");
    EXPECT_TRUE(stripShows("Ann - Away", "1 New Message")) << request("text " + strip_);
    EXPECT_EQ(request("choose"), "OK");
    EXPECT_EQ(request("softkey 2"), "OK");
    const std::string menu = request("modal");
    EXPECT_TRUE(
        menu.starts_with("OK menu \"Kestrova (ann@example.org)\" \"Kestrova (ann@example.org) > Online\""))
        << menu;
    EXPECT_EQ(menu.find("Kestrova (ann@example.org)\" \"Kestrova (ann@example.org)\""), std::string::npos);
    EXPECT_TRUE(menu.ends_with("\"Settings...\" \"About...\" \"Exit...\"")) << menu;

    // Enter on the strip opens the same status menu there.
    for (int presses = 0; presses < 10 && request("focus") != "OK " + strip_; ++presses)
        request("key DOWN");
    ASSERT_EQ(request("focus"), "OK " + strip_) << "the arrows never reach the strip";
    EXPECT_EQ(request("choose Busy"), "OK");
    EXPECT_EQ(request("key ENTER"), "OK");
    EXPECT_TRUE(request("modal").starts_with("OK menu \"Online\" \"Away\" \"Busy\""));
    EXPECT_TRUE(stripShows("Ann - Busy", "1 New Message")) << request("text " + strip_);

    // The desktop's close button asks first; No keeps the program, Yes ends it.
    EXPECT_EQ(request("answer no"), "OK");
    EXPECT_EQ(request("closebutton"), "OK");
    EXPECT_EQ(request("modal"),
              "OK messagebox caption=\"Exit Kestrova?\" text=\"If you exit, you won't receive any instant "
              "messages until you sign in again. Are you sure?\"");
    EXPECT_EQ(request("ping"), "OK pong");
    EXPECT_EQ(program_->quit(), 0);
}

TEST_P(MainWindowAgainstServer, WithTheServerGoneTheStripWaitsToReconnectAndComesBackOnline) {
    startProgram();
    ASSERT_TRUE(stripShows("Ann - Online", "No Messages")) << request("text " + strip_);
    const uint16_t port = server_->port();
    server_->kill();
    ASSERT_TRUE(stripShows("Reconnect Pending...", "No Messages")) << request("text " + strip_);
    screenshot("reconnect-pending");

    // The server is back on its port: the program finds it by itself.
    server_ = std::make_unique<ServerChild>((root_ / "server.db").string(), port);
    ASSERT_EQ(server_->port(), port);
    EXPECT_TRUE(program_->waitUntilContains("text " + strip_, "Ann - Online", 120s))
        << request("text " + strip_);
    EXPECT_EQ(program_->quit(), 0);
}

INSTANTIATE_TEST_SUITE_P(Phones, MainWindowAgainstServer,
                         ::testing::Values(Phone{"240x320@131", 131, "240x320"},
                                           Phone{"480x640@192", 192, "480x640"}),
                         [](const auto& info) { return "Screen" + info.param.name; });

} // namespace
} // namespace kestrova::e2e
