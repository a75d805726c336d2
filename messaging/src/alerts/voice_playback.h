// The seam to voice playback: the queue of voice messages to play, one after
// the other, which the message notifier owns so that it outlives any player.
// A voice message arriving with sounds on is queued here, and so is one the
// user plays from its menu or by a double tap.
#pragma once

#include "kestrova/api.h"

namespace kestrova::messaging {

class VoicePlayback {
  public:
    virtual ~VoicePlayback() = default;
    // Plays the message after those queued before it; a message without a
    // body is not queued.
    virtual void queueForPlayback(HMESSAGE message) = 0;
};

} // namespace kestrova::messaging
