#include "profile_sync.h"
#include "connection.h"
#include "profile_frame.h"
#include "profile_maps.h"

#include "kestrova/kit/handles.h"
#include "kestrova/wire/data_map_view.h"
#include "kestrova/wire/protocol.h"

#include <optional>

namespace kestrova::connection {

namespace protocol = wire::protocol;

namespace {

std::optional<std::string_view> entry(HDATAMAP map, const char* key) {
    const unsigned char* data = nullptr;
    uint32_t length = 0;
    if (!RY_GetDataMapEntry(map, key, &data, &length)) return std::nullopt;
    return std::string_view(reinterpret_cast<const char*>(data), length);
}

}  // namespace

ProfileSync::ProfileSync(ContactDirectory& contacts, ContactSync& contactSync, GroupSync& groups, SessionLink& link)
    : contacts_(contacts), contactSync_(contactSync), groups_(groups), link_(link) {}

void ProfileSync::loadContacts(HDATAMAP profile) {
    bool full = link_.state() == kStateLoadingContacts;
    if (full) contactSync_.refreshOwnContact(RY_GetDataMapString(profile, "Nickname"),
                                             RY_GetDataMapString(profile, "Status"));
    applyContacts(profile, full);
}

void ProfileSync::loadGroupsAndOwnData(HDATAMAP profile) { applyRest(profile, true); }

void ProfileSync::applyUpdate(const wire::Packet& packet) {
    auto frame = splitProfileBody(packet.body(), packet.headerInt(protocol::header::kIvLength),
                                  packet.headerInt(protocol::header::kResumeKey));
    if (!frame) return;
    kit::OwnedDataMap profile(RY_CreateDataMap());
    if (!RY_ParseDataMap(profile.get(), frame->map.data(), static_cast<uint32_t>(frame->map.size()))) return;
    applyContacts(profile.get(), false);
    applyRest(profile.get(), false);
}

void ProfileSync::applyContacts(HDATAMAP profile, bool full) {
    if (auto list = entry(profile, "contacts")) contactSync_.applyContactList(*list, full);
    contactSync_.pruneStale();
}

void ProfileSync::applyRest(HDATAMAP profile, bool initial) {
    groups_.setState(kContactListGroup, kGroupCurrent);
    if (auto groups = entry(profile, "group_sub")) groups_.applySubscriptions(*groups);
    if (initial) {
        groups_.deleteStale();
        contactSync_.pruneStale();
    }
    if (auto bridges = entry(profile, "BRIDGE")) {
        if (bridges_) bridges_->applyProfileEntries(*bridges);
        bus::raise(names::kGroupsChanged);
    }
    if (auto requests = entry(profile, "CONTACT_ADD")) applyFriendRequests(*requests);
    applyOwnMaps(profile);
}

void ProfileSync::applyFriendRequests(std::string_view encoded) {
    kit::OwnedGroup contactList(RY_GetGroup(kContactListGroup));
    wire::DataMapView requests;
    requests.parse(encoded);
    wire::DataMapView request;
    for (const auto& [key, value] : requests) {
        uint64_t id = wire::readDecimalId(key);
        request.parse(value);
        kit::OwnedContact contact(contacts_.get(id));
        if (auto name = request.findString("Name")) {
            RY_ContactData data{};
            data.size = sizeof data;
            data.flags = RY_CONTACT_NAME;
            data.name = name->c_str();
            RY_SetContactData(contact.get(), &data);
        }
        if (RY_GroupContainsMember(contactList.get(), contact.get())) {
            // Already on the list: the request is a formality.
            wire::Packet accept(protocol::command::kContactAddResp);
            accept.setHeader(protocol::header::kSourceId, id);
            accept.setHeader(protocol::header::kAccepted, int32_t{1});
            link_.submit(std::move(accept), nullptr);
            continue;
        }
        if (friendRequests_)
            friendRequests_->addFriendRequest(contacts_.service(), contact.get(), id,
                                              request.findString("MESG").value_or(std::string()));
    }
}

void ProfileSync::applyOwnMaps(HDATAMAP profile) {
    HDATAMAP userData = bus::get(names::kMyProfileUserData);
    HDATAMAP userAcl = bus::get(names::kMyProfileUserAcl);
    // Collect first: the enumeration cursor belongs to the map.
    std::vector<std::pair<std::string, std::string>> own;
    const char* key = nullptr;
    const unsigned char* data = nullptr;
    uint32_t length = 0;
    for (int32_t more = RY_EnumDataMapBegin(profile, &key, &data, &length); more;
         more = RY_EnumDataMapNext(profile, &key, &data, &length)) {
        std::string_view name(key);
        if (name.starts_with(kUserDataKey) || name.starts_with(kUserAclKey))
            own.emplace_back(name, std::string(reinterpret_cast<const char*>(data), length));
    }
    for (const auto& [name, value] : own)
        if (!applyMapKey(userData, kUserDataKey, name, value)) applyMapKey(userAcl, kUserAclKey, name, value);
}

}  // namespace kestrova::connection
