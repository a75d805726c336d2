// Photo messages from a chat window: the capture button with the camera's
// every answer, and a received photo opened in the platform's viewer.
#include "chat_scene.h"
#include "device_files.h"
#include "kestrova/platform/automation.h"
#include "kestrova/platform/camera.h"
#include "kestrova/platform/shell_open.h"
#include "photo_capture.h"

namespace kestrova::messaging::testing {
namespace {

using namespace kestrova::platform;

// A real JPEG, padded after its end to exactly size bytes.
std::vector<uint8_t> photoOfSize(size_t size) {
    std::vector<uint8_t> jpeg = device_files::jpegBytes(320, 240, 40, 120, 200);
    jpeg.resize(size, 0x5A);
    return jpeg;
}

class PhotoMessages : public ChatScene {
  protected:
    void TearDown() override {
        setCameraAnswer({});
        ChatScene::TearDown();
    }
    // The photo mode's button pressed and released, as the camera answers.
    void capture(ChatWindow& chat, const CameraAnswer& answer) {
        setCameraAnswer(answer);
        setFocus(chat.photoButton()->hwnd());
        pump();
        keyDown(VK_RETURN);
        pump();
        keyUp(VK_RETURN);
        pump();
    }
    CameraAnswer file(const std::vector<uint8_t>& bytes) {
        auto path = folder_ / "picture.jpg";
        device_files::writeFile(path, bytes);
        return {CameraAnswer::Kind::kFile, path};
    }
    device_files::TempFolder folder_;
};

TEST_F(PhotoMessages, APictureUnder64kBIsSentWholeAndEveryOtherAnswerIsToldWithoutSending) {
    ChatWindow* chat = openChat(bob_);
    ASSERT_NE(chat, nullptr);
    press(VK_RIGHT);
    press(VK_RIGHT); // the photo mode
    ModalAnswers answers(true);

    std::vector<uint8_t> largest = photoOfSize(65535);
    capture(*chat, file(largest));
    ASSERT_EQ(sent_.size(), 1u);
    EXPECT_EQ(sent_[0].contentType, "image/jpeg");
    EXPECT_TRUE(sent_[0].complete);
    EXPECT_EQ(sent_[0].target, bob_);
    EXPECT_EQ(sent_[0].body, std::string(largest.begin(), largest.end())) << "byte for byte";
    EXPECT_TRUE(answers.asked().empty());

    capture(*chat, file(photoOfSize(65536)));
    capture(*chat, {CameraAnswer::Kind::kCancel, {}});
    capture(*chat, {CameraAnswer::Kind::kUnavailable, {}});
    capture(*chat, {CameraAnswer::Kind::kFile, folder_ / "gone.jpg"});
    EXPECT_EQ(sent_.size(), 1u) << "nothing but the first was sent";
    ASSERT_EQ(answers.asked().size(), 3u) << "a cancelled chooser says nothing";
    EXPECT_EQ(answers.asked()[0].caption, "Error");
    EXPECT_EQ(answers.asked()[0].text, "Image size exceeds 64kB. Please reduce the resolution.");
    EXPECT_EQ(answers.asked()[0].owner, chat->photoButton()->hwnd());
    EXPECT_EQ(answers.asked()[1].caption, "Coming Soon");
    EXPECT_EQ(answers.asked()[1].text, "Photo messaging is not currently supported on your device.");
    EXPECT_EQ(answers.asked()[2].caption, "Capture Failed");
    EXPECT_EQ(chat->view().count(), 2u) << "the history marker and the one photo";
}

TEST(PhotoOutcome, EachCameraResultHasItsBox) {
    struct Case {
        HResult code;
        const char* caption;
        const char* text;
    } cases[] = {
        {E_OUTOFMEMORY, "Capture Failed", "There is not enough memory to save the image."},
        {E_INVALIDARG, "Capture Failed", "An invalid argument was specified."},
        {E_FAIL, "Capture Failed", "An unknown error occured."},
        {S_OK, "Capture Failed", "The saved file could not be opened."}, // a file that is not there
    };
    for (const Case& c : cases) {
        PhotoOutcome outcome = photoOutcome({c.code, "/nonexistent/kestrova/capimage.jpg"});
        EXPECT_EQ(outcome.message.get(), nullptr);
        EXPECT_EQ(outcome.caption, c.caption);
        EXPECT_EQ(outcome.text, c.text);
    }
}

TEST_F(PhotoMessages, AReceivedPhotoOpensInTheViewer) {
    ChatWindow* chat = openChat(bob_);
    ASSERT_NE(chat, nullptr);
    std::vector<uint8_t> photo = device_files::jpegBytes(320, 240, 200, 60, 30);
    // Its first half, still arriving, is not viewed: only a beep.
    kit::OwnedMessage half =
        received(bob_, "image/jpeg", {reinterpret_cast<const char*>(photo.data()), photo.size() / 2}, false);
    bus::raise(names::kMessagesNew, half.get());
    pump();
    clearShellOpenRecord();
    ModalAnswers answers;
    answers.chooseMenuEntry("View");
    setFocus(chat->view().hwnd());
    press(VK_END);
    press(VK_RETURN);
    EXPECT_TRUE(shellOpenRecord().empty());

    arrives(bob_, {reinterpret_cast<const char*>(photo.data()), photo.size()}, nullptr, "image/jpeg");
    answers.chooseMenuEntry("View");
    press(VK_END);
    press(VK_RETURN);
    auto opened = shellOpenRecord();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].how, "viewer");
    EXPECT_EQ(device_files::readFile(opened[0].target), photo);
    HWND viewer = findWindow({.className = "KestrovaImageViewer"});
    ASSERT_NE(viewer, nullptr);
    screenshot(*chat, "photo_viewer");
    destroyWindow(viewer);
}

} // namespace
} // namespace kestrova::messaging::testing
