// Plays voice messages from the head of a playback queue: each record is
// decoded into one buffer of one frame and written to the wave output, at
// most ten ahead of what is heard. A message is read as far as it has
// arrived when the player reaches each record, so one still arriving plays
// as it streams in: at the end of what has arrived the player waits for more
// (the queue wakes it). The end of a complete message, a record cut short
// in one, or a damaged frame ends that message, and the next one follows
// without a gap. The player holds the audio lock for as long as it exists.
#pragma once

#include <deque>
#include <list>
#include <memory>

#include "kestrova/kit/handles.h"
#include "kestrova/platform/wave.h"
#include "speex_codec.h"

namespace kestrova::messaging {

using PlaybackMessages = std::deque<kit::OwnedMessage>;

class VoicePlayer {
  public:
    static constexpr size_t kMaxWritten = 10;

    // Opens the default output (MM_WOM_DONE to notify) and takes the audio
    // lock. Null when the device or the codec fails.
    static std::unique_ptr<VoicePlayer> create(platform::HWND notify);
    // Closes the output (what was not played is dropped) and gives the lock back.
    ~VoicePlayer();
    VoicePlayer(const VoicePlayer&) = delete;
    VoicePlayer& operator=(const VoicePlayer&) = delete;

    platform::WaveHandle device() const { return device_->handle(); }
    enum class State {
        kPlaying, // buffers are with the device
        kWaiting, // nothing to play until the head message grows
        kDone,    // the queue is played
    };
    // Writes frames of the queue's messages while fewer than ten are with the
    // device, dropping each message from the queue as it is finished.
    State feed(PlaybackMessages& queue);
    // MM_WOM_DONE: the buffer is taken back and the device fed.
    State onPlayed(platform::WaveBuffer* buffer, PlaybackMessages& queue);
    // The head message (still arriving) counts as finished.
    void dropHead(PlaybackMessages& queue);

  private:
    VoicePlayer(std::unique_ptr<platform::WaveOut> device, std::unique_ptr<SpeexDecoder> decoder);
    enum class Step { kWritten, kWait, kFinished };
    Step writeNextFrame(HMESSAGE message);

    std::unique_ptr<SpeexDecoder> decoder_;
    size_t position_ = 0;
    std::list<platform::WaveBuffer> written_;
    std::unique_ptr<platform::WaveOut> device_;
};

} // namespace kestrova::messaging
