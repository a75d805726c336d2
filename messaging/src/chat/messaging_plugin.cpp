#include "messaging_plugin.h"

#include "chat_window.h"
#include "chats_list.h"
#include "kestrova/bus.h"

namespace kestrova::messaging {

MessagingSession::MessagingSession()
    : onContact_(kit::subscribe(names::kMessagingChatContact,
                                [this](HCONTACT contact) { ChatWindow::open(*this, contact, false); })),
      onGroup_(kit::subscribe(names::kMessagingChatGroup,
                              [this](HGROUP group) { ChatWindow::open(*this, group, true); })),
      notifier_(std::make_unique<MessageNotifier>()), registry_(std::make_unique<ChatWindowRegistry>()),
      chatsList_(kit::registerFunction(names::kMessagingPopupChatsList, [this](platform::HWND) {
          popupChatsList();
          return intptr_t{0};
      })) {}

// Stopping: the events first, then the notifier, then every chat window,
// then the chats list.
MessagingSession::~MessagingSession() {
    onContact_.reset();
    onGroup_.reset();
    notifier_.reset();
    registry_->closeAll();
    registry_.reset();
    chatsList_ = {};
}

void MessagingSession::queueForPlayback(HMESSAGE message) {
    if (notifier_ && notifier_->playback()) notifier_->playback()->queueForPlayback(message);
}

void MessagingSession::popupChatsList() {
    messaging::popupChatsList(*registry_);
}

void MessagingPlugin::Start() {
    if (!session_) session_ = std::make_unique<MessagingSession>();
    started = 1;
}

void MessagingPlugin::Stop() {
    session_.reset();
    started = 0;
}

} // namespace kestrova::messaging
