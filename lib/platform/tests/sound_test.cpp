#include <gtest/gtest.h>

#include <cstdlib>

#include "kestrova/platform/audio_settings.h"
#include "kestrova/platform/registry.h"
#include "kestrova/platform/sound.h"
#include "kestrova/platform/sound_profile.h"
#include "support/device_files.h"
#include "test_window.h"

using namespace testing_windows;
using namespace device_files;
using namespace std::chrono_literals;

namespace {

// A module's resources in a folder of the test's own, sound played into a WAV file.
struct Sound : WindowTest {
    void SetUp() override {
        WindowTest::SetUp();
        setAudioSettings({AudioBackend::kWav, {}, out()});
        clearSoundRecord();
    }
    void TearDown() override {
        stopSound();
        setAudioSettings({});
        WindowTest::TearDown();
    }
    fs::path out() const { return folder / "out.wav"; }

    TempFolder folder;
    ScopedEnv resources{"KESTROVA_RESOURCES", (folder / "resources").string()};
    VirtualClock clock;
};

} // namespace

TEST_F(Sound, TheAlertResourcePlaysAsynchronouslyIntoTheOutput) {
    // 150 ms at 8 kHz, as alert clips are made: it plays as 150 ms of 16 kHz samples.
    std::vector<uint8_t> clip(2400, 0x22);
    writeFile(soundResourcePath(nullptr, {"", 105}), wavBytes({1, 8000, 16}, clip));
    EXPECT_EQ(soundResourcePath(nullptr, {"", 105}), folder / "resources/kestrova/sounds/105.wav");

    ASSERT_TRUE(playSoundResource(nullptr, {"", 105}));
    EXPECT_TRUE(soundPlaying());
    EXPECT_EQ(wavSamples(out()).size(), 0u); // nothing played yet: the call did not wait
    runFor(clock, 150ms);
    EXPECT_FALSE(soundPlaying());
    EXPECT_EQ(wavSamples(out()), std::vector<uint8_t>(4800, 0x22));
    EXPECT_EQ(soundsPlayed(), std::vector<std::string>{"kestrova/105"});

    EXPECT_FALSE(playSoundResource(nullptr, {"MISSING", 0}));
    writeFile(soundResourcePath(nullptr, {"BROKEN", 0}), {'R', 'I', 'F', 'F'});
    EXPECT_FALSE(playSoundResource(nullptr, {"BROKEN", 0}));
    EXPECT_EQ(soundsPlayed().size(), 1u);
}

TEST_F(Sound, ANewSoundCutsOffTheOneStillPlaying) {
    writeFile(soundResourcePath(nullptr, {"LONG", 0}),
              wavBytes(kVoiceFormat, std::vector<uint8_t>(32000, 0x33)));
    ASSERT_TRUE(playSoundResource(nullptr, {"LONG", 0}));
    runFor(clock, 50ms);
    ASSERT_TRUE(playDefaultBeep());
    runFor(clock, 500ms);
    auto played = wavSamples(out());
    // 50 ms of the long sound, then the whole beep (120 ms).
    ASSERT_EQ(played.size(), 1600u + 3840u);
    EXPECT_EQ(std::vector<uint8_t>(played.begin(), played.begin() + 1600), std::vector<uint8_t>(1600, 0x33));
    EXPECT_NE(std::vector<uint8_t>(played.begin() + 1600, played.end()), std::vector<uint8_t>(3840, 0));
    EXPECT_EQ(soundsPlayed(), (std::vector<std::string>{"kestrova/LONG", "beep"}));
}

TEST(SoundProfile, IsReadFromTheUsersRegistryWithAbsentValuesAsNone) {
    TempFolder home;
    ScopedEnv homeEnv("KESTROVA_HOME", home.path().string());
    EXPECT_EQ(activeSoundProfile(), std::nullopt);
    EXPECT_EQ(notificationOverrideMode(), kNoOverride);

    ASSERT_TRUE(setActiveSoundProfile(kMeetingProfile));
    ASSERT_TRUE(setNotificationOverrideMode(kOverrideVibrate));
    EXPECT_EQ(activeSoundProfile(), "Meeting");
    EXPECT_EQ(notificationOverrideMode(), 1);
    auto key = RegistryKey::open(Hive::CurrentUser, "ControlPanel\\Notifications\\ShellOverrides");
    ASSERT_TRUE(key);
    EXPECT_EQ(key->value("Mode"), "1");

    for (const char* unreadable : {"vibrate", "1x", "99999999999", ""}) {
        RegistryKey k = RegistryKey::create(Hive::CurrentUser, kShellOverridesKey);
        k.setValue(kOverrideModeValue, unreadable);
        ASSERT_TRUE(k.commit());
        EXPECT_EQ(notificationOverrideMode(), kNoOverride) << unreadable;
    }
    ASSERT_TRUE(setActiveSoundProfile(""));
    EXPECT_EQ(activeSoundProfile(), std::nullopt);
}
