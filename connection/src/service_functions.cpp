#include "service_functions.h"

#include "account_screens.h"
#include "connection.h"
#include "contact_lookup.h"
#include "friend_requests.h"
#include "service_texts.h"

#include "kestrova/bus_records.h"

#include <algorithm>
#include <string_view>

namespace kestrova::connection {
namespace {

using ContactRef = std::shared_ptr<RY_ContactRecord>;
using GroupRef = std::shared_ptr<RY_GroupRecord>;

ContactRef holdContact(HCONTACT contact) { return ContactRef(RY_DuplicateContactHandle(contact), RY_ReleaseContact); }
GroupRef holdGroup(HGROUP group) { return GroupRef(RY_DuplicateGroupHandle(group), RY_ReleaseGroup); }

std::string textOf(const char* text) { return text ? std::string(text) : std::string(); }

bool allDecimalDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Every answer goes to the caller's callback and finishes the request.
ResponseHandler toCallback(RY_ResponseCallback callback, void* user) {
    return [callback, user](int64_t code, const std::string&) {
        if (callback) callback(user, &code, static_cast<uint32_t>(static_cast<uint64_t>(code) >> 32));
        return true;
    };
}

int32_t groupStateOf(HGROUP group) {
    RY_GroupData data{};
    data.size = sizeof data;
    RY_GetGroupData(group, &data);
    return data.groupState;
}

void setGroupState(HGROUP group, int32_t groupState) {
    RY_GroupData data{};
    data.size = sizeof data;
    data.flags = RY_GROUP_STATE;
    data.groupState = groupState;
    RY_SetGroupData(group, &data);
}

bool isOnlineStatus(int32_t status) {
    switch (status) {
    case RY_PRESENCE_OFFLINE:
    case RY_PRESENCE_ONLINE:
    case RY_PRESENCE_AWAY:
    case RY_PRESENCE_INVISIBLE:
    case RY_PRESENCE_BUSY:
        return true;
    default:
        return false;
    }
}

constexpr int32_t kGroupBeingLeft = 1;
constexpr uint64_t kContactListGroup = 0;

}  // namespace

ServiceFunctions::ServiceFunctions(ServiceFunctionsEnvironment environment)
    : connection_(environment.connection),
      contacts_(std::move(environment.contacts)),
      friendRequests_(environment.friendRequests),
      screens_(environment.screens),
      service_(RY_GetPrimaryService()),
      account_(service_),
      alive_(std::make_shared<ServiceFunctions*>(this)) {
    using namespace kestrova::names;
    add<&ServiceFunctions::setPresenceStatus>(kServiceSetPresenceStatus);
    add<&ServiceFunctions::addContact>(kServiceAddContact);
    add<&ServiceFunctions::acceptContact>(kServiceAcceptContact);
    add<&ServiceFunctions::deleteContact>(kServiceDeleteContact);
    add<&ServiceFunctions::adminContact>(kServiceAdminContact);
    add<&ServiceFunctions::groupSubscribe>(kServiceGroupSubscribe);
    add<&ServiceFunctions::leaveGroup>(kServiceLeaveGroup);
    add<&ServiceFunctions::createGroup>(kServiceCreateGroup);
    add<&ServiceFunctions::getContactHandle>(kServiceGetContactHandle);
    add<&ServiceFunctions::getMyHandle>(kServiceGetMyHandle);
}

ServiceFunctions::~ServiceFunctions() {
    functions_.clear();
    RY_ReleaseService(service_);
}

template <intptr_t (ServiceFunctions::*Operation)(void*)>
void ServiceFunctions::add(const char* operation) {
    functions_.emplace_back(serviceFunctionName(service_, operation), &ServiceFunctions::call<Operation>, this);
}

void ServiceFunctions::writeDesiredStatus(int32_t status) {
    RY_ServiceData data{};
    data.size = sizeof data;
    data.flags = RY_SERVICE_CONNECTION_STATE | RY_SERVICE_TEXT6 | RY_SERVICE_VALUE1;
    data.connectionState = status;
    data.text6 = "";
    data.value1 = kReasonNone;
    RY_SetServiceData(service_, &data);
}

HCONTACT ServiceFunctions::findContact(uint64_t contactId) const {
    return contacts_ ? contacts_(contactId) : nullptr;
}

void ServiceFunctions::setOwnPresence(int32_t status) {
    if (connection_.myId() == 0) return;
    HCONTACT own = findContact(connection_.myId());
    if (!own) return;
    RY_ContactData data{};
    data.size = sizeof data;
    data.flags = RY_CONTACT_PRESENCE;
    data.presence = status;
    RY_SetContactData(own, &data);
    RY_ReleaseContact(own);
}

intptr_t ServiceFunctions::setPresenceStatus(void* argument) {
    if (!argument) return 0;
    int32_t status = static_cast<const RY_PresenceStatusArgs*>(argument)->status;
    // NOTE: the desired status goes to the server in every "AUTH"; a number
    // that is no status would be asked for there.
    if (!isOnlineStatus(status)) return 0;
    int32_t state = connection_.state();
    if (status == kStatusOffline) {
        writeDesiredStatus(kStatusOffline);
        // NOTE: also from a reconnect wait, which must not come back online.
        if (state != kStateOffline) connection_.disconnect();
        return 1;
    }
    if (state == kStateOnline) {
        setOwnPresence(status);
        wire::Packet detail("CONTACT DETAIL");
        detail.setHeader("Online-Status", status);
        connection_.sendWithId(detail);
    } else if (state == kStateOffline) {
        AccountSnapshot account = account_.read();
        if (account.name.empty() || account.password.empty()) {
            screens_.showSignIn();
            return 0;
        }
        // The desired status is what the coming "AUTH" asks for.
        writeDesiredStatus(status);
        connection_.connect();
        return 1;
    }
    writeDesiredStatus(status);
    return 1;
}

intptr_t ServiceFunctions::addContact(void* argument) {
    const auto* args = static_cast<const RY_AddContactArgs*>(argument);
    if (!args || !args->address || !*args->address) return 0;
    wire::Packet request("CONTACT ADD");
    request.setHeader(allDecimalDigits(args->address) ? "Target-Id" : "Name", args->address);
    request.setBody(textOf(args->message));
    connection_.submit(std::move(request), toCallback(args->callback, args->user));
    return 1;
}

intptr_t ServiceFunctions::acceptContact(void* argument) {
    const auto* args = static_cast<const RY_AcceptContactArgs*>(argument);
    if (!args) return 0;
    uint64_t contactId = args->contactId;
    wire::Packet answer("CONTACT ADD RESP");
    answer.setHeader("Source-Id", contactId);
    // Declining is the absence of the header, not a 0.
    if (args->accepted) answer.setHeader("Accepted", int32_t{1});
    std::weak_ptr<ServiceFunctions*> alive = alive_;
    connection_.submit(std::move(answer), [alive, contactId](int64_t code, const std::string&) {
        if (auto self = alive.lock()) (*self)->friendRequests_.answered(contactId, code);
        return true;
    });
    return 1;
}

intptr_t ServiceFunctions::deleteContact(void* argument) {
    const auto* handle = static_cast<const HCONTACT*>(argument);
    if (!handle || !*handle) return 0;
    ContactRef contact = holdContact(*handle);
    wire::Packet update("CONTACT UPDATE");
    update.setHeader("Contact-Id", RY_GetContactID(contact.get()));
    update.setHeader("Remove", int32_t{1});
    connection_.submit(std::move(update), [contact](int64_t code, const std::string&) {
        if (code != kCodeSuccess) return true;
        HGROUP contactList = RY_GetGroup(kContactListGroup);
        RY_RemoveGroupMember(contactList, contact.get());
        RY_ReleaseGroup(contactList);
        return true;
    });
    return 1;
}

intptr_t ServiceFunctions::adminContact(void* argument) {
    const auto* args = static_cast<const RY_AdminContactArgs*>(argument);
    if (!args || !args->contact || !args->group) return 0;
    wire::Packet admin("GROUP ADMIN");
    admin.setHeader("Group-Id", RY_GetGroupID(args->group));
    admin.setHeader("Target-Id", RY_GetContactID(args->contact));
    admin.setHeader("Action", args->action);
    connection_.sendWithId(admin);
    return 1;
}

intptr_t ServiceFunctions::groupSubscribe(void* argument) {
    const auto* args = static_cast<const RY_GroupSubscribeArgs*>(argument);
    if (!args || !args->name || !*args->name) return 0;
    wire::Packet subscribe("GROUP SUBSCRIBE");
    subscribe.setHeader("Name", args->name);
    subscribe.setBody(textOf(args->password));
    connection_.submit(std::move(subscribe), toCallback(args->callback, args->user));
    return 1;
}

intptr_t ServiceFunctions::leaveGroup(void* argument) {
    auto* handle = static_cast<HGROUP>(argument);
    if (!handle) return 0;
    GroupRef group = holdGroup(handle);
    uint64_t groupId = RY_GetGroupID(handle);
    int32_t before = groupStateOf(handle);
    setGroupState(handle, kGroupBeingLeft);
    wire::Packet leave("GROUP UNSUB");
    leave.setHeader("Mesg-Id", uint64_t{RY_GetLUID()});
    leave.setHeader("Group-Id", groupId);
    connection_.submit(std::move(leave), [group, groupId, before](int64_t code, const std::string&) {
        if (code == kCodeSuccess) {
            RY_DeleteGroup(groupId);
            return true;
        }
        // NOTE: a refused leave must not leave the group shown as being left
        // for the rest of the session. Only our own mark is undone: a session
        // that ended meanwhile has marked the group stale, and that stays.
        if (groupStateOf(group.get()) == kGroupBeingLeft) setGroupState(group.get(), before);
        return true;
    });
    return 1;
}

intptr_t ServiceFunctions::createGroup(void* argument) {
    const auto* args = static_cast<const RY_CreateGroupArgs*>(argument);
    if (!args || !args->name || !*args->name) return 0;
    wire::Packet create("GROUP CREATE");
    create.setHeader("Mesg-Id", uint64_t{RY_GetLUID()});
    create.setHeader("Name", args->name);
    create.setHeader("Desc", texts::kChatGroupDescription);
    // NOTE: the server expects the length even though there is no body.
    create.setHeader("Content-Length", int32_t{0});
    connection_.submit(std::move(create), toCallback(args->callback, args->user));
    return 1;
}

intptr_t ServiceFunctions::getContactHandle(void* argument) {
    auto* args = static_cast<RY_GetContactHandleArgs*>(argument);
    if (!args) return 0;
    if (HCONTACT contact = findContact(args->contactId)) args->contact = contact;
    return 1;
}

intptr_t ServiceFunctions::getMyHandle(void*) {
    if (connection_.myId() == 0) return 0;
    return reinterpret_cast<intptr_t>(findContact(connection_.myId()));
}

}  // namespace kestrova::connection
