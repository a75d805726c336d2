#include "outgoing_watch.h"

#include <string>

#include "harness_output.h"

namespace kestrova::harness {

void OutgoingWatch::watch(HMESSAGE message) {
    const uint32_t ref = nextRef_++;
    auto& watched = watched_[ref];
    watched.reset(new Watched{ref, kit::OwnedMessage(message), {}});
    RY_MessageData data{};
    data.size = sizeof data;
    RY_GetMessageData(message, &data);
    emit("sent ref=" + std::to_string(ref) + " id=" + std::to_string(data.messageId) +
         " length=" + std::to_string(data.dataLength) +
         " md5=" + digestHex(data.data, static_cast<size_t>(data.dataLength)));
    watched->subscription = kit::subscribe(message, [this, ref](HMESSAGE) { check(ref); });
    // A message can be settled before the subscription exists (a refusal
    // while offline is answered at once).
    check(ref);
}

HMESSAGE OutgoingWatch::message(uint32_t ref) const {
    auto found = watched_.find(ref);
    return found == watched_.end() ? nullptr : found->second->message.get();
}

void OutgoingWatch::check(uint32_t ref) {
    auto found = watched_.find(ref);
    if (found == watched_.end()) return;
    RY_MessageData data{};
    data.size = sizeof data;
    RY_GetMessageData(found->second->message.get(), &data);
    if (data.mark1) {
        emit("failed ref=" + std::to_string(ref));
    } else if (data.complete && data.totalLength2 == data.dataLength) {
        emit("delivered ref=" + std::to_string(ref) + " id=" + std::to_string(data.messageId));
    } else {
        return;
    }
    // NOTE: called from the message's own notification; the subscription
    // goes with the entry and the handler touches nothing after this.
    watched_.erase(found);
}

}  // namespace kestrova::harness
