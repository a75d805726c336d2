#include "bridging/bridge.h"

#include "bridging/bridge_functions.h"
#include "bridging/disconnect_reason.h"
#include "friend_requests.h"
#include "status_menu.h"

#include "kestrova/bus.h"

namespace kestrova::connection {
namespace {

// What every bridged chat room is called; rooms are told apart by their
// members and messages.
constexpr const char kChatGroupName[] = "Group Chat";

HSERVICE createService(HSERVICETYPE type, const Network& network, void* iconModule) {
    RY_ServiceData data{};
    data.size = sizeof data;
    data.flags = RY_SERVICE_TYPE;
    data.serviceType = type;
    HSERVICE service = RY_CreateService(&data);
    kit::ServiceRecord(service).write(kit::ServiceChange()
                                          .icon(iconModule, network.icon)
                                          .presence(RY_PRESENCE_OFFLINE)
                                          .desiredStatus(RY_PRESENCE_OFFLINE));
    return service;
}

}  // namespace

Bridge::Bridge(uint64_t id, const Network& network, HSERVICETYPE type, void* iconModule,
               FriendRequests& friendRequests)
    : id_(id),
      networkType_(network.type),
      service_(createService(type, network, iconModule)),
      friendRequests_(friendRequests) {
    contacts_.setService(service_.get());
}

Bridge::~Bridge() {
    // NOTE: whoever still holds the service (a message from one of its
    // contacts) sees it removed: the next session's bridge is another
    // service, and its contact ids may name other people.
    disable();
    forgetChats();
    contacts_.removeAll();
}

void Bridge::describe(const std::string& userName, const std::string& nickname, const std::string& domain) {
    record().write(kit::ServiceChange().userName(userName).nickname(nickname).domain(domain));
}

void Bridge::enable(std::unique_ptr<BridgeFunctions> functions, std::unique_ptr<StatusMenu> menu) {
    menu_ = std::move(menu);
    functions_ = std::move(functions);
    record().write(kit::ServiceChange().presence(RY_PRESENCE_OFFLINE));
}

void Bridge::disable() {
    record().write(kit::ServiceChange()
                       .presence(kBridgeRemoved)
                       .desiredStatus(RY_PRESENCE_OFFLINE)
                       .failure("", kit::kFailureNone));
    dropOperations();
}

void Bridge::dropOperations() {
    menu_.reset();
    functions_.reset();
    friendRequests_.dropFriendRequests(service());
}

void Bridge::switchedOn() { record().write(kit::ServiceChange().presence(RY_PRESENCE_ONLINE)); }

void Bridge::switchedOff(const std::string& reason) {
    record().write(kit::ServiceChange()
                       .presence(RY_PRESENCE_OFFLINE)
                       .desiredStatus(RY_PRESENCE_OFFLINE)
                       .failure(reason, disconnectReason(reason)));
    wentOff();
}

void Bridge::wentOff() {
    friendRequests_.dropFriendRequests(service());
    RY_PruneContacts(1, service(), 0, 0);
    forgetChats();
    // NOTE: the contacts themselves stay in the directory, stale: a chat
    // window may hold one, and the server gives the same ids again when the
    // bridge comes back on, so the window meets the same contact again.
    contacts_.markStale();
}

HGROUP Bridge::chat(uint64_t chatId) {
    auto found = chats_.find(chatId);
    if (found == chats_.end()) {
        // NOTE: outside the group table: chat ids are the bridge's own and
        // would meet the account's group ids there.
        RY_GroupData data{};
        data.size = sizeof data;
        data.flags = RY_GROUP_SERVICE | RY_GROUP_ID | RY_GROUP_NAME | RY_GROUP_STATE;
        data.service = service();
        data.groupId = chatId;
        data.name = kChatGroupName;
        data.groupState = 0;
        found = chats_.emplace(chatId, kit::OwnedGroup(RY_CreateGroup(&data))).first;
    }
    return RY_DuplicateGroupHandle(found->second.get());
}

bool Bridge::hasChat(HGROUP group) const {
    for (const auto& [id, chat] : chats_)
        if (chat.get() == group) return true;
    return false;
}

void Bridge::forgetChat(uint64_t chatId) {
    auto found = chats_.find(chatId);
    if (found == chats_.end()) return;
    kit::OwnedGroup leaving = std::move(found->second);
    chats_.erase(found);
    RY_RemoveAllGroupMembers(leaving.get());
    bus::raise(names::kGroupsChanged);
}

void Bridge::forgetChats() {
    if (chats_.empty()) return;
    auto leaving = std::move(chats_);
    chats_.clear();
    for (auto& [id, chat] : leaving) RY_RemoveAllGroupMembers(chat.get());
    bus::raise(names::kGroupsChanged);
}

}  // namespace kestrova::connection
