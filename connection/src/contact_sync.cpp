#include "contact_sync.h"

#include "profile_maps.h"

#include "kestrova/bus.h"
#include "kestrova/kit/handles.h"
#include "kestrova/kit/service_record.h"
#include "kestrova/wire/packet.h"

#include <optional>
#include <string>

namespace kestrova::connection {
namespace {

HDATAMAP currentMap(HCONTACT contact) {
    RY_ContactData current{};
    current.size = sizeof current;
    RY_GetContactData(contact, &current);
    return current.dataMap;
}

int32_t number(std::optional<std::string_view> value) { return value ? wire::readDecimalInt(*value) : 0; }

}  // namespace

ContactSync::ContactSync(ContactDirectory& contacts, IncomingMessages& incoming, SessionLink& link)
    : contacts_(contacts), incoming_(incoming), link_(link) {}

void ContactSync::applyContactList(std::string_view encoded, bool full) {
    applyList(encoded, full, contacts_, Source::Account);
}

void ContactSync::applyBridgedList(std::string_view encoded, ContactDirectory& bridgeContacts) {
    applyList(encoded, false, bridgeContacts, Source::Bridge);
}

void ContactSync::applyList(std::string_view encoded, bool full, ContactDirectory& directory, Source source) {
    wire::DataMapView list;
    list.parse(encoded);
    kit::OwnedGroup contactList(RY_GetGroup(kContactListGroup));
    // One view serves every record in turn: a list of thousands costs no
    // allocation per contact for its parsing.
    wire::DataMapView record;
    for (const auto& [key, value] : list) {
        uint64_t id = wire::readDecimalId(key);
        if (value.empty()) {
            if (HCONTACT known = directory.find(id)) {
                RY_RemoveGroupMember(contactList.get(), known);
                RY_ReleaseContact(known);
            }
            continue;
        }
        record.parse(value);
        if (source == Source::Account)
            applyRecord(id, record, full);
        else
            applyRecordIn(directory, id, record, full, source);
    }
}

void ContactSync::applyRecord(uint64_t id, const wire::DataMapView& record, bool full) {
    // A record of the account's own list is applied whatever keys it carries
    // ("Bridge-Id" included): unknown keys are ignored, never the record.
    applyRecordIn(contacts_, id, record, full, Source::Account);
}

void ContactSync::applyRecordIn(ContactDirectory& directory, uint64_t id, const wire::DataMapView& record,
                                bool full, Source source) {
    kit::OwnedContact contact(directory.get(id));

    RY_ContactData current{};
    current.size = sizeof current;
    RY_GetContactData(contact.get(), &current);

    RY_ContactData change{};
    change.size = sizeof change;
    auto username = record.findString("Username");
    auto nickname = record.findString("Nickname");
    auto status = record.findString("Status");
    if (username) {
        change.flags |= RY_CONTACT_NAME;
        change.name = username->c_str();
    }
    if (nickname || full) {
        change.flags |= RY_CONTACT_NICKNAME;
        change.nickname = nickname ? nickname->c_str() : "";
    }
    if (status || full) {
        change.flags |= RY_CONTACT_STATUS_TEXT;
        change.statusText = status ? status->c_str() : "";
    }
    // A bridged contact's id is the bridge's own; it is never the account.
    applyUserData(contact.get(), source == Source::Account ? id : 0, record, full, change);

    auto presence = record.find("Online-Status");
    if (presence || full) {
        change.flags |= RY_CONTACT_PRESENCE;
        change.presence = number(presence);
        if (change.presence == RY_PRESENCE_OFFLINE) incoming_.failFrom(contact.get());
    } else if (current.presence == RY_PRESENCE_UNKNOWN) {
        change.flags |= RY_CONTACT_PRESENCE;
        change.presence = RY_PRESENCE_OFFLINE;
    }
    auto device = record.find("Device-Type");
    if (device || full) {
        change.flags |= RY_CONTACT_DEVICE_TYPE;
        change.deviceType = number(device);
    }
    if (username && !nickname) {
        change.flags |= RY_CONTACT_NICKNAME;
        change.nickname = username->c_str();
    }
    RY_SetContactData(contact.get(), &change);

    if (source == Source::Account && number(record.find("contact")) == 0) return;
    kit::OwnedGroup contactList(RY_GetGroup(kContactListGroup));
    uint32_t flags = 0;
    auto state = record.find("state");
    if (full || state)
        flags = static_cast<uint32_t>(number(state)) << 8;
    else
        RY_GetGroupMember(contactList.get(), contact.get(), &flags);
    RY_SetGroupMember(contactList.get(), contact.get(), &flags);
}

void ContactSync::applyUserData(HCONTACT contact, uint64_t id, const wire::DataMapView& record, bool full,
                                RY_ContactData& change) {
    bool mentioned = !record.withPrefix(kUserDataKey).empty();
    if (!mentioned && !full) return;
    if (id != 0 && id == link_.myId()) {
        // The own contact shares the profile's map, which the api owns and
        // other code (location, access control) writes too: it is merged
        // into, never replaced.
        HDATAMAP own = bus::get(names::kMyProfileUserData);
        if (!own) return;
        applyMapKeys(own, kUserDataKey, record);
        shareOwnMap(contact, own, change);
        return;
    }
    HDATAMAP map = currentMap(contact);
    if (full || !map) map = RY_CreateDataMap();  // its reference goes to the contact
    applyMapKeys(map, kUserDataKey, record);
    change.flags |= RY_CONTACT_DATA_MAP;
    change.dataMap = map;
}

void ContactSync::shareOwnMap(HCONTACT contact, HDATAMAP own, RY_ContactData& change) {
    change.flags |= RY_CONTACT_DATA_MAP;
    // A set with the map the contact already holds takes no reference; any
    // other map's reference is handed over.
    change.dataMap = currentMap(contact) == own ? own : RY_DuplicateDataMapHandle(own);
}

void ContactSync::refreshOwnContact(const char* nickname, const char* statusLine) {
    uint64_t myId = link_.myId();
    if (myId == 0 || !contacts_.service()) return;
    kit::ServiceFields account = kit::ServiceRecord(contacts_.service()).read();
    kit::OwnedContact own(contacts_.get(myId));
    RY_ContactData change{};
    change.size = sizeof change;
    change.flags = RY_CONTACT_NAME | RY_CONTACT_NICKNAME | RY_CONTACT_STATUS_TEXT | RY_CONTACT_PRESENCE;
    change.name = account.userName.c_str();
    change.nickname = nickname && *nickname ? nickname : account.userName.c_str();
    change.statusText = statusLine ? statusLine : "";
    change.presence = account.desiredStatus;
    if (HDATAMAP map = bus::get(names::kMyProfileUserData)) shareOwnMap(own.get(), map, change);
    RY_SetContactData(own.get(), &change);
}

void ContactSync::pruneStale() {
    if (contacts_.service()) RY_PruneContacts(1, contacts_.service(), 1, RY_PRESENCE_UNKNOWN);
}

}  // namespace kestrova::connection
