#include "outgoing_watch.h"

#include <string>

#include "harness_output.h"

namespace kestrova::harness {

OutgoingWatch::~OutgoingWatch() {
    while (!watched_.empty()) forget(watched_.begin()->first);
}

void OutgoingWatch::watch(HMESSAGE message) {
    auto* watched = new Watched{this, nextRef_++, message, nullptr};
    watched_[watched->ref] = watched;
    RY_MessageData data{};
    data.size = sizeof data;
    RY_GetMessageData(message, &data);
    emit("sent ref=" + std::to_string(watched->ref) + " id=" + std::to_string(data.messageId) +
         " length=" + std::to_string(data.dataLength) + " md5=" + digestHex(data.data, static_cast<size_t>(data.dataLength)));
    watched->subscription = RY_MessageSubscribe(&OutgoingWatch::onChange, message, watched);
    // A message can be settled before the subscription exists (a refusal
    // while offline is answered at once).
    check(*watched);
}

HMESSAGE OutgoingWatch::message(uint32_t ref) const {
    auto found = watched_.find(ref);
    return found == watched_.end() ? nullptr : found->second->message;
}

intptr_t OutgoingWatch::onChange(void* user, void*, void*, HSUBSCRIPTION) {
    auto* watched = static_cast<Watched*>(user);
    watched->owner->check(*watched);
    return 0;
}

void OutgoingWatch::check(Watched& watched) {
    RY_MessageData data{};
    data.size = sizeof data;
    RY_GetMessageData(watched.message, &data);
    std::string ref = std::to_string(watched.ref);
    if (data.mark1) {
        emit("failed ref=" + ref);
    } else if (data.complete && data.totalLength2 == data.dataLength) {
        emit("delivered ref=" + ref + " id=" + std::to_string(data.messageId));
    } else {
        return;
    }
    forget(watched.ref);
}

void OutgoingWatch::forget(uint32_t ref) {
    auto found = watched_.find(ref);
    if (found == watched_.end()) return;
    Watched* watched = found->second;
    watched_.erase(found);
    if (watched->subscription) RY_MessageUnsubscribe(watched->subscription);
    RY_ReleaseMessage(watched->message);
    delete watched;
}

}  // namespace kestrova::harness
