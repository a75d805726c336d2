// One voice message being spoken: the audio lock, the recorder and the
// message. The message ("audio/x-speex", not complete) exists before the
// first sound, so the chat window can send it at once; each filled buffer
// grows it by its records (RY_ContinueMessage), which the connection sends as
// the next chunk; stopping completes it.
#pragma once

#include <memory>

#include "kestrova/api.h"
#include "kestrova/kit/handles.h"
#include "voice_recorder.h"

namespace kestrova::messaging {

class VoiceRecording {
  public:
    enum class Failure { kNone, kAudioBusy, kNoDevice };

    // Takes the audio lock, starts recording with notifications to notify
    // and creates the message. Null (with the reason) when the lock is
    // taken or the input cannot be opened; no message exists then.
    static std::unique_ptr<VoiceRecording> start(platform::HWND notify, Failure& failure);
    // Stops, if stop() was not called.
    ~VoiceRecording();
    VoiceRecording(const VoiceRecording&) = delete;
    VoiceRecording& operator=(const VoiceRecording&) = delete;

    HMESSAGE message() const { return message_.get(); }
    // MM_WIM_DATA: false when the buffer is not this recording's.
    bool onFilled(platform::WaveHandle device, platform::WaveBuffer* buffer);
    // Ends the recording: the last sound is appended, the message is
    // complete, the device is closed and the audio lock given back.
    void stop();

  private:
    VoiceRecording(std::unique_ptr<VoiceRecorder> recorder, kit::OwnedMessage message);
    void append(const std::vector<uint8_t>& block, bool complete);

    std::unique_ptr<VoiceRecorder> recorder_;
    kit::OwnedMessage message_;
    std::vector<uint8_t> block_;
};

} // namespace kestrova::messaging
