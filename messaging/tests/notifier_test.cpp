// Alerts on new messages: the phone's profile and override, the user's sound
// setting, the content type and how the message arrived decide between the
// alert sound, the voice message itself, a buzz, and nothing.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

#include "alert_choice.h"
#include "kestrova/bus.h"
#include "kestrova/platform/audio_settings.h"
#include "kestrova/platform/sound.h"
#include "kestrova/platform/sound_profile.h"
#include "kestrova/platform/vibration.h"
#include "kestrova/platform/wav_file.h"
#include "message_notifier.h"
#include "view_scene.h"

namespace kestrova::messaging {
namespace {

using namespace kestrova::platform;
using namespace std::chrono_literals;

struct QueueRecorder : VoicePlayback {
    std::vector<HMESSAGE>* queued;
    explicit QueueRecorder(std::vector<HMESSAGE>* q) : queued(q) {}
    void queueForPlayback(HMESSAGE message) override { queued->push_back(message); }
};

class Alerts : public testing::ViewScene {
  protected:
    void SetUp() override {
        ViewScene::SetUp();
        setAudioSettings({AudioBackend::kNull, {}, {}});
        setActiveSoundProfile("");
        setNotificationOverrideMode(kNoOverride);
        clearSoundRecord();
        clearVibrationRecord();
        notifier_ = std::make_unique<MessageNotifier>(std::make_unique<QueueRecorder>(&queued_));
        bob_ = contact("Bob");
    }
    void TearDown() override {
        notifier_.reset();
        stopSound();
        ViewScene::TearDown();
    }
    // A message completes, as the connection announces it.
    void arrives(const char* type, int32_t origin = RY_ORIGIN_LIVE, std::string_view body = "hello") {
        HMESSAGE m = message(bob_, body, type, origin);
        bus::raise(names::kMessagesNewComplete, m);
        RY_ReleaseMessage(m);
    }
    void waitForPatterns() {
        for (int i = 0; i < 200 && notifier_->vibrations().pending() > 0; ++i)
            std::this_thread::sleep_for(10ms);
    }
    std::vector<std::string> vibrationPattern() {
        waitForPatterns();
        std::vector<std::string> out;
        for (const VibrationEvent& e : vibrationRecord().events)
            out.push_back(e.on ? "on" : "off");
        return out;
    }

    HCONTACT bob_ = nullptr;
    std::vector<HMESSAGE> queued_;
    std::unique_ptr<MessageNotifier> notifier_;
};

using Words = std::vector<std::string>;

TEST_F(Alerts, ATextSoundsTheChimeAndAVoiceMessagePlaysItselfInTheNormalProfile) {
    setActiveSoundProfile("Normal");
    arrives("text/plain");
    EXPECT_EQ(soundsPlayed(), Words{"messaging/105"});
    arrives("audio/x-speex", RY_ORIGIN_LIVE, "\x02\x00ab");
    EXPECT_EQ(queued_.size(), 1u) << "the voice message is queued to play, not chimed";
    EXPECT_EQ(soundsPlayed().size(), 1u);
    // Photos and group notices make no sound.
    arrives("image/jpeg");
    arrives("kestrova/x-admin");
    EXPECT_EQ(soundsPlayed().size(), 1u);
    EXPECT_EQ(vibrationRecord().starts, 0);
}

TEST_F(Alerts, StoredAndHistoryMessagesNeverAlert) {
    arrives("text/plain", RY_ORIGIN_WHILE_CONNECTING);
    arrives("text/plain", RY_ORIGIN_HISTORY);
    arrives("audio/x-speex", RY_ORIGIN_HISTORY);
    EXPECT_TRUE(soundsPlayed().empty());
    EXPECT_TRUE(queued_.empty());
}

TEST_F(Alerts, MeetingVibratesSilentKeepsQuietAndTheSettingTurnsSoundsOff) {
    setActiveSoundProfile("Meeting");
    arrives("text/plain");
    EXPECT_EQ(vibrationPattern(), (Words{"on", "off", "on", "off"}));
    EXPECT_TRUE(soundsPlayed().empty());

    clearVibrationRecord();
    setActiveSoundProfile("Silent");
    arrives("text/plain");
    arrives("audio/x-speex", RY_ORIGIN_LIVE, "\x02\x00ab");
    EXPECT_TRUE(vibrationPattern().empty());
    EXPECT_TRUE(soundsPlayed().empty());
    EXPECT_TRUE(queued_.empty());

    setActiveSoundProfile("Normal");
    RY_SetSettingLong("messaging.notifications.sound", 0);
    arrives("text/plain");
    arrives("audio/x-speex", RY_ORIGIN_LIVE, "\x02\x00ab");
    EXPECT_TRUE(soundsPlayed().empty());
    EXPECT_TRUE(queued_.empty()) << "no automatic playback with sounds off";
    EXPECT_TRUE(vibrationPattern().empty()) << "sounds off is not a reason to vibrate";
}

TEST_F(Alerts, TheOverrideModeDecidesOutsideTheNamedProfiles) {
    EXPECT_EQ(chooseAlert(std::nullopt, kNoOverride, true), AlertKind::kSound);
    EXPECT_EQ(chooseAlert("Normal", 1, true), AlertKind::kVibrate);
    EXPECT_EQ(chooseAlert("Normal", 2, true), AlertKind::kNone);
    EXPECT_EQ(chooseAlert("Outdoor", 7, true), AlertKind::kSound);
    EXPECT_EQ(chooseAlert("Meeting", 2, false), AlertKind::kVibrate) << "the profile outranks the mode";
    EXPECT_EQ(chooseAlert("Silent", 1, true), AlertKind::kNone);
    EXPECT_EQ(chooseAlert("meeting", kNoOverride, true), AlertKind::kSound) << "names compare exactly";

    setNotificationOverrideMode(1);
    arrives("audio/x-speex", RY_ORIGIN_LIVE, "\x02\x00ab");
    EXPECT_EQ(vibrationPattern(), (Words{"on", "off", "on", "off"}));
    EXPECT_TRUE(queued_.empty());
}

TEST_F(Alerts, PatternsAskedForTogetherFollowEachOtherAndAreFinishedBeforeTheNotifierGoes) {
    setActiveSoundProfile("Meeting");
    arrives("text/plain");
    arrives("text/plain");
    arrives("text/plain");
    notifier_.reset(); // joins its worker: no pattern outlives it
    VibrationRecord record = vibrationRecord();
    EXPECT_FALSE(record.on) << "the device is left still";
    EXPECT_EQ(record.starts, record.stops);
    Words pattern;
    for (const VibrationEvent& e : record.events)
        pattern.push_back(e.on ? "on" : "off");
    for (size_t i = 0; i + 1 < pattern.size(); i += 2) {
        EXPECT_EQ(pattern[i], "on");
        EXPECT_EQ(pattern[i + 1], "off") << "never two starts in a row: patterns do not interleave";
    }
}

TEST_F(Alerts, TheChimeIsOurOwn150MillisecondClip) {
    std::ifstream in(resourcesRoot() / "messaging" / "sounds" / "105.wav", std::ios::binary);
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    auto sound = parseWav(bytes);
    ASSERT_TRUE(std::holds_alternative<PcmSound>(sound));
    const PcmSound& clip = std::get<PcmSound>(sound);
    EXPECT_EQ(clip.format.channels, 1);
    EXPECT_EQ(clip.format.samplesPerSecond, 8000u);
    EXPECT_EQ(clip.format.bitsPerSample, 16);
    EXPECT_EQ(clip.samples.size(), 2400u);
}

} // namespace
} // namespace kestrova::messaging
