// People chatting with the real program: two, then three programs (each with
// its own settings and runtime folder) and the server, driven only through
// the programs' automation sockets, as their users would drive them. What a
// user sees is read back as a user can: the chats list's entries with their
// unread counts, a message copied to the clipboard from its menu, the sounds
// played, screenshots.
//
// NOTE: the program has no contact list to tap yet; a test plug-in
// (chat_opener_plugin.cpp) opens a conversation the way a tap on its row
// will, by raising "messaging.chat.contact" or "messaging.chat.group".
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "cutoff_relay.h"
#include "program_child.h"
#include "server_child.h"

namespace kestrova::e2e {
namespace {

using namespace std::chrono_literals;

constexpr char kSmallScreen[] = "240x320@131";
constexpr char kLargeScreen[] = "480x640@192";

// The quoted words of an automation reply: OK menu "a" "b" -> {a, b}.
std::vector<std::string> quotedWords(const std::string& reply) {
    std::vector<std::string> words;
    for (size_t i = 0; i < reply.size(); ++i) {
        if (reply[i] != '"') continue;
        std::string word;
        for (++i; i < reply.size() && reply[i] != '"'; ++i) {
            if (reply[i] == '\\' && i + 1 < reply.size()) {
                ++i;
                word += reply[i] == 'n' ? '\n' : reply[i];
                continue;
            }
            word += reply[i];
        }
        words.push_back(word);
    }
    return words;
}

std::filesystem::path screenshotFolder() {
    const char* bin = std::getenv("KESTROVA_BIN");
    std::filesystem::path folder =
        (bin ? std::filesystem::path(bin).parent_path() : std::filesystem::current_path()) / "screenshots";
    std::filesystem::create_directories(folder);
    return folder;
}

// One person's program and what that person does with it.
class Person {
  public:
    Person(std::unique_ptr<ProgramChild> program) : program_(std::move(program)) {}

    ProgramChild& program() { return *program_; }
    bool signedIn() {
        return program_->waitUntilContains("find title=\"connection.state 100\"", "OK 0x", 60s);
    }

    // Opens the chat as a tap on its row would; true once it is in front.
    bool openChat(const std::string& target) {
        std::string opener =
            okValue(program_->waitFor("find title=" + quoted("open " + target),
                                      [](const std::string& r) { return r.starts_with("OK "); }));
        if (opener.empty()) return false;
        program_->request("close " + opener);
        return chatInFront();
    }
    bool chatInFront() {
        for (int attempt = 0; attempt < 200; ++attempt) {
            std::string chat = okValue(program_->request("find class=RY_CHATWINDOW visible=1"));
            if (!chat.empty() && okValue(program_->request("foreground")) == chat) return true;
            std::this_thread::sleep_for(50ms);
        }
        return false;
    }
    std::string frontTitle() {
        return quotedWords(program_->request("text " + okValue(program_->request("foreground")))).at(0);
    }

    void say(const std::string& text) {
        program_->request("type " + text);
        program_->request("key ENTER");
    }

    // The chats list's entries, as the Chats soft key shows them.
    std::vector<std::string> chatsList() {
        program_->request("choose");
        program_->request("softkey 1");
        std::vector<std::string> entries = quotedWords(program_->request("modal"));
        return entries;
    }
    bool chatsListShows(const std::string& entry) {
        for (int attempt = 0; attempt < 300; ++attempt) {
            for (const std::string& shown : chatsList())
                if (shown == entry) return true;
            std::this_thread::sleep_for(100ms);
        }
        return false;
    }
    void openFromChatsList(const std::string& entry) {
        program_->request("choose " + quoted(entry));
        program_->request("softkey 1");
    }

    // The text of the selected item of the chat in front, copied from its
    // menu; "nothing copied" for an item without text.
    std::string copySelected() {
        program_->request("clipboard set \"nothing copied\"");
        program_->request("choose \"Copy to Clipboard\"");
        program_->request("key ENTER");
        std::vector<std::string> words = quotedWords(program_->request("clipboard"));
        return words.empty() ? "" : words[0];
    }
    // The text of the newest message of the chat in front.
    std::string lastMessage() {
        program_->request("key UP"); // from the text input to the messages
        program_->request("key END");
        std::string text = copySelected();
        program_->request("key DOWN"); // back to the text input
        return text;
    }
    std::vector<std::string> sounds() { return quotedWords(program_->request("sounds")); }
    void screenshot(const std::string& name) {
        program_->request("screenshot " + quoted((screenshotFolder() / (name + ".png")).string()));
    }

  private:
    std::unique_ptr<ProgramChild> program_;
};

class ChatsBetweenPrograms : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/kestrova-chats-XXXXXX";
        root_ = ::mkdtemp(pattern);
        server_ = std::make_unique<ServerChild>((root_ / "server.db").string(), 0,
                                                std::vector<std::string>{"--demo"});
        ASSERT_NE(server_->port(), 0);
        folder_ = makeProgramFolder(root_ / "program", {KESTROVA_E2E_OPENER});
    }
    void TearDown() override {
        people_.clear();
        server_.reset();
        std::filesystem::remove_all(root_);
    }

    Person& start(const HarnessAccount& account, const std::string& screen, uint16_t port = 0) {
        ProgramOptions options;
        options.folder = folder_;
        options.screen = screen;
        options.waveOut = root_ / (account.user + ".wav");
        auto program = std::make_unique<ProgramChild>(root_ / account.user, port ? port : server_->port(),
                                                      account, options);
        EXPECT_TRUE(program->ready()) << account.user << "'s program did not start";
        people_[account.user] = std::make_unique<Person>(std::move(program));
        return *people_[account.user];
    }
    Person& signIn(const HarnessAccount& account, const std::string& screen = kSmallScreen) {
        Person& person = start(account, screen);
        EXPECT_TRUE(person.signedIn()) << account.user << " did not sign in";
        return person;
    }
    std::uintmax_t soundBytes(const HarnessAccount& account) {
        std::error_code ec;
        std::uintmax_t size = std::filesystem::file_size(root_ / (account.user + ".wav"), ec);
        return ec ? 0 : size;
    }

    std::filesystem::path root_;
    std::filesystem::path folder_;
    std::unique_ptr<ServerChild> server_;
    std::map<std::string, std::unique_ptr<Person>> people_;
};

TEST_F(ChatsBetweenPrograms, AnnWritesBobHearsItReadsItAndAnswers) {
    Person& ann = signIn(kAnn, kSmallScreen);
    Person& bob = signIn(kBob, kLargeScreen);
    ASSERT_TRUE(ann.openChat("contact bob@example.org"));
    EXPECT_EQ(ann.frontTitle(), "Bob");
    EXPECT_EQ(quotedWords(ann.program().request("softkeys")), (std::vector<std::string>{"Chats", "Close"}));
    ann.say("Hello Bob, are you there?");

    ASSERT_TRUE(bob.chatsListShows("Ann (1)")) << "Bob's unread count shows";
    EXPECT_EQ(bob.sounds(), std::vector<std::string>{"messaging/105"}) << "and he heard the alert";
    for (int attempt = 0; attempt < 100 && soundBytes(kBob) <= 44u; ++attempt)
        std::this_thread::sleep_for(50ms);
    EXPECT_GT(soundBytes(kBob), 44u) << "played into his sound output";

    bob.openFromChatsList("Ann (1)");
    ASSERT_TRUE(bob.chatInFront());
    EXPECT_EQ(bob.frontTitle(), "Ann");
    EXPECT_EQ(bob.lastMessage(), "Hello Bob, are you there?");
    std::vector<std::string> list = bob.chatsList();
    EXPECT_EQ(std::count(list.begin(), list.end(), "Ann"), 1) << "read: the count is gone";

    bob.say("Yes, I am here.");
    for (int attempt = 0; attempt < 100 && ann.lastMessage() != "Yes, I am here."; ++attempt)
        std::this_thread::sleep_for(100ms);
    EXPECT_EQ(ann.lastMessage(), "Yes, I am here.") << "Ann's chat in front shows the answer";
    list = ann.chatsList();
    EXPECT_EQ(std::count(list.begin(), list.end(), "Bob"), 1) << "seen at once, never unread";
    EXPECT_TRUE(ann.sounds().size() <= 1u);
    ann.screenshot("e2e_chat_ann_240x320");
    bob.screenshot("e2e_chat_bob_480x640");
}

TEST_F(ChatsBetweenPrograms, AGroupOfThreeTalks) {
    Person& ann = signIn(kAnn);
    Person& bob = signIn(kBob);
    Person& cat = signIn(kCat, kLargeScreen);
    ASSERT_TRUE(ann.openChat("group Demo group"));
    EXPECT_EQ(ann.frontTitle(), "Demo group");
    ann.say("Lunch at noon?");
    EXPECT_TRUE(bob.chatsListShows("Demo group (1)"));
    ASSERT_TRUE(cat.chatsListShows("Demo group (1)"));
    cat.openFromChatsList("Demo group (1)");
    ASSERT_TRUE(cat.chatInFront());
    EXPECT_EQ(cat.lastMessage(), "Lunch at noon?");
    cat.say("Count me in.");
    EXPECT_TRUE(bob.chatsListShows("Demo group (2)"));
    for (int attempt = 0; attempt < 100 && ann.lastMessage() != "Count me in."; ++attempt)
        std::this_thread::sleep_for(100ms);
    EXPECT_EQ(ann.lastMessage(), "Count me in.");
    cat.screenshot("e2e_group_cat_480x640");
}

TEST_F(ChatsBetweenPrograms, HistoryPagesBackPastTheFirstMessageShown) {
    Person& ann = signIn(kAnn);
    Person& bob = signIn(kBob);
    ASSERT_TRUE(ann.openChat("contact bob@example.org"));
    for (const char* line : {"First of three", "Second of three", "Third of three"})
        ann.say(line);
    ASSERT_TRUE(bob.chatsListShows("Ann (3)"));

    // A new window starts empty, with the history marker at the top.
    ann.program().request("key F2");
    ASSERT_TRUE(ann.openChat("contact bob@example.org"));
    ann.program().request("key UP");
    ann.program().request("key HOME");
    ann.program().request("key UP");
    ann.program().request("key UP");
    ann.program().request("key UP");
    // The three presses go as one request after a quarter second; the
    // answers take the placeholders' places.
    std::this_thread::sleep_for(3s);
    ann.program().request("key HOME");
    std::vector<std::string> shown;
    for (int i = 0; i < 4; ++i) {
        shown.push_back(ann.copySelected());
        ann.program().request("key DOWN");
    }
    // The marker, unless the server said that nothing older exists, then
    // the three messages in the order they were written.
    if (shown.front() == "nothing copied") shown.erase(shown.begin());
    ASSERT_GE(shown.size(), 3u);
    EXPECT_EQ(shown[0], "First of three");
    EXPECT_EQ(shown[1], "Second of three");
    EXPECT_EQ(shown[2], "Third of three");
    ann.screenshot("e2e_history_ann_240x320");
}

TEST_F(ChatsBetweenPrograms, AMessageToBobWhileHeIsAwayArrivesWhenHeStarts) {
    Person& ann = signIn(kAnn);
    ASSERT_TRUE(ann.openChat("contact bob@example.org"));
    ann.say("Call me when you are back.");
    std::this_thread::sleep_for(1s); // the server has it before Bob comes

    Person& bob = signIn(kBob);
    ASSERT_TRUE(bob.chatsListShows("Ann (1)"));
    EXPECT_TRUE(bob.sounds().empty()) << "messages kept while away do not ring";
    bob.openFromChatsList("Ann (1)");
    ASSERT_TRUE(bob.chatInFront());
    EXPECT_EQ(bob.lastMessage(), "Call me when you are back.");
}

TEST_F(ChatsBetweenPrograms, WhenAnnsProgramDiesInTheMiddleOfALongMessageBobNeverSeesHalfOfIt) {
    CutoffRelay line(server_->port());
    ASSERT_NE(line.port(), 0);
    Person& bob = signIn(kBob, kLargeScreen);
    Person& ann = start(kAnn, kSmallScreen, line.port());
    ASSERT_TRUE(ann.signedIn());
    ASSERT_TRUE(bob.openChat("contact ann@example.org"));

    ASSERT_TRUE(ann.openChat("contact bob@example.org"));
    std::string story;
    while (story.size() < 1200)
        story += "A long story, told in many words. ";
    ann.say(story);
    ASSERT_TRUE(line.waitForCut()) << "the first chunk went out and the rest was held back";
    std::this_thread::sleep_for(500ms); // the first chunk reaches Bob
    ann.program().kill();
    line.drop();

    std::this_thread::sleep_for(2s);
    std::string shown = bob.lastMessage();
    EXPECT_TRUE(shown == "nothing copied" || shown == story)
        << "Bob saw half a message: [" << shown.substr(0, 60) << "] " << shown.size() << " bytes";
    EXPECT_TRUE(bob.sounds().empty()) << "no alert for a message that never came whole";
    std::vector<std::string> list = bob.chatsList();
    EXPECT_EQ(std::count(list.begin(), list.end(), "Ann (1)"), 0);
    bob.screenshot("e2e_cut_off_bob_480x640");
}

} // namespace
} // namespace kestrova::e2e
