// The messaging plug-in: while started, it opens chat windows on
// "messaging.chat.contact" and "messaging.chat.group", alerts on new
// messages, and serves the chats list ("Messaging/PopupChatsList"). Stop
// closes every chat window and takes everything off the bus.
#pragma once

#include <memory>

#include "chat_context.h"
#include "chat_window_registry.h"
#include "kestrova/api.h"
#include "kestrova/kit/bindings.h"
#include "message_notifier.h"

namespace kestrova::messaging {

// What runs between Start and Stop, made and taken down in that order.
class MessagingSession final : public ChatContext {
  public:
    MessagingSession();
    ~MessagingSession() override;

    ChatWindowRegistry& registry() override { return *registry_; }
    void queueForPlayback(HMESSAGE message) override;
    void popupChatsList() override;
    MessageNotifier& notifier() { return *notifier_; }

  private:
    kit::Subscription onContact_;
    kit::Subscription onGroup_;
    std::unique_ptr<MessageNotifier> notifier_;
    std::unique_ptr<ChatWindowRegistry> registry_;
    kit::RegisteredFunction chatsList_;
};

class MessagingPlugin final : public Plugin {
  public:
    MessagingPlugin() = default;
    ~MessagingPlugin() { Stop(); }

    void Start() override;
    void Stop() override;
    const char* GetInfo() override { return ""; }

    MessagingSession* session() { return session_.get(); }

  private:
    std::unique_ptr<MessagingSession> session_;
};

} // namespace kestrova::messaging
