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
#include "direct_speex.h"
#include "program_child.h"
#include "server_child.h"

namespace kestrova::e2e {
namespace {

using namespace std::chrono_literals;

constexpr char kSmallScreen[] = "240x320@131";
constexpr char kLargeScreen[] = "480x640@192";

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

    Person& start(const HarnessAccount& account, const std::string& screen, uint16_t port = 0,
                  std::map<std::string, std::string> environment = {}) {
        ProgramOptions options;
        options.environment = std::move(environment);
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
    std::vector<uint8_t> soundSamples(const HarnessAccount& account) {
        std::ifstream in(root_ / (account.user + ".wav"), std::ios::binary);
        std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        return bytes.size() > 44 ? std::vector<uint8_t>(bytes.begin() + 44, bytes.end())
                                 : std::vector<uint8_t>{};
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

// Ann speaks into her microphone (a WAV file of two seconds) while she holds
// the talk key; Bob, whose chat with her is open, streams the message from
// its menu as soon as it shows. He hears it before she lets go, and what his
// program plays is, sample for sample, what the codec itself makes of the
// body Ann's program had to send: her sound encoded from its first sample.
TEST_F(ChatsBetweenPrograms, BobHearsAnnsVoiceMessageWhileSheIsStillSpeaking) {
    std::vector<uint8_t> spoken = direct_speex::speech(2 * 16000);
    std::filesystem::path microphone = root_ / "ann_microphone.wav";
    direct_speex::writeVoiceWav(microphone, spoken);
    Person& bob = signIn(kBob, kLargeScreen);
    Person& ann = start(kAnn, kSmallScreen, 0, {{"KESTROVA_WAVE_IN", microphone.string()}});
    ASSERT_TRUE(ann.signedIn());
    ASSERT_TRUE(bob.openChat("contact ann@example.org"));
    ASSERT_TRUE(ann.openChat("contact bob@example.org"));
    ann.program().request("key RIGHT"); // the voice mode
    ann.program().request("key DOWN");  // its button
    ASSERT_EQ(quotedWords(ann.program().request("text " + okValue(ann.program().request("focus")))),
              std::vector<std::string>{"Push to Talk"});

    ann.program().request("keydown SPACE");
    auto pressed = std::chrono::steady_clock::now();
    bob.program().request("key UP"); // from his text input to the messages
    bool heardWhileSpeaking = false;
    while (std::chrono::steady_clock::now() - pressed < 2500ms) {
        bob.program().request("key END");
        bob.program().request("choose Stream");
        bob.program().request("key ENTER");
        std::this_thread::sleep_for(100ms);
        if (soundBytes(kBob) > 44u + 6400u) {
            heardWhileSpeaking = true;
            break;
        }
    }
    std::this_thread::sleep_for(3000ms - (std::chrono::steady_clock::now() - pressed));
    bool stillSpeaking = std::chrono::steady_clock::now() - pressed < 3200ms;
    ann.program().request("keyup SPACE");
    EXPECT_TRUE(heardWhileSpeaking && stillSpeaking) << "Bob's program played before Ann let go";

    // What Bob hears stops growing once the last chunk has played.
    std::vector<uint8_t> heard;
    for (int quiet = 0; quiet < 10;) {
        std::this_thread::sleep_for(200ms);
        std::vector<uint8_t> now = soundSamples(kBob);
        quiet = now.size() == heard.size() ? quiet + 1 : 0;
        heard = std::move(now);
    }
    ASSERT_EQ(heard.size() % 640, 0u) << "whole frames";
    size_t frames = heard.size() / 640;
    EXPECT_GE(frames, 140u) << "three seconds held, less the time before the first buffer";
    // Ann held the key longer than her sound lasts: the rest was silence.
    std::vector<uint8_t> recorded = spoken;
    recorded.resize(frames * 640, 0);
    std::vector<uint8_t> body = direct_speex::encode(recorded);
    EXPECT_EQ(heard, direct_speex::decode(body)) << "sample for sample";
    ann.screenshot("e2e_voice_ann_240x320");
    bob.screenshot("e2e_voice_bob_480x640");
}

// Ann takes a photo (her camera answers with a picture of 65,535 bytes, the
// largest that may go); it reaches Bob whole and opens in his viewer. One
// byte more is refused on Ann's side with the system's words.
TEST_F(ChatsBetweenPrograms, AnnsPhotoReachesBobByteForByteAndOpensInHisViewer) {
    std::ifstream seed(std::string(KESTROVA_SOURCE_DIR) + "/fuzz/corpus/fuzz_jpeg_image/baseline444.jpg",
                       std::ios::binary);
    std::string photo{std::istreambuf_iterator<char>(seed), std::istreambuf_iterator<char>()};
    ASSERT_GT(photo.size(), 100u);
    photo.resize(65535, '\x5A'); // after the picture's end, as a camera's padding
    std::filesystem::path largest = root_ / "largest.jpg", tooLarge = root_ / "too_large.jpg";
    std::ofstream(largest, std::ios::binary) << photo;
    std::ofstream(tooLarge, std::ios::binary) << photo << 'x';

    Person& ann = signIn(kAnn);
    Person& bob = signIn(kBob, kLargeScreen);
    ASSERT_TRUE(bob.openChat("contact ann@example.org"));
    ASSERT_TRUE(ann.openChat("contact bob@example.org"));
    ann.program().request("key RIGHT");
    ann.program().request("key RIGHT"); // the photo mode
    ann.program().request("key DOWN");  // its button
    ann.program().request("camera " + quoted(tooLarge.string()));
    ann.program().request("key ENTER");
    EXPECT_EQ(quotedWords(ann.program().request("modal")),
              (std::vector<std::string>{"Error", "Image size exceeds 64kB. Please reduce the resolution."}));
    ann.program().request("camera " + quoted(largest.string()));
    ann.program().request("key ENTER");

    // Bob views the newest message once it has come whole (a picture still
    // arriving would show its first part).
    bob.program().request("key UP");
    std::string received;
    for (int attempt = 0; attempt < 100 && received.size() < photo.size(); ++attempt) {
        bob.program().request("shellopens clear");
        bob.program().request("key END");
        bob.program().request("choose View");
        bob.program().request("key ENTER");
        std::string opens = bob.program().request("shellopens");
        if (size_t viewer = opens.find("viewer \""); viewer != std::string::npos) {
            std::ifstream file(quotedWords(opens.substr(viewer)).at(0), std::ios::binary);
            received.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        }
        if (received.size() < photo.size()) std::this_thread::sleep_for(200ms);
    }
    EXPECT_EQ(received.size(), photo.size());
    EXPECT_TRUE(received == photo) << "byte for byte";
    EXPECT_TRUE(bob.program().waitUntilContains("find class=KestrovaImageViewer", "OK 0x", 10s));
    bob.screenshot("e2e_photo_bob_480x640");
}

} // namespace
} // namespace kestrova::e2e
