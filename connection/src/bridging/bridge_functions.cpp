#include "bridging/bridge_functions.h"

#include "group_state.h"

#include "bridging/bridge.h"
#include "connection.h"
#include "friend_requests.h"
#include "service_requests.h"
#include "status_menu.h"
#include "texts.h"

#include "kestrova/kit/handles.h"
#include "kestrova/kit/texts.h"
#include "kestrova/platform/message_box.h"
#include "kestrova/wire/protocol.h"

namespace kestrova::connection {

namespace protocol = wire::protocol;

namespace {

// Asks before the account goes; the service is held across the question,
// during which the bridge itself may go.
void askToRemove(const kit::OwnedService& service) {
    platform::HWND owner = bus::get(names::kCoreWindowHwnd);
    int answer = platform::messageBox(owner, kit::text(texts::kRemoveServiceQuestion),
                                      kit::text(texts::kRemoveServiceCaption),
                                      platform::MB_YESNO | platform::MB_ICONQUESTION);
    if (answer == platform::IDYES) bus::call(names::kServiceDelete, service.get());
}

}  // namespace

BridgeFunctions::BridgeFunctions(Bridge& bridge, BridgeEnvironment& environment)
    : bridge_(bridge), environment_(environment), alive_(std::make_shared<BridgeFunctions*>(this)) {
    add(names::kServiceSetPresenceStatus, &BridgeFunctions::setPresenceStatus);
    add(names::kServiceDelete, &BridgeFunctions::removeAccount);
    add(names::kServiceAddContact, &BridgeFunctions::addContact);
    add(names::kServiceAcceptContact, &BridgeFunctions::acceptContact);
    add(names::kServiceDeleteContact, &BridgeFunctions::deleteContact);
    add(names::kServiceGetContactHandle, &BridgeFunctions::getContactHandle);
    add(names::kServiceLeaveGroup, &BridgeFunctions::leaveGroup);
}

BridgeFunctions::~BridgeFunctions() { functions_.clear(); }

std::unique_ptr<StatusMenu> BridgeFunctions::makeStatusMenu(HSERVICE service) {
    auto held = std::make_shared<kit::OwnedService>(kit::OwnedService::share(service));
    std::vector<StatusMenu::Extra> extras{{texts::kMenuRemoveService, {}, [held] { askToRemove(*held); }}};
    return std::make_unique<StatusMenu>(service, std::move(extras));
}

template <typename Arg, typename Result, typename Member>
void BridgeFunctions::add(bus::ServiceOperation<Arg, Result> operation, Member member) {
    functions_.push_back(kit::registerFunction(operation, bridge_.service(), [this, member](auto... argument) {
        return (this->*member)(argument...);
    }));
}

int32_t BridgeFunctions::setPresenceStatus(const RY_PresenceStatusArgs* args) {
    if (!args || !isOnlineStatus(args->status)) return 0;
    int32_t status = args->status;
    kit::ServiceRecord record = bridge_.record();
    if (record.read().presence != RY_PRESENCE_OFFLINE && status != RY_PRESENCE_OFFLINE) {
        wire::Packet update(protocol::command::kBridgeUpdate);
        update.setHeader(protocol::header::kBridgeId, bridge_.id());
        update.setHeader(protocol::header::kOnlineStatus, status);
        environment_.connection.sendWithId(update);
        record.write(kit::ServiceChange().desiredStatus(status));
        return 1;
    }
    switchOnOrOff(status);
    return 1;
}

void BridgeFunctions::switchOnOrOff(int32_t status) {
    bridge_.record().write(kit::ServiceChange().desiredStatus(status).failure("", kit::kFailureNone));
    wire::Packet request(status != RY_PRESENCE_OFFLINE ? protocol::command::kBridgeOn
                                                       : protocol::command::kBridgeOff);
    request.setHeader(protocol::header::kBridgeId, bridge_.id());
    request.setHeader(protocol::header::kOnlineStatus, status);
    std::weak_ptr<BridgeFunctions*> alive = alive_;
    environment_.connection.submit(std::move(request), [alive, status](int64_t code, const std::string&) {
        if (auto self = alive.lock()) (*self)->answeredOnOrOff(status, code);
        return true;
    });
}

void BridgeFunctions::answeredOnOrOff(int32_t status, int64_t code) {
    kit::ServiceRecord record = bridge_.record();
    if (code != kCodeSuccess) {
        record.write(kit::ServiceChange().desiredStatus(RY_PRESENCE_OFFLINE).failure("", kit::kFailureNone));
        return;
    }
    // Switched on: the server says so with "BRIDGE ON" once it is logged in.
    if (status != RY_PRESENCE_OFFLINE) return;
    record.write(kit::ServiceChange().presence(RY_PRESENCE_OFFLINE));
    bridge_.wentOff();
}

int32_t BridgeFunctions::removeAccount() {
    wire::Packet update(protocol::command::kBridgeUpdate);
    update.setHeader(protocol::header::kBridgeId, bridge_.id());
    std::weak_ptr<BridgeFunctions*> alive = alive_;
    uint64_t id = bridge_.id();
    environment_.connection.submit(std::move(update), [alive, id](int64_t code, const std::string&) {
        auto self = alive.lock();
        if (!self || code != kCodeSuccess) return true;
        // Disabling the bridge takes these functions away: keep what is
        // needed afterwards.
        auto removed = (*self)->environment_.removed;
        (*self)->bridge_.disable();
        if (removed) removed(id);
        return true;
    });
    return 1;
}

int32_t BridgeFunctions::addContact(const RY_AddContactArgs* args) {
    if (!args || !args->address || !*args->address) return 0;
    wire::Packet request(protocol::command::kBridgeContactAdd);
    request.setHeader(protocol::header::kBridgeId, bridge_.id());
    // Another network's addresses are names, whatever they look like.
    request.setHeader(protocol::header::kName, args->address);
    request.setBody(args->message ? args->message : "");
    environment_.connection.submit(std::move(request), toCallback(args->callback, args->user));
    return 1;
}

int32_t BridgeFunctions::acceptContact(const RY_AcceptContactArgs* args) {
    if (!args) return 0;
    uint64_t requestId = args->contactId;
    wire::Packet answer(protocol::command::kBridgeContactAddResp);
    answer.setHeader(protocol::header::kResponseId, requestId);
    answer.setHeader(protocol::header::kBridgeId, bridge_.id());
    if (args->accepted) answer.setHeader(protocol::header::kAccepted, int32_t{1});
    std::weak_ptr<BridgeFunctions*> alive = alive_;
    environment_.connection.submit(std::move(answer), [alive, requestId](int64_t code, const std::string&) {
        if (auto self = alive.lock())
            (*self)->environment_.friendRequests.answered((*self)->bridge_.service(), requestId, code);
        return true;
    });
    return 1;
}

int32_t BridgeFunctions::deleteContact(const HCONTACT* handle) {
    if (!handle || !*handle) return 0;
    auto contact = std::make_shared<kit::OwnedContact>(kit::OwnedContact::share(*handle));
    wire::Packet update(protocol::command::kBridgeContactUpdate);
    update.setHeader(protocol::header::kBridgeId, bridge_.id());
    update.setHeader(protocol::header::kContactId, RY_GetContactID(*handle));
    update.setHeader(protocol::header::kRemove, int32_t{1});
    environment_.connection.submit(std::move(update), [contact](int64_t code, const std::string&) {
        if (code != kCodeSuccess) return true;
        kit::OwnedGroup contactList(RY_GetGroup(kContactListGroup));
        RY_RemoveGroupMember(contactList.get(), contact->get());
        return true;
    });
    return 1;
}

int32_t BridgeFunctions::getContactHandle(RY_GetContactHandleArgs* args) {
    if (!args) return 0;
    if (HCONTACT contact = bridge_.contacts().find(args->contactId)) args->contact = contact;
    return 1;
}

int32_t BridgeFunctions::leaveGroup(HGROUP group) {
    if (!group || !bridge_.hasChat(group)) return 0;
    uint64_t chatId = RY_GetGroupID(group);
    auto held = std::make_shared<kit::OwnedGroup>(kit::OwnedGroup::share(group));
    int32_t before = groupStateOf(group);
    setGroupState(group, kGroupBeingLeft);
    wire::Packet leave(protocol::command::kBridgeChatLeave);
    leave.setHeader(protocol::header::kBridgeId, bridge_.id());
    leave.setHeader(protocol::header::kChatId, chatId);
    std::weak_ptr<BridgeFunctions*> alive = alive_;
    environment_.connection.submit(std::move(leave),
                                   [alive, held, chatId, before](int64_t code, const std::string&) {
                                       auto self = alive.lock();
                                       if (code == kCodeSuccess && self) {
                                           (*self)->bridge_.forgetChat(chatId);
                                           return true;
                                       }
                                       if (groupStateOf(held->get()) == kGroupBeingLeft)
                                           setGroupState(held->get(), before);
                                       return true;
                                   });
    return 1;
}

}  // namespace kestrova::connection
