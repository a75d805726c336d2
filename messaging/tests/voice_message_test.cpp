// Voice messages in a chat window, on the platform's WAV sound and virtual
// clock: what the push-to-talk button sends while the user speaks, and what
// the playback queue writes to the output, compared with libspeex's own
// encoding and decoding of the same sound (called directly).
#include <chrono>
#include <cmath>
#include <thread>

#include "chat_scene.h"
#include "device_files.h"
#include "direct_speex.h"
#include "kestrova/kit/settings.h"
#include "kestrova/platform/audio_settings.h"
#include "kestrova/platform/automation.h"
#include "playback_queue.h"
#include "voice_body.h"

namespace kestrova::messaging::testing {
namespace {

using namespace std::chrono_literals;
using namespace kestrova::platform;

std::vector<uint8_t> encoded(std::span<const uint8_t> pcm) {
    return direct_speex::encode({pcm.begin(), pcm.end()});
}

// What libspeex makes of the bodies played one after the other.
std::vector<uint8_t> decoded(std::initializer_list<std::span<const uint8_t>> bodies) {
    std::vector<uint8_t> joined;
    for (auto body : bodies)
        joined.insert(joined.end(), body.begin(), body.end());
    return direct_speex::decode(joined);
}

size_t recordCount(std::span<const uint8_t> body) {
    size_t count = 0, at = 0;
    while (auto record = readVoiceRecord(body, at))
        ++count, at = record->next;
    return count;
}

std::string bodyOf(HMESSAGE message) {
    RY_MessageData data{};
    data.size = sizeof data;
    RY_GetMessageData(message, &data);
    return {static_cast<const char*>(data.data), static_cast<size_t>(data.dataLength)};
}

std::span<const uint8_t> bytes(const std::string& s) {
    return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

class VoiceMessages : public ChatScene {
  protected:
    void SetUp() override {
        ChatScene::SetUp();
        spoken_ = direct_speex::speech(2 * 16000);
        device_files::writeFile(folder_ / "in.wav", device_files::wavBytes(kVoiceFormat, spoken_));
        setAudioSettings({AudioBackend::kWav, folder_ / "in.wav", folder_ / "out.wav"});
    }
    void TearDown() override {
        ChatScene::TearDown();
        setAudioSettings({});
    }

    PushToTalkButton& voiceButton(ChatWindow& chat) {
        press(VK_RIGHT); // the voice mode
        platform::setFocus(chat.voiceButton()->hwnd());
        pump();
        return *chat.voiceButton();
    }
    void run(std::chrono::milliseconds duration) { device_files::runFor(*clock_, duration); }
    std::vector<uint8_t> played() { return device_files::wavSamples(folder_ / "out.wav"); }
    // A voice message from Bob; complete, or the first part of one.
    kit::OwnedMessage voiceFrom(HCONTACT from, const std::vector<uint8_t>& body, bool complete = true) {
        return received(from, kVoiceContentType, {reinterpret_cast<const char*>(body.data()), body.size()},
                        complete);
    }
    PlaybackQueue& queue() { return static_cast<PlaybackQueue&>(*plugin_->session()->playback()); }

    device_files::TempFolder folder_;
    std::vector<uint8_t> spoken_;
};

TEST_F(VoiceMessages, HoldingTheKeySendsAMessageThatGrowsWhileSpokenAndIsCompleteAtRelease) {
    ChatWindow* chat = openChat(bob_);
    ASSERT_NE(chat, nullptr);
    PushToTalkButton& button = voiceButton(*chat);

    platform::keyDown(VK_SPACE);
    pump();
    ASSERT_TRUE(button.recording());
    EXPECT_EQ(platform::visibleText(button.hwnd()), "Release to Send");
    ASSERT_EQ(sent_.size(), 1u) << "sent before the first sound";
    EXPECT_EQ(sent_[0].contentType, "audio/x-speex");
    EXPECT_TRUE(sent_[0].body.empty());
    EXPECT_FALSE(sent_[0].complete);
    EXPECT_EQ(sent_[0].target, bob_);
    kit::OwnedMessage message = kit::OwnedMessage::share(button.message());

    run(400ms);
    size_t early = recordCount(bytes(bodyOf(message.get())));
    EXPECT_GE(early, 16u) << "each 40 ms buffer adds its two frames at once";
    platform::keyDown(VK_SPACE, true); // auto-repeat: still the same recording
    pump();
    run(1600ms);
    EXPECT_GT(recordCount(bytes(bodyOf(message.get()))), early);
    platform::keyUp(VK_SPACE);
    pump();
    EXPECT_FALSE(button.recording());
    EXPECT_EQ(platform::visibleText(button.hwnd()), "Push to Talk");
    EXPECT_EQ(sent_.size(), 1u);

    RY_MessageData data{};
    data.size = sizeof data;
    RY_GetMessageData(message.get(), &data);
    EXPECT_EQ(data.complete, 1);
    std::string body = bodyOf(message.get());
    size_t frames = recordCount(bytes(body));
    EXPECT_GE(frames, 98u);
    EXPECT_LE(frames, 101u);
    // Nothing lost, repeated or reordered: the body is the codec's encoding
    // of the sound from its start, as far as it was recorded.
    size_t heard = std::min(spoken_.size(), frames * 640);
    EXPECT_EQ(body,
              std::string(reinterpret_cast<const char*>(encoded(std::span(spoken_).first(heard)).data()),
                          encoded(std::span(spoken_).first(heard)).size()));

    // Released at once: still a complete voice message, sent and shown.
    platform::keyDown('0');
    pump();
    platform::keyUp('0');
    pump();
    ASSERT_EQ(sent_.size(), 2u);
    EXPECT_EQ(sent_[1].contentType, "audio/x-speex");
    EXPECT_EQ(chat->view().count(), 3u) << "the history marker and both recordings";
}

TEST_F(VoiceMessages, AVoiceMessageArrivingWhileTheUserSpeaksPlaysAfterTheRecordingThenTheNextOne) {
    ChatWindow* chat = openChat(bob_);
    ASSERT_NE(chat, nullptr);
    PushToTalkButton& button = voiceButton(*chat);
    std::vector<uint8_t> first = encoded(std::span(spoken_).first(16000)); // a quarter of a second
    std::vector<uint8_t> second = encoded(std::span(spoken_).subspan(16000, 6400));

    platform::keyDown(VK_RETURN);
    pump();
    ASSERT_TRUE(button.recording());
    arrives(bob_, {reinterpret_cast<const char*>(first.data()), first.size()}, nullptr, kVoiceContentType);
    run(300ms);
    EXPECT_FALSE(queue().playing()) << "nothing plays while the user speaks";
    EXPECT_EQ(queue().queued(), 1u);
    platform::keyUp(VK_RETURN);
    pump();
    EXPECT_TRUE(queue().playing());
    arrives(bob_, {reinterpret_cast<const char*>(second.data()), second.size()}, nullptr, kVoiceContentType);
    run(1000ms);
    EXPECT_FALSE(queue().playing()) << "the player goes when the queue is played";
    EXPECT_EQ(played(), decoded({first, second})) << "back to back, in order, every frame";
}

TEST_F(VoiceMessages, AMessageStillArrivingIsFollowedAsItGrowsAndADamagedOneStopsAtTheDamage) {
    std::vector<uint8_t> body = encoded(spoken_);
    size_t firstPart = 0;
    for (int i = 0; i < 10; ++i)
        firstPart = readVoiceRecord(body, firstPart)->next;
    kit::OwnedMessage message = voiceFrom(bob_, {body.begin(), body.begin() + long(firstPart)}, false);

    queue().queueForPlayback(message.get()); // "Stream"
    ASSERT_TRUE(queue().playing());
    // The rest arrives in chunks while it plays, slower than it plays at first.
    size_t sent = firstPart;
    while (sent < body.size()) {
        run(300ms);
        size_t chunk = std::min<size_t>(512, body.size() - sent);
        RY_ContinueMessage(message.get(), body.data() + sent, int32_t(chunk), sent + chunk == body.size());
        sent += chunk;
    }
    run(3000ms);
    EXPECT_FALSE(queue().playing());
    EXPECT_EQ(played(), decoded({body})) << "what arrived late was played too, in order";

    // Bob sends the same message again; its third record says it is longer
    // than any frame: two frames play, then the next message follows.
    std::filesystem::remove(folder_ / "out.wav");
    std::vector<uint8_t> damaged(body.begin(), body.begin() + long(firstPart));
    size_t third = readVoiceRecord(damaged, readVoiceRecord(damaged, 0)->next)->next;
    damaged[third] = 0xFF;
    damaged[third + 1] = 0x7F;
    std::vector<uint8_t> after = encoded(std::span(spoken_).first(12800)); // 20 frames
    queue().queueForPlayback(voiceFrom(bob_, damaged).get());
    queue().queueForPlayback(voiceFrom(bob_, after).get());
    queue().queueForPlayback(voiceFrom(bob_, {}).get());
    EXPECT_EQ(queue().queued(), 1u)
        << "the damaged one is read to its damage; one without a body never queued";
    run(1000ms);
    EXPECT_EQ(played(), decoded({std::span(damaged).first(third), after}));
}

TEST_F(VoiceMessages, AStreamThatStopsGrowingIsLeftAfterAWhileAndAutomaticPlaybackFollowsTheSetting) {
    std::vector<uint8_t> body = encoded(std::span(spoken_).first(6400));
    kit::OwnedMessage stalled = voiceFrom(bob_, body, false);
    queue().queueForPlayback(stalled.get());
    run(1000ms);
    EXPECT_TRUE(queue().playing()) << "waiting for the rest of the message";
    run(PlaybackQueue::kStreamStall);
    EXPECT_FALSE(queue().playing());
    EXPECT_EQ(queue().queued(), 0u);

    kit::writeSetting(settings::kNotificationSound, 0);
    arrives(bob_, {reinterpret_cast<const char*>(body.data()), body.size()}, nullptr, kVoiceContentType);
    EXPECT_FALSE(queue().playing()) << "sounds off: no automatic playback";
    kit::writeSetting(settings::kNotificationSound, 1);
    arrives(bob_, {reinterpret_cast<const char*>(body.data()), body.size()}, nullptr, kVoiceContentType);
    EXPECT_TRUE(queue().playing());
}

TEST_F(VoiceMessages, ThePointerHoldsTheButtonAndLosingTheFocusEndsTheRecording) {
    ChatWindow* chat = openChat(bob_);
    ASSERT_NE(chat, nullptr);
    PushToTalkButton& button = voiceButton(*chat);
    platform::Rect at = platform::windowRect(button.hwnd());
    platform::Point middle{(at.left + at.right) / 2, (at.top + at.bottom) / 2};
    platform::pointerDown(middle);
    pump();
    ASSERT_TRUE(button.recording());
    run(120ms);
    screenshot(*chat, "voice_recording");
    platform::setFocus(chat->view().hwnd());
    pump();
    EXPECT_FALSE(button.recording()) << "the focus went elsewhere";
    ASSERT_EQ(sent_.size(), 1u);
    platform::pointerUp(middle);
    pump();
    EXPECT_FALSE(button.recording());
    EXPECT_EQ(sent_.size(), 1u) << "the release starts nothing";

    // Up and Down move on, Left goes back to the text mode.
    platform::setFocus(button.hwnd());
    press(VK_UP);
    EXPECT_NE(platform::focusWindow(), button.hwnd());
    platform::setFocus(button.hwnd());
    press(VK_LEFT);
    EXPECT_TRUE(platform::isVisible(chat->textInput().hwnd()));
}

TEST_F(VoiceMessages, StoppingThePlugInWhileTheUserSpeaksCompletesTheMessage) {
    ChatWindow* chat = openChat(bob_);
    ASSERT_NE(chat, nullptr);
    PushToTalkButton& button = voiceButton(*chat);
    platform::keyDown(VK_SPACE);
    pump();
    kit::OwnedMessage message = kit::OwnedMessage::share(button.message());
    ASSERT_NE(message.get(), nullptr);
    run(200ms);
    arrives(bob_, "not a frame", nullptr, kVoiceContentType); // waits in the held queue
    plugin_->Stop();
    platform::keyUp(VK_SPACE);
    pump();
    RY_MessageData data{};
    data.size = sizeof data;
    RY_GetMessageData(message.get(), &data);
    EXPECT_EQ(data.complete, 1);
    EXPECT_GE(recordCount(bytes(bodyOf(message.get()))), 10u);
    bool free = false;
    std::thread([&] {
        free = RY_AudioTryLock();
        if (free) RY_AudioUnlock();
    }).join();
    EXPECT_TRUE(free) << "the audio lock was given back (another thread takes it)";
}

} // namespace
} // namespace kestrova::messaging::testing
