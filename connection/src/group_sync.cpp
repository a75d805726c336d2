#include "group_sync.h"

#include "kestrova/bus.h"
#include "kestrova/kit/handles.h"

#include <optional>
#include <string>
#include <vector>

namespace kestrova::connection {
namespace {

bool isDecimal(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

std::vector<uint64_t> tableIds() {
    std::vector<uint64_t> ids;
    uint64_t id = 0;
    if (!RY_EnumGroupsBegin(&id)) return ids;
    // The contact list (0) sorts first, so 0 from Next is always the end.
    do ids.push_back(id);
    while ((id = RY_EnumGroupsNext(id)) != 0);
    return ids;
}

}  // namespace

GroupSync::GroupSync(ContactDirectory& contacts, ContactSync& contactSync, SessionLink& link)
    : contacts_(contacts), contactSync_(contactSync), link_(link) {}

void GroupSync::applySubscriptions(std::string_view encoded) {
    wire::DataMapView groups;
    groups.parse(encoded);
    wire::DataMapView group;
    for (const auto& [key, value] : groups) {
        group.parse(value);
        applyGroup(wire::readDecimalId(key), group);
        bus::raise(names::kGroupsChanged);
    }
}

void GroupSync::applyGroup(uint64_t id, const wire::DataMapView& map) {
    kit::OwnedGroup group(RY_GetGroup(id));
    auto name = map.findString("name");
    auto description = map.findString("desc");
    RY_GroupData data{};
    data.size = sizeof data;
    data.flags = RY_GROUP_SERVICE | RY_GROUP_STATE | RY_GROUP_NAME | RY_GROUP_DESCRIPTION;
    data.service = contacts_.service();
    data.groupState = kGroupCurrent;
    data.name = name ? name->c_str() : "";
    data.description = description ? description->c_str() : "";
    RY_SetGroupData(group.get(), &data);

    // Members come first in key order: decimal ids sort before the letters.
    wire::DataMapView member;
    for (const auto& [key, value] : map) {
        if (!isDecimal(key)) break;
        member.parse(value);
        auto capabilities = member.find("capabilities");
        uint32_t flags = capabilities ? static_cast<uint32_t>(wire::readDecimalInt(*capabilities)) : 0;
        kit::OwnedContact contact(contacts_.get(wire::readDecimalId(key)));
        RY_SetGroupMember(group.get(), contact.get(), &flags);
    }
}

void GroupSync::applyUpdate(const wire::Packet& packet) {
    wire::DataMapView map;
    if (map.parse(packet.body()).status != wire::ParseStatus::Complete) return;
    // An update that names no group would land on the contact list.
    auto groupId = map.find("Group-Id");
    if (!groupId) return;
    uint64_t id = wire::readDecimalId(*groupId);
    kit::OwnedGroup group(RY_GetGroup(id));

    auto name = map.findString("Name");
    auto description = map.findString("Desc");
    if (name || description) {
        RY_GroupData data{};
        data.size = sizeof data;
        if (name) {
            data.flags |= RY_GROUP_NAME;
            data.name = name->c_str();
        }
        if (description) {
            data.flags |= RY_GROUP_DESCRIPTION;
            data.description = description->c_str();
        }
        RY_SetGroupData(group.get(), &data);
    }

    auto type = map.find("Type");
    auto contactId = map.find("Contact-Id");
    if (type && contactId) {
        uint64_t memberId = wire::readDecimalId(*contactId);
        kit::OwnedContact contact(contacts_.get(memberId));
        if (wire::readDecimalInt(*type) == 0) {
            RY_AddGroupMember(group.get(), contact.get());
        } else {
            uint32_t flags = 0;
            RY_GetGroupMember(group.get(), contact.get(), &flags);
            if (!(flags & kMemberStays)) RY_RemoveGroupMember(group.get(), contact.get());
            // We left, or were put out: the group is gone for us.
            if (memberId == link_.myId()) RY_DeleteGroup(id);
        }
    }

    if (auto list = map.find("contacts")) contactSync_.applyContactList(*list, false);
}

void GroupSync::setState(uint64_t id, int32_t state) {
    kit::OwnedGroup group(RY_GetGroup(id));
    RY_GroupData data{};
    data.size = sizeof data;
    data.flags = RY_GROUP_STATE;
    data.groupState = state;
    RY_SetGroupData(group.get(), &data);
}

void GroupSync::markStale() {
    for (uint64_t id : tableIds()) setState(id, kGroupStale);
}

void GroupSync::deleteStale() {
    for (uint64_t id : tableIds()) {
        kit::OwnedGroup group(RY_GetGroup(id));
        RY_GroupData data{};
        data.size = sizeof data;
        RY_GetGroupData(group.get(), &data);
        if (data.groupState == kGroupStale) RY_DeleteGroup(id);
    }
}

}  // namespace kestrova::connection
