#include <gtest/gtest.h>

#include <thread>

#include "kestrova/platform/automation.h"
#include "kestrova/platform/camera.h"
#include "kestrova/platform/clipboard.h"
#include "kestrova/platform/display.h"
#include "kestrova/platform/input.h"
#include "kestrova/platform/menu.h"
#include "kestrova/platform/screen.h"
#include "kestrova/platform/shell_open.h"
#include "kestrova/platform/vibration.h"
#include "kestrova/platform/window.h"
#include "support/device_files.h"
#include "test_window.h"

using namespace testing_windows;
using namespace device_files;

namespace {

constexpr char kViewerClass[] = "KestrovaImageViewer";

struct ShellServices : WindowTest {
    void SetUp() override {
        WindowTest::SetUp();
        clearShellOpenRecord();
        clearVibrationRecord();
    }
    std::vector<std::pair<std::string, std::string>> opened() {
        std::vector<std::pair<std::string, std::string>> out;
        for (auto& r : shellOpenRecord())
            out.emplace_back(r.how, r.target);
        return out;
    }
    TempFolder folder;
};

} // namespace

TEST_F(ShellServices, VibrationFromAnotherThreadIsRecordedAndFramesTheScreen) {
    makeTopLevel("Kestrova", workArea());
    std::thread pattern([] {
        startVibration();
        stopVibration();
        startVibration();
    });
    pattern.join();
    VibrationRecord record = vibrationRecord();
    EXPECT_EQ(record.starts, 2);
    EXPECT_EQ(record.stops, 1);
    EXPECT_TRUE(isVibrating());
    ASSERT_EQ(record.events.size(), 3u);
    EXPECT_TRUE(record.events[0].on && !record.events[1].on && record.events[2].on);

    auto shaking = captureScreen();
    EXPECT_EQ(shaking->pixel(0, 160), rgb(255, 140, 0));
    EXPECT_EQ(shaking->pixel(239, 160), rgb(255, 140, 0));
    EXPECT_EQ(shaking->pixel(120, 160), rgb(255, 255, 255));
    stopVibration();
    EXPECT_NE(captureScreen()->pixel(0, 160), rgb(255, 140, 0));

    // A Pocket PC vibrates through its notification LED number 1.
    EXPECT_TRUE(setNotificationLed(kVibratorLed, true));
    EXPECT_TRUE(isVibrating());
    EXPECT_FALSE(setNotificationLed(2, false));
    EXPECT_TRUE(isVibrating());
    EXPECT_TRUE(setNotificationLed(kVibratorLed, false));
    EXPECT_EQ(vibrationRecord().starts, 3);
}

TEST_F(ShellServices, TheClipboardKeepsValidTextOnly) {
    ASSERT_TRUE(setClipboardText("Grüße, www.example.com"));
    EXPECT_EQ(clipboardText(), "Grüße, www.example.com");
    EXPECT_FALSE(setClipboardText("bad \xC3"));
    EXPECT_EQ(clipboardText(), "Grüße, www.example.com");
    ASSERT_TRUE(setClipboardText(""));
    EXPECT_EQ(clipboardText(), std::nullopt);
}

TEST_F(ShellServices, LinksAndOtherFilesAreRecordedNotStartedWithoutADesktop) {
    writeFile(folder / "notes.txt", {'h', 'i'});
    EXPECT_EQ(openWithShell("www.example.com/a?b=1"), ShellOpenResult::kRecorded);
    EXPECT_EQ(openWithShell("HTTPS://example.org/x"), ShellOpenResult::kRecorded);
    EXPECT_EQ(openWithShell("ftp.example.net"), ShellOpenResult::kRecorded);
    EXPECT_EQ(openWithShell((folder / "notes.txt").string()), ShellOpenResult::kRecorded);
    EXPECT_TRUE(shellOpenSucceeded(ShellOpenResult::kRecorded));
    // What no opener should ever be handed.
    for (const char* unsafe :
         {"javascript:alert(1)", "file:///etc/passwd", "-e www.x.com", "http://a\nb", "www.\xFF", ""})
        EXPECT_EQ(openWithShell(unsafe), ShellOpenResult::kRefused) << unsafe;
    EXPECT_EQ(openWithShell((folder / "missing.txt").string()), ShellOpenResult::kRefused);
    auto records = opened();
    ASSERT_EQ(records.size(), 11u);
    EXPECT_EQ(records[0], (std::pair<std::string, std::string>{"xdg-open", "http://www.example.com/a?b=1"}));
    EXPECT_EQ(records[1].second, "HTTPS://example.org/x");
    EXPECT_EQ(records[2].second, "ftp://ftp.example.net");
    EXPECT_EQ(records[3], (std::pair<std::string, std::string>{"xdg-open", (folder / "notes.txt").string()}));
    EXPECT_EQ(records[4], (std::pair<std::string, std::string>{"refused", "javascript:alert(1)"}));
}

TEST_F(ShellServices, AJpegOpensInThePictureViewerUntilBackClosesIt) {
    HWND chat = makeTopLevel("Chat", workArea());
    auto picture = folder / "image.jpg";
    writeFile(picture, jpegBytes(320, 240, 200, 40, 40));
    EXPECT_EQ(openWithShell(picture.string(), chat), ShellOpenResult::kViewer);
    pumpPendingMessages();
    HWND viewer = findWindow({kViewerClass, std::nullopt, std::nullopt});
    ASSERT_TRUE(viewer);
    EXPECT_EQ(foregroundWindow(), viewer);
    EXPECT_EQ(navBarTextOf(viewer), "image.jpg");
    auto shot = captureScreen();
    ASSERT_TRUE(saveScreenPng(screenshotFolder() / "picture_viewer.png"));
    // 320x240 fitted into 240 wide: 240x180, centred in the work area.
    Colour middle = shot->pixel(120, 160);
    EXPECT_NEAR(middle.r, 200, 8);
    EXPECT_NEAR(middle.g, 40, 8);
    EXPECT_EQ(shot->pixel(120, 30), rgb(0, 0, 0)); // above the picture: black
    EXPECT_EQ(opened().back(), (std::pair<std::string, std::string>{"viewer", picture.string()}));

    pressKey(VK_ESCAPE);
    pumpPendingMessages();
    EXPECT_FALSE(isWindow(viewer));
    EXPECT_EQ(foregroundWindow(), chat);
}

TEST_F(ShellServices, DamagedOrHugePicturesAreExplainedNeverShown) {
    HWND chat = makeTopLevel("Chat", workArea());
    auto good = jpegBytes(64, 48, 10, 120, 10);
    std::vector<uint8_t> damaged(good.begin(), good.begin() + 20);
    damaged.resize(400, 0x5A);
    writeFile(folder / "damaged.jpg", damaged);
    writeFile(folder / "huge.jpg", withClaimedSize(good, 5000, 5000));
    std::vector<uint8_t> heavy = good;
    heavy.resize(9 * 1024 * 1024, 0);
    writeFile(folder / "heavy.jpeg", heavy);
    // Cut short in its picture data, a picture still shows what it has (the
    // rest grey); cut in its tables, it is damaged.
    writeFile(folder / "cut.JPG", std::vector<uint8_t>(good.begin(), good.end() - 8));
    writeFile(folder / "torn.jpg",
              std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(good.size() / 3)));

    ModalAnswers answers;
    for (int i = 0; i < 4; ++i)
        answers.answerMessageBox(IDOK);
    EXPECT_EQ(openWithShell((folder / "damaged.jpg").string(), chat), ShellOpenResult::kNotShown);
    EXPECT_EQ(openWithShell((folder / "torn.jpg").string(), chat), ShellOpenResult::kNotShown);
    EXPECT_EQ(openWithShell((folder / "huge.jpg").string(), chat), ShellOpenResult::kNotShown);
    EXPECT_EQ(openWithShell((folder / "heavy.jpeg").string(), chat), ShellOpenResult::kNotShown);
    ASSERT_EQ(answers.asked().size(), 4u);
    EXPECT_EQ(answers.asked()[0].caption, "Pictures");
    EXPECT_EQ(answers.asked()[0].text, "The picture is damaged and cannot be shown.");
    EXPECT_EQ(answers.asked()[0].owner, chat);
    EXPECT_EQ(answers.asked()[1].text, "The picture is damaged and cannot be shown.");
    EXPECT_EQ(answers.asked()[2].text, "The picture is too large to be shown.");
    EXPECT_EQ(answers.asked()[3].text, "The picture is too large to be shown.");
    EXPECT_EQ(findWindow({kViewerClass, std::nullopt, std::nullopt}), nullptr);

    EXPECT_EQ(openWithShell((folder / "cut.JPG").string(), chat), ShellOpenResult::kViewer);
    EXPECT_EQ(answers.asked().size(), 4u);
}

namespace {

struct Camera : ShellServices {
    void SetUp() override {
        ShellServices::SetUp();
        writeFile(pictures() / "older.jpg", jpegBytes(8, 8, 1, 2, 3));
        writeFile(pictures() / "newer.JPEG", jpegBytes(8, 8, 4, 5, 6));
        writeFile(pictures() / "notes.txt", {'x'});
        fs::last_write_time(pictures() / "older.jpg",
                            fs::last_write_time(pictures() / "newer.JPEG") - std::chrono::hours(1));
        fs::create_directories(saved());
    }
    void TearDown() override {
        setCameraAnswer({});
        ShellServices::TearDown();
    }
    fs::path pictures() const { return folder / "Pictures"; }
    ScopedEnv picturesEnv{"XDG_PICTURES_DIR", (folder / "Pictures").string()};
    fs::path saved() const { return folder / "tmp"; }
    CameraResult capture() { return capturePicture({nullptr, saved(), "capimage.jpg", 320, 240}); }
};

} // namespace

TEST_F(Camera, TheChooserOffersTheNewestPicturesAndSavesTheOneChosen) {
    std::vector<std::string> offered;
    std::string choice = "older.jpg";
    ScopedModalResponder responder([&](const ModalRequest& request) -> std::optional<int> {
        offered = ModalAnswers::menuTexts(request.menu);
        return static_cast<int>(findMenuCommand(request.menu, choice).value_or(0));
    });
    CameraResult taken = capture();
    EXPECT_EQ(taken.code, S_OK);
    EXPECT_EQ(taken.file, saved() / "capimage.jpg");
    EXPECT_EQ(readFile(taken.file), readFile(pictures() / "older.jpg"));
    EXPECT_EQ(offered, (std::vector<std::string>{"newer.JPEG", "older.jpg"}));
    choice = ""; // dismissed
    EXPECT_EQ(capture().code, S_FALSE);
}

TEST_F(Camera, ConfiguredAnswersTakeCancelOrHaveNoCamera) {
    setCameraAnswer(parseCameraAnswer((pictures() / "newer.JPEG").string()));
    CameraResult taken = capture();
    EXPECT_EQ(taken.code, S_OK);
    EXPECT_EQ(readFile(taken.file), readFile(pictures() / "newer.JPEG"));
    setCameraAnswer(parseCameraAnswer("cancel"));
    EXPECT_EQ(capture().code, S_FALSE);
    setCameraAnswer(parseCameraAnswer(""));
    EXPECT_EQ(capture().code, S_FALSE);
    setCameraAnswer(parseCameraAnswer("unavailable"));
    EXPECT_EQ(capture().code, E_NOTIMPL);
    setCameraAnswer(parseCameraAnswer((folder / "gone.jpg").string()));
    EXPECT_EQ(capture().code, E_FAIL);
    // A request the camera cannot carry out.
    setCameraAnswer(parseCameraAnswer((pictures() / "newer.JPEG").string()));
    EXPECT_EQ(capturePicture({nullptr, folder / "no-such-folder", "capimage.jpg", 320, 240}).code,
              E_INVALIDARG);
    EXPECT_EQ(capturePicture({nullptr, saved(), "../escape.jpg", 320, 240}).code, E_INVALIDARG);
    EXPECT_EQ(capturePicture({nullptr, saved(), "capimage.jpg", 0, 240}).code, E_INVALIDARG);
    EXPECT_FALSE(fs::exists(folder / "escape.jpg"));
}
