#include "message_sender.h"

namespace kestrova::connection {

MessageSender::MessageSender(SessionLink& link, BridgeLookup* bridges)
    : link_(link), bridges_(bridges), ownService_(RY_GetPrimaryService()) {
    outgoing_ = kit::subscribe(names::kMessagesNewOutgoing, [this](HMESSAGE message) {
        if (message) send(message);
    });
}

MessageSender::~MessageSender() {
    outgoing_.reset();
    for (auto& [handle, outgoing] : messages_) outgoing->stop();
}

void MessageSender::send(HMESSAGE message) {
    // Announced twice: it is already on its way.
    if (messages_.count(message)) return;
    auto outgoing = std::make_shared<OutgoingMessage>(message, ownService_.get(), link_, bridges_,
                                                      [this](HMESSAGE done) { finished(done); });
    messages_.emplace(message, outgoing);
    outgoing->start();
    outgoing->pump();
}

const OutgoingMessage* MessageSender::find(HMESSAGE message) const {
    auto it = messages_.find(message);
    return it == messages_.end() ? nullptr : it->second.get();
}

void MessageSender::finished(HMESSAGE message) { messages_.erase(message); }

}  // namespace kestrova::connection
