#include "service_functions.h"

#include "group_state.h"

#include "account_screens.h"
#include "connection.h"
#include "contact_lookup.h"
#include "friend_requests.h"
#include "service_requests.h"

#include "kestrova/bus_records.h"
#include "kestrova/wire/protocol.h"

#include <algorithm>
#include <string_view>

namespace kestrova::connection {

namespace protocol = wire::protocol;

namespace {

using ContactRef = std::shared_ptr<RY_ContactRecord>;
using GroupRef = std::shared_ptr<RY_GroupRecord>;

ContactRef holdContact(HCONTACT contact) { return ContactRef(RY_DuplicateContactHandle(contact), RY_ReleaseContact); }
GroupRef holdGroup(HGROUP group) { return GroupRef(RY_DuplicateGroupHandle(group), RY_ReleaseGroup); }

std::string textOf(const char* text) { return text ? std::string(text) : std::string(); }

// A text that goes into a header: one that would break its line is refused
// here, before a request exists, so the caller learns it from the result.
bool isHeaderText(const char* text) { return text && *text && wire::isLineText(text); }

bool allDecimalDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// What every group this client creates says of itself.
constexpr const char kChatGroupDescription[] = "Chat group";

}  // namespace

ServiceFunctions::ServiceFunctions(ServiceFunctionsEnvironment environment)
    : connection_(environment.connection),
      contacts_(std::move(environment.contacts)),
      friendRequests_(environment.friendRequests),
      screens_(environment.screens),
      service_(RY_GetPrimaryService()),
      account_(service_),
      alive_(std::make_shared<ServiceFunctions*>(this)) {
    add(names::kServiceSetPresenceStatus, &ServiceFunctions::setPresenceStatus);
    add(names::kServiceAddContact, &ServiceFunctions::addContact);
    add(names::kServiceAcceptContact, &ServiceFunctions::acceptContact);
    add(names::kServiceDeleteContact, &ServiceFunctions::deleteContact);
    add(names::kServiceAdminContact, &ServiceFunctions::adminContact);
    add(names::kServiceGroupSubscribe, &ServiceFunctions::groupSubscribe);
    add(names::kServiceLeaveGroup, &ServiceFunctions::leaveGroup);
    add(names::kServiceCreateGroup, &ServiceFunctions::createGroup);
    add(names::kServiceGetContactHandle, &ServiceFunctions::getContactHandle);
    add(names::kServiceGetMyHandle, &ServiceFunctions::getMyHandle);
    functions_.push_back(kit::registerFunction(names::kConnectionSetIdentity,
                                               [this](const RY_IdentityArgs* args) { return setIdentity(args); }));
}

ServiceFunctions::~ServiceFunctions() {
    functions_.clear();
    RY_ReleaseService(service_);
}

template <typename Arg, typename Result, typename Member>
void ServiceFunctions::add(bus::ServiceOperation<Arg, Result> operation, Member member) {
    functions_.push_back(kit::registerFunction(
        operation, service_, [this, member](auto... argument) { return (this->*member)(argument...); }));
}

void ServiceFunctions::writeDesiredStatus(int32_t status) {
    account_.write(kit::ServiceChange().desiredStatus(status).failure("", kit::kFailureNone));
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

int32_t ServiceFunctions::setPresenceStatus(const RY_PresenceStatusArgs* args) {
    if (!args) return 0;
    int32_t status = args->status;
    // NOTE: the desired status goes to the server in every "AUTH"; a number
    // that is no status would be asked for there.
    if (!isOnlineStatus(status)) return 0;
    int32_t state = connection_.state();
    if (status == RY_PRESENCE_OFFLINE) {
        writeDesiredStatus(RY_PRESENCE_OFFLINE);
        // NOTE: also from a reconnect wait, which must not come back online.
        if (state != kStateOffline) connection_.disconnect();
        return 1;
    }
    if (state == kStateOnline) {
        wire::Packet detail(protocol::command::kContactDetail);
        detail.setHeader(protocol::header::kOnlineStatus, status);
        // The next sign-in asks for the desired status all the same; the
        // own contact shows only what the server was told.
        if (!connection_.sendWithId(detail)) {
            writeDesiredStatus(status);
            return 0;
        }
        setOwnPresence(status);
    } else if (state == kStateOffline) {
        kit::ServiceFields account = account_.read();
        if (account.userName.empty() || account.password.empty()) {
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

int32_t ServiceFunctions::addContact(const RY_AddContactArgs* args) {
    if (!args || !isHeaderText(args->address)) return 0;
    wire::Packet request(protocol::command::kContactAdd);
    request.setHeader(allDecimalDigits(args->address) ? protocol::header::kTargetId : protocol::header::kName,
                      args->address);
    request.setBody(textOf(args->message));
    connection_.submit(std::move(request), toCallback(args->callback, args->user));
    return 1;
}

int32_t ServiceFunctions::acceptContact(const RY_AcceptContactArgs* args) {
    if (!args) return 0;
    uint64_t contactId = args->contactId;
    wire::Packet answer(protocol::command::kContactAddResp);
    answer.setHeader(protocol::header::kSourceId, contactId);
    // Declining is the absence of the header, not a 0.
    if (args->accepted) answer.setHeader(protocol::header::kAccepted, int32_t{1});
    std::weak_ptr<ServiceFunctions*> alive = alive_;
    connection_.submit(std::move(answer), [alive, contactId](int64_t code, const std::string&) {
        if (auto self = alive.lock()) (*self)->friendRequests_.answered((*self)->service_, contactId, code);
        return true;
    });
    return 1;
}

int32_t ServiceFunctions::deleteContact(const HCONTACT* handle) {
    if (!handle || !*handle) return 0;
    ContactRef contact = holdContact(*handle);
    wire::Packet update(protocol::command::kContactUpdate);
    update.setHeader(protocol::header::kContactId, RY_GetContactID(contact.get()));
    update.setHeader(protocol::header::kRemove, int32_t{1});
    connection_.submit(std::move(update), [contact](int64_t code, const std::string&) {
        if (code != kCodeSuccess) return true;
        HGROUP contactList = RY_GetGroup(kContactListGroup);
        RY_RemoveGroupMember(contactList, contact.get());
        RY_ReleaseGroup(contactList);
        return true;
    });
    return 1;
}

int32_t ServiceFunctions::adminContact(const RY_AdminContactArgs* args) {
    if (!args || !args->contact || !args->group) return 0;
    wire::Packet admin(protocol::command::kGroupAdmin);
    admin.setHeader(protocol::header::kGroupId, RY_GetGroupID(args->group));
    admin.setHeader(protocol::header::kTargetId, RY_GetContactID(args->contact));
    admin.setHeader(protocol::header::kAction, args->action);
    return connection_.sendWithId(admin) ? 1 : 0;
}

int32_t ServiceFunctions::groupSubscribe(const RY_GroupSubscribeArgs* args) {
    if (!args || !isHeaderText(args->name)) return 0;
    wire::Packet subscribe(protocol::command::kGroupSubscribe);
    subscribe.setHeader(protocol::header::kName, args->name);
    subscribe.setBody(textOf(args->password));
    connection_.submit(std::move(subscribe), toCallback(args->callback, args->user));
    return 1;
}

int32_t ServiceFunctions::leaveGroup(HGROUP handle) {
    if (!handle) return 0;
    GroupRef group = holdGroup(handle);
    uint64_t groupId = RY_GetGroupID(handle);
    int32_t before = groupStateOf(handle);
    setGroupState(handle, kGroupBeingLeft);
    wire::Packet leave(protocol::command::kGroupUnsubscribe);
    leave.setHeader(protocol::header::kMesgId, uint64_t{RY_GetLUID()});
    leave.setHeader(protocol::header::kGroupId, groupId);
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

int32_t ServiceFunctions::createGroup(const RY_CreateGroupArgs* args) {
    if (!args || !isHeaderText(args->name)) return 0;
    wire::Packet create(protocol::command::kGroupCreate);
    create.setHeader(protocol::header::kMesgId, uint64_t{RY_GetLUID()});
    create.setHeader(protocol::header::kName, args->name);
    create.setHeader(protocol::header::kDescription, kChatGroupDescription);
    // NOTE: the server expects the length even though there is no body.
    create.setHeader(protocol::header::kContentLength, int32_t{0});
    connection_.submit(std::move(create), toCallback(args->callback, args->user));
    return 1;
}

int32_t ServiceFunctions::getContactHandle(RY_GetContactHandleArgs* args) {
    if (!args) return 0;
    if (HCONTACT contact = findContact(args->contactId)) args->contact = contact;
    return 1;
}

int32_t ServiceFunctions::setIdentity(const RY_IdentityArgs* args) {
    if (!args || connection_.state() != kStateOnline) return 0;
    wire::Packet detail(protocol::command::kContactDetail);
    kit::ServiceChange change;
    RY_ContactData own{};
    own.size = sizeof own;
    if (args->nickname) {
        detail.setHeader(protocol::header::kNickname, args->nickname);
        change.nickname(args->nickname);
        own.flags |= RY_CONTACT_NICKNAME;
        own.nickname = args->nickname;
    }
    if (args->statusLine) {
        detail.setHeader(protocol::header::kStatus, args->statusLine);
        change.statusText(args->statusLine);
        own.flags |= RY_CONTACT_STATUS_TEXT;
        own.statusText = args->statusLine;
    }
    // NOTE: a text that cannot go into a header is sent nowhere and kept
    // nowhere, so that what others see and what we show stay the same.
    if (!detail.writable()) return 0;
    connection_.sendWithId(detail);
    account_.write(change);
    if (HCONTACT me = getMyHandle()) {
        RY_SetContactData(me, &own);
        RY_ReleaseContact(me);
    }
    return 1;
}

HCONTACT ServiceFunctions::getMyHandle() {
    if (connection_.myId() == 0) return nullptr;
    return findContact(connection_.myId());
}

}  // namespace kestrova::connection
