// Makes a new message known when its last chunk has arrived: the alert
// sound for a text, the voice message itself for a voice clip (it plays on
// arrival), or a short vibration, as the phone's sound profile, the shell's
// notification override and the user's sound setting say. Only messages
// received live alert: stored and history messages never do. Whether the
// conversation's chat window is open does not matter.
#pragma once

#include <memory>

#include "kestrova/api.h"
#include "kestrova/kit/bindings.h"
#include "vibration_patterns.h"
#include "voice_playback.h"

namespace kestrova::messaging {

class MessageNotifier {
  public:
    // playback may be null until voice messages can be played.
    explicit MessageNotifier(std::unique_ptr<VoicePlayback> playback = nullptr);
    ~MessageNotifier();
    MessageNotifier(const MessageNotifier&) = delete;
    MessageNotifier& operator=(const MessageNotifier&) = delete;

    // The handler of "messages.new.complete".
    void notify(HMESSAGE message);

    void setPlayback(std::unique_ptr<VoicePlayback> playback) { playback_ = std::move(playback); }
    // The playback queue; null when there is none.
    VoicePlayback* playback() const { return playback_.get(); }
    const VibrationPatterns& vibrations() const { return vibrations_; }

  private:
    std::unique_ptr<VoicePlayback> playback_;
    VibrationPatterns vibrations_;
    kit::Subscription onComplete_;
};

} // namespace kestrova::messaging
