#include "push_to_talk_button.h"

#include "kestrova/kit/handles.h"
#include "kestrova/platform/sound.h"
#include "kestrova/platform/window.h"
#include "texts.h"

namespace kestrova::messaging {

using namespace kestrova::platform;

PushToTalkButton::~PushToTalkButton() {
    stopRecording();
}

void PushToTalkButton::startRecording() {
    if (recording_) return;
    VoiceRecording::Failure failure;
    recording_ = VoiceRecording::start(hwnd(), failure);
    if (!recording_) {
        playDefaultBeep();
        return;
    }
    if (playback_) playback_->holdForRecording();
    repaintNow();
    // The chat window sends it now, before there is any sound in it.
    kit::OwnedMessage message = kit::OwnedMessage::share(recording_->message());
    sendMessage(parentOf(hwnd()), WM_APP, reinterpret_cast<WParam>(hwnd()),
                reinterpret_cast<LParam>(message.get()));
}

void PushToTalkButton::stopRecording() {
    if (!recording_) return;
    recording_->stop();
    recording_.reset();
    if (playback_) playback_->releaseAfterRecording();
    if (hwnd()) repaintNow();
}

LResult PushToTalkButton::handleMessage(HWND hwnd, uint32_t message, WParam wParam, LParam lParam) {
    if (message == MM_WIM_DATA) {
        if (recording_)
            recording_->onFilled(static_cast<WaveHandle>(wParam), reinterpret_cast<WaveBuffer*>(lParam));
        return 0;
    }
    return InputButton::handleMessage(hwnd, message, wParam, lParam);
}

bool PushToTalkButton::onActionKey(uint32_t key, bool down) {
    if (key != VK_RETURN && key != VK_SPACE && key != '0') return false;
    if (down)
        startRecording();
    else
        stopRecording();
    return true;
}

void PushToTalkButton::onLeftButtonDown(HWND hwnd, bool, int, int, uint32_t) {
    setFocus(hwnd);
    setCapture(hwnd);
    startRecording();
}

void PushToTalkButton::onLeftButtonUp(HWND, int, int, uint32_t) {
    releaseCapture();
    stopRecording();
}

void PushToTalkButton::onKillFocus(HWND hwnd, HWND newFocus) {
    stopRecording();
    InputButton::onKillFocus(hwnd, newFocus);
}

std::string PushToTalkButton::label() const {
    return text(recording() ? texts::kReleaseToSend : texts::kPushToTalk);
}

} // namespace kestrova::messaging
