#include "groups.h"

#include "contacts.h"
#include "core_state.h"

#include <utility>
#include <vector>

namespace kestrova::api {
namespace {

void apply(Group& g, const RY_GroupData& d) {
    if (d.flags & RY_GROUP_NAME) g.name = textOrEmpty(d.name);
    if (d.flags & RY_GROUP_STATE) g.groupState = d.groupState;
    if (d.flags & RY_GROUP_SERVICE) replaceReference(g.service, record(d.service));
    if (d.flags & RY_GROUP_ID) g.groupId = d.groupId;
    if (d.flags & RY_GROUP_DESCRIPTION) g.description = textOrEmpty(d.description);
}

Group& group(HGROUP handle) { return *body<Group>(handle); }

void releaseAllMembers(Group& g) {
    std::map<HandleRecord*, uint32_t> members;
    members.swap(g.members);
    for (auto& [contact, flags] : members) releaseHandle(contact);
}

}  // namespace

Group::~Group() {
    releaseAllMembers(*this);
    releaseHandle(std::exchange(service, nullptr));
    subscribers_.detachAll();
}

void Group::beforeLastRelease() {
    releaseAllMembers(*this);
    subscribers_.dispatch(nullptr);
}

void removeGroupMember(HandleRecord* handle, HandleRecord* contact) {
    Group& g = *static_cast<Group*>(handle->body);
    if (auto it = g.members.find(contact); it != g.members.end()) {
        g.members.erase(it);
        releaseHandle(contact);
    }
    notifySubscribers(handle, nullptr);
}

void releaseGroupTable(CoreState& state) {
    std::map<int64_t, HandleRecord*> table;
    table.swap(state.groups);
    for (auto& [id, handle] : table) releaseHandle(handle);
}

}  // namespace kestrova::api

using namespace kestrova::api;

extern "C" {

HGROUP RY_CreateGroup(const RY_GroupData* data) {
    auto* g = new Group;
    apply(*g, *data);
    return as<HGROUP>(makeHandle(g));
}

HGROUP RY_GetGroup(uint64_t groupId) {
    auto& table = core().groups;
    auto [it, inserted] = table.try_emplace(int64_t(groupId), nullptr);
    if (inserted) {
        auto* g = new Group;
        g->groupId = groupId;
        it->second = makeHandle(g);  // the table's reference
    }
    duplicateHandle(it->second);
    return as<HGROUP>(it->second);
}

void RY_SetGroupData(HGROUP handle, const RY_GroupData* data) {
    apply(group(handle), *data);
    notifySubscribers(record(handle), handle);
}

void RY_GetGroupData(HGROUP handle, RY_GroupData* out) {
    const Group& g = group(handle);
    out->service = as<HSERVICE>(g.service);
    out->groupId = g.groupId;
    out->name = g.name.c_str();
    out->groupState = g.groupState;
    out->description = g.description.c_str();
}

uint64_t RY_GetGroupID(HGROUP handle) { return group(handle).groupId; }

void RY_SetGroupMember(HGROUP handle, HCONTACT contact, const uint32_t* memberFlags) {
    auto [it, inserted] = group(handle).members.try_emplace(record(contact), 0);
    if (inserted && contact) duplicateHandle(record(contact));
    it->second = *memberFlags;
    notifySubscribers(record(handle), nullptr);
}

void RY_AddGroupMember(HGROUP handle, HCONTACT contact) {
    const uint32_t noFlags = 0;
    RY_SetGroupMember(handle, contact, &noFlags);
}

int32_t RY_GetGroupMember(HGROUP handle, HCONTACT contact, uint32_t* memberFlagsOut) {
    const auto& members = group(handle).members;
    auto it = members.find(record(contact));
    if (it == members.end()) return 0;
    if (memberFlagsOut) *memberFlagsOut = it->second;
    return 1;
}

int32_t RY_GroupContainsMember(HGROUP handle, HCONTACT contact) {
    return group(handle).members.contains(record(contact)) ? 1 : 0;
}

void RY_RemoveGroupMember(HGROUP handle, HCONTACT contact) { removeGroupMember(record(handle), record(contact)); }

void RY_RemoveAllGroupMembers(HGROUP handle) {
    releaseAllMembers(group(handle));
    notifySubscribers(record(handle), nullptr);
}

void RY_GetGroupMembers(HGROUP handle, HCONTACT* contacts, uint32_t* memberFlags, uint32_t* count) {
    const auto& members = group(handle).members;
    if (*count == 0) {
        *count = uint32_t(members.size());
        return;
    }
    uint32_t written = 0;
    for (auto it = members.begin(); it != members.end() && written < *count; ++it, ++written) {
        contacts[written] = as<HCONTACT>(it->first);
        if (memberFlags) memberFlags[written] = it->second;
    }
    *count = written;
}

void RY_DeleteGroup(uint64_t groupId) {
    auto& table = core().groups;
    auto it = table.find(int64_t(groupId));
    if (it == table.end()) return;
    HandleRecord* handle = it->second;
    table.erase(it);
    releaseHandle(handle);
    kestrova::bus::raise(kestrova::names::kGroupsChanged);
}

int32_t RY_EnumGroupsBegin(uint64_t* idOut) {
    const auto& table = core().groups;
    if (table.empty()) return 0;
    *idOut = uint64_t(table.begin()->first);
    return 1;
}

uint64_t RY_EnumGroupsNext(uint64_t groupId) {
    const auto& table = core().groups;
    auto it = table.find(int64_t(groupId));
    if (it == table.end() || ++it == table.end()) return 0;
    return uint64_t(it->first);
}

void RY_PruneContacts(int32_t byService, HSERVICE service, int32_t byPresence, int32_t presence) {
    // Work on a snapshot that holds each group alive: removals tell
    // subscribers, and a subscriber may change the table meanwhile.
    std::vector<HandleRecord*> groups;
    for (auto& [id, handle] : core().groups) {
        duplicateHandle(handle);
        groups.push_back(handle);
    }
    for (HandleRecord* handle : groups) {
        std::vector<HandleRecord*> doomed;
        for (auto& [contact, flags] : static_cast<Group*>(handle->body)->members) {
            const Contact* c = contact ? static_cast<Contact*>(contact->body) : nullptr;
            if (byPresence && (!c || c->presence != presence)) continue;
            if (byService && (!c || c->service != record(service))) continue;
            doomed.push_back(contact);
        }
        for (HandleRecord* contact : doomed) removeGroupMember(handle, contact);
        releaseHandle(handle);
    }
}

}  // extern "C"
