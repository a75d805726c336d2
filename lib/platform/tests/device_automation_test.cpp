#include <gtest/gtest.h>

#include "kestrova/platform/audio_settings.h"
#include "kestrova/platform/automation.h"
#include "kestrova/platform/camera.h"
#include "kestrova/platform/shell_open.h"
#include "kestrova/platform/sound.h"
#include "kestrova/platform/vibration.h"
#include "support/device_files.h"
#include "test_window.h"

using namespace testing_windows;
using namespace device_files;

using DeviceAutomation = WindowTest;

TEST_F(DeviceAutomation, ScriptsReadWhatTheUserFeltAndWasShownAndSetUpTheDevices) {
    TempFolder folder;
    ScopedEnv home("KESTROVA_HOME", folder.path().string());
    ModalAnswers answers(true);
    auto run = [&](const std::string& line) { return runAutomationCommand(line, answers); };

    clearVibrationRecord();
    startVibration();
    stopVibration();
    EXPECT_EQ(run("vibrations"), "OK starts=1 stops=1 on=0 pattern=on,off");
    EXPECT_EQ(run("vibrations clear"), "OK");
    EXPECT_EQ(run("vibrations"), "OK starts=0 stops=0 on=0 pattern=-");

    EXPECT_EQ(run("clipboard set \"two words\""), "OK");
    EXPECT_EQ(run("clipboard"), "OK \"two words\"");
    EXPECT_EQ(run("clipboard set \"\""), "OK");
    EXPECT_EQ(run("clipboard"), "OK none");

    clearShellOpenRecord();
    openWithShell("www.example.com");
    openWithShell("mailto:someone");
    EXPECT_EQ(run("shellopens"), "OK xdg-open \"http://www.example.com\" refused \"mailto:someone\"");
    EXPECT_EQ(run("shellopens clear"), "OK");
    EXPECT_EQ(run("shellopens"), "OK");

    clearSoundRecord();
    setAudioSettings({AudioBackend::kNull, {}, {}});
    playDefaultBeep();
    stopSound();
    EXPECT_EQ(run("sounds"), "OK \"beep\"");

    EXPECT_EQ(run("camera cancel"), "OK cancel");
    EXPECT_EQ(capturePicture({}).code, S_FALSE);
    EXPECT_EQ(run("camera \"/tmp/my picture.jpg\""), "OK file \"/tmp/my picture.jpg\"");
    EXPECT_EQ(run("camera chooser"), "OK chooser");

    EXPECT_EQ(run("audio wav"), "OK backend=wav now=wav in=\"\" out=\"\"");
    EXPECT_EQ(run("wavein /tmp/in.wav"), "OK backend=wav now=wav in=\"/tmp/in.wav\" out=\"\"");
    EXPECT_EQ(run("audio auto"), "OK backend=auto now=wav in=\"/tmp/in.wav\" out=\"\"");
    EXPECT_EQ(run("wavein \"\""), "OK backend=auto now=null in=\"\" out=\"\"");
    EXPECT_EQ(run("audio alsa"), "ERR expected auto, sdl, wav or null");

    EXPECT_EQ(run("soundprofile"), "OK profile=\"\" mode=-1");
    EXPECT_EQ(run("soundprofile Silent"), "OK profile=\"Silent\" mode=-1");
    EXPECT_EQ(run("overridemode 2"), "OK profile=\"Silent\" mode=2");
    EXPECT_EQ(run("overridemode none"), "OK profile=\"Silent\" mode=-1");
    EXPECT_EQ(run("overridemode loud"), "ERR expected a number or none");

    setAudioSettings({});
    setCameraAnswer({});
}
