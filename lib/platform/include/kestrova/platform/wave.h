// Wave input and output: the sound devices voice messages are recorded from
// and played to. A device is opened on the user-interface thread together
// with a window that receives its notifications as messages, so nothing of
// the caller ever runs on another thread:
//
//   MM_WOM_OPEN / MM_WIM_OPEN    posted when the device opened
//   MM_WOM_DONE                  a written buffer was played
//   MM_WIM_DATA                  an added buffer was filled (or returned by stop/reset)
//   MM_WOM_CLOSE / MM_WIM_CLOSE  posted when the device closed
//
// wParam is the device's handle() and lParam the WaveBuffer*. What stands
// behind a device (the desktop's sound card, WAV files, nothing) is chosen at
// run time (audio_settings.h, docs/DEVICES.md); every back-end moves at the
// pace of the platform clock, so a virtual clock drives recordings in tests.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "kestrova/platform/messages.h"

namespace kestrova::platform {

struct WaveFormat {
    uint16_t channels = 1;
    uint32_t samplesPerSecond = 16000;
    uint16_t bitsPerSample = 16;

    uint16_t blockAlign() const { return static_cast<uint16_t>(channels * bitsPerSample / 8); }
    uint32_t bytesPerSecond() const { return samplesPerSecond * blockAlign(); }
    friend bool operator==(const WaveFormat&, const WaveFormat&) = default;
};

// The one format of the system's sound: PCM, mono, 16000 samples a second,
// 16 bits (little-endian), 32000 bytes a second. Devices open with no other.
inline constexpr WaveFormat kVoiceFormat{};

enum class WaveResult {
    kOk,
    kBadFormat,     // the device does not take this format
    kNoDevice,      // the chosen back-end has no device (no sound card, bad file)
    kStillPlaying,  // the buffer is with the device
    kUnprepared,    // the buffer was not prepared
    kInvalidBuffer, // empty input buffer, or already with a device
};
const char* waveResultText(WaveResult result);

enum WaveBufferFlags : uint32_t { WHDR_DONE = 0x1, WHDR_PREPARED = 0x2, WHDR_INQUEUE = 0x10 };

// A block of sound lent to a device. The caller owns it. From add/write until
// the notification that returns it (WHDR_DONE set, WHDR_INQUEUE clear) the
// device holds it: its data must be neither touched nor resized meanwhile.
struct WaveBuffer {
    std::vector<uint8_t> data; // input: the room to fill; output: the bytes to play
    size_t bytesRecorded = 0;  // input: how much of data was filled
    uint32_t flags = 0;        // WHDR_*
    uintptr_t user = 0;        // the caller's own
};

// Names a device in notifications; never reused within a run, so a late
// notification of a closed device is recognised.
using WaveHandle = uintptr_t;

namespace detail {
class OutputDevice;
class InputDevice;
} // namespace detail

// Wave output. Written buffers play one after the other, without a gap while
// the next one is there in time; each comes back as MM_WOM_DONE.
class WaveOut {
  public:
    // Opens the output of the chosen back-end. notify may be null: then no
    // notifications are posted and the caller watches the buffers' flags.
    static WaveResult open(const WaveFormat& format, HWND notify, std::unique_ptr<WaveOut>& device);
    // Resets, drops the notifications not yet delivered (no message will
    // name a buffer of this device any more) and posts MM_WOM_CLOSE.
    ~WaveOut();
    WaveOut(const WaveOut&) = delete;
    WaveOut& operator=(const WaveOut&) = delete;

    WaveHandle handle() const;
    WaveResult prepare(WaveBuffer& buffer);
    WaveResult unprepare(WaveBuffer& buffer);
    // Queues the buffer's data for playing.
    WaveResult write(WaveBuffer& buffer);
    // Stops at once: what was not played is dropped, every buffer comes back
    // (MM_WOM_DONE), in order.
    WaveResult reset();
    // Buffers with the device now.
    size_t queued() const;

  private:
    explicit WaveOut(std::unique_ptr<detail::OutputDevice> device);
    std::unique_ptr<detail::OutputDevice> device_;
};

// Wave input. Added buffers are filled in order once started; each full
// buffer comes back as MM_WIM_DATA. Sound that arrives while no buffer is
// there is lost, as with a microphone.
class WaveIn {
  public:
    static WaveResult open(const WaveFormat& format, HWND notify, std::unique_ptr<WaveIn>& device);
    // Resets, drops the notifications not yet delivered and posts MM_WIM_CLOSE.
    ~WaveIn();
    WaveIn(const WaveIn&) = delete;
    WaveIn& operator=(const WaveIn&) = delete;

    WaveHandle handle() const;
    WaveResult prepare(WaveBuffer& buffer);
    WaveResult unprepare(WaveBuffer& buffer);
    // Gives the device an empty buffer to fill (bytesRecorded is set to 0).
    WaveResult addBuffer(WaveBuffer& buffer);
    WaveResult start();
    // Stops recording; a partly filled buffer comes back with what it holds,
    // the others stay with the device for a later start.
    WaveResult stop();
    // Stops recording and returns every buffer, the partly filled one first.
    WaveResult reset();
    size_t queued() const;
    bool started() const;

  private:
    explicit WaveIn(std::unique_ptr<detail::InputDevice> device);
    std::unique_ptr<detail::InputDevice> device_;
};

} // namespace kestrova::platform
