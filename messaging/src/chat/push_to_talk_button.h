// The voice mode's button: held (Enter, the space key, the 0 key, or the
// pointer), it records a voice message that is sent while it is spoken;
// released, or when the focus goes, the message is complete. The message is
// handed to the chat window before the first sound is recorded, and grows
// with every 40 ms of sound. Voice messages that arrive meanwhile wait and
// play once the recording ends.
#pragma once

#include <memory>

#include "input_button.h"
#include "voice_playback.h"
#include "voice_recording.h"

namespace kestrova::messaging {

class PushToTalkButton final : public InputButton {
  public:
    // playback may be null (nothing is held then).
    PushToTalkButton(const ViewMetrics& metrics, VoicePlayback* playback)
        : InputButton(metrics), playback_(playback) {}
    ~PushToTalkButton() override;

    bool recording() const { return recording_ != nullptr; }
    // The message being recorded; null when idle.
    HMESSAGE message() const { return recording_ ? recording_->message() : nullptr; }
    void startRecording();
    void stopRecording();

    platform::LResult handleMessage(platform::HWND hwnd, uint32_t message, platform::WParam wParam,
                                    platform::LParam lParam) override;
    void onLeftButtonDown(platform::HWND hwnd, bool, int, int, uint32_t) override;
    void onLeftButtonUp(platform::HWND hwnd, int, int, uint32_t) override;
    void onKillFocus(platform::HWND hwnd, platform::HWND newFocus) override;

  protected:
    std::string label() const override;
    bool sunken() const override { return recording(); }
    bool onActionKey(uint32_t key, bool down) override;

  private:
    VoicePlayback* playback_;
    std::unique_ptr<VoiceRecording> recording_;
};

} // namespace kestrova::messaging
