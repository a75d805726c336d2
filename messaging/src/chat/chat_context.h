// What a chat window needs of the plug-in that opened it.
#pragma once

#include "kestrova/api.h"

namespace kestrova::messaging {

class ChatWindowRegistry;

class ChatContext {
  public:
    virtual ~ChatContext() = default;
    virtual ChatWindowRegistry& registry() = 0;
    // A voice message to play (the notifier's playback queue).
    virtual void queueForPlayback(HMESSAGE message) = 0;
    // The Chats soft key.
    virtual void popupChatsList() = 0;
};

} // namespace kestrova::messaging
