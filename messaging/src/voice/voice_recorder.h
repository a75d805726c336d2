// The sound side of one push-to-talk recording: the wave input with its ten
// buffers of 40 ms (two frames each) and the encoder that turns every filled
// buffer into voice records at once, so that the message grows while the
// user speaks.
#pragma once

#include <list>
#include <memory>
#include <vector>

#include "kestrova/platform/wave.h"
#include "speex_codec.h"

namespace kestrova::messaging {

class VoiceRecorder {
  public:
    static constexpr size_t kBufferCount = 10;

    // Opens the default input, notifications (MM_WIM_DATA) to notify, gives
    // it the buffers and starts. Null when the device or the codec fails.
    static std::unique_ptr<VoiceRecorder> start(platform::HWND notify);
    // Resets and closes the device: what it still holds is dropped.
    ~VoiceRecorder();
    VoiceRecorder(const VoiceRecorder&) = delete;
    VoiceRecorder& operator=(const VoiceRecorder&) = delete;

    platform::WaveHandle device() const { return device_->handle(); }
    // A buffer the device filled: its sound is encoded into records appended
    // to block, and the buffer goes back to the device. False when the buffer
    // is none of this recorder's.
    bool takeFilled(platform::WaveBuffer* buffer, std::vector<uint8_t>& block);
    // Stops recording and takes back every buffer; the sound they caught
    // (the part of a buffer being filled, and buffers whose notification has
    // not come yet) is encoded into block, in the order it was recorded.
    void stop(std::vector<uint8_t>& block);

  private:
    VoiceRecorder(std::unique_ptr<platform::WaveIn> device, std::unique_ptr<SpeexEncoder> encoder);
    void encode(const platform::WaveBuffer& buffer, std::vector<uint8_t>& block);

    std::unique_ptr<SpeexEncoder> encoder_;
    // The buffers with the device, in the order it fills them.
    std::list<platform::WaveBuffer> buffers_;
    std::unique_ptr<platform::WaveIn> device_;
    bool stopped_ = false;
};

} // namespace kestrova::messaging
