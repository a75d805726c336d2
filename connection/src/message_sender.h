// The outgoing-message sender: every message announced on
// "messages.new.outgoing" is sent by an OutgoingMessage, kept here by
// message handle until it is delivered, failed or found not to be ours.
#pragma once

#include "bridge_lookup.h"
#include "outgoing_message.h"
#include "session_link.h"

#include "kestrova/api.h"
#include "kestrova/kit/bindings.h"

#include <map>
#include <memory>

namespace kestrova::connection {

class MessageSender {
public:
    explicit MessageSender(SessionLink& link, BridgeLookup* bridges = nullptr);
    ~MessageSender();
    MessageSender(const MessageSender&) = delete;
    MessageSender& operator=(const MessageSender&) = delete;

    void send(HMESSAGE message);
    size_t inFlight() const { return messages_.size(); }
    const OutgoingMessage* find(HMESSAGE message) const;

private:
    void finished(HMESSAGE message);

    SessionLink& link_;
    BridgeLookup* bridges_;
    kit::OwnedService ownService_;
    kit::Subscription outgoing_;
    std::map<HMESSAGE, std::shared_ptr<OutgoingMessage>> messages_;
};

}  // namespace kestrova::connection
