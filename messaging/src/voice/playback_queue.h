// The process's queue of voice messages to play and the player that plays
// it (created when playback starts, gone when the queue is played). Messages
// play back to back in the order queued. A recording holds the queue: what
// is queued meanwhile waits and plays when the recording ends, since the
// audio lock, taken twice on the same thread, does not keep them apart.
// A message played while it still arrives is followed as it grows; if it
// stops growing for kStreamStall, it counts as finished.
#pragma once

#include <chrono>
#include <memory>

#include "kestrova/kit/bindings.h"
#include "voice_playback.h"
#include "voice_player.h"

namespace kestrova::messaging {

class PlaybackQueue final : public VoicePlayback {
  public:
    static constexpr std::chrono::milliseconds kStreamStall{10000};

    PlaybackQueue();
    ~PlaybackQueue() override;

    void queueForPlayback(HMESSAGE message) override;
    void holdForRecording() override;
    void releaseAfterRecording() override;

    bool playing() const { return player_ != nullptr; }
    size_t queued() const { return queue_.size(); }

  private:
    class NotificationWindow;
    // Makes sure a player plays the queue, unless held or the lock is taken.
    void play();
    void onPlayed(platform::WaveHandle device, platform::WaveBuffer* buffer);
    void onHeadGrown();
    void onStalled();
    void follow(VoicePlayer::State state);

    std::unique_ptr<NotificationWindow> window_;
    PlaybackMessages queue_;
    std::unique_ptr<VoicePlayer> player_;
    kit::Subscription headGrows_;
    int holds_ = 0;
    bool growthPosted_ = false;
};

} // namespace kestrova::messaging
