// Chat groups: creating, joining with or without a password, leaving, and
// the administrators' actions on members.
#include "messaging.h"

#include "response.h"
#include "sqlite_transaction.h"
#include "subscriber_session.h"
#include "kestrova/crypto/md5.h"
#include "kestrova/wire/protocol.h"

#include <set>

namespace kestrova::server {

namespace protocol = wire::protocol;

namespace {

std::string passwordDigest(const std::string& password) {
    if (password.empty()) return {};
    crypto::Md5Digest digest = crypto::md5(password.data(), password.size());
    return std::string(reinterpret_cast<const char*>(digest.data()), digest.size());
}

bool validGroupName(const std::string& name, size_t maxBytes) {
    if (name.empty() || name.size() > maxBytes) return false;
    for (unsigned char c : name)
        if (c < ' ' || c == 0x7F) return false;
    return true;
}

std::vector<uint64_t> memberIds(const std::vector<GroupMember>& members) {
    std::vector<uint64_t> ids;
    for (const GroupMember& member : members) ids.push_back(member.id);
    return ids;
}

bool mayAdminister(int32_t capabilities) { return capabilities == membership::kAdmin; }

}  // namespace

std::string Messaging::groupEntry(const Group& group, const std::vector<GroupMember>& members) {
    wire::DataMapEntries entry{{"name", group.name}, {"desc", group.description}};
    for (const GroupMember& member : members)
        entry[std::to_string(member.id)] =
            wire::encodeDataMap({{"capabilities", std::to_string(member.capabilities)}});
    return wire::encodeDataMap(entry);
}

void Messaging::pushGroupSub(uint64_t accountId, const Group& group) {
    std::vector<GroupMember> members = store_.members(group.id);
    wire::DataMapEntries profile{
        {"group_sub", wire::encodeDataMap({{std::to_string(group.id), groupEntry(group, members)}})}};
    // The members' names, so that the client does not show bare numbers;
    // read in one batch.
    std::set<uint64_t> listed;
    for (const ContactEntry& entry : store_.contactsOf(accountId)) listed.insert(entry.contact);
    std::vector<uint64_t> unknown;
    for (const GroupMember& member : members)
        if (member.id != accountId && !listed.count(member.id)) unknown.push_back(member.id);
    wire::DataMapEntries contacts;
    for (const Account& other : accounts_.findByIds(unknown))
        contacts[std::to_string(other.id)] =
            wire::encodeDataMap({{"Username", other.name}, {"Nickname", other.nickname}});
    if (!contacts.empty()) profile["contacts"] = wire::encodeDataMap(contacts);
    pushProfile(accountId, profile);
}

void Messaging::sendGroupUpdate(uint64_t groupId, int32_t type, uint64_t memberId, const std::vector<uint64_t>& to) {
    wire::DataMapEntries update{
        {"Group-Id", std::to_string(groupId)},
        {"Type", std::to_string(type)},
        {"Contact-Id", std::to_string(memberId)},
    };
    if (type == 0) {
        if (std::optional<Account> member = accounts_.findById(memberId))
            update["contacts"] = wire::encodeDataMap(
                {{std::to_string(memberId), wire::encodeDataMap({{"Username", member->name}, {"Nickname", member->nickname}})}});
    }
    wire::Packet packet(protocol::command::kGroupUpdate);
    packet.setBody(wire::encodeDataMap(update));
    sendToEach(to, packet);
}

bool Messaging::storeLeaving(uint64_t groupId, uint64_t memberId) {
    Transaction unit(store_.database());
    if (!store_.removeMember(groupId, memberId)) return false;
    // A group nobody belongs to any more is gone, and its name free again.
    if (store_.memberCount(groupId) == 0 && !store_.deleteGroup(groupId)) return false;
    return unit.commit();
}

void Messaging::tellLeaving(uint64_t groupId, uint64_t memberId, const std::vector<uint64_t>& tellAlso) {
    std::vector<uint64_t> to = memberIds(store_.members(groupId));
    to.insert(to.end(), tellAlso.begin(), tellAlso.end());
    sendGroupUpdate(groupId, 1, memberId, to);
}

void Messaging::onGroupCreate(SubscriberSession& session, const wire::Packet& packet) {
    std::string name = packet.header(protocol::header::kName);
    std::string description = packet.header(protocol::header::kDescription);
    if (!wire::isLineText(name) || !wire::isLineText(description))
        return respond(session, packet, code::kTextBreaksLine);
    if (!validGroupName(name, limits_.maxGroupName) || description.size() > limits_.maxGroupDescription)
        return respond(session, packet, code::kMalformed);
    if (store_.groupByName(name)) return respond(session, packet, code::kInUse);
    if (store_.groupsOf(session.accountId()).size() >= limits_.maxGroupsPerAccount)
        return respond(session, packet, code::kLimit);
    // The client creates groups without a password; a body, when there is
    // one, is the password others must give to join.
    std::optional<uint64_t> id;
    {
        Transaction unit(store_.database());
        id = store_.createGroup(name, description, passwordDigest(packet.body()));
        if (!id) return respond(session, packet, code::kInUse);
        if (!store_.setMember(*id, session.accountId(), membership::kAdmin) || !unit.commit())
            return respond(session, packet, code::kStorageFailed);
    }
    pushGroupSub(session.accountId(), *store_.groupById(*id));
    respond(session, packet, code::kOk);
}

void Messaging::onGroupSubscribe(SubscriberSession& session, const wire::Packet& packet) {
    std::optional<Group> group = store_.groupByName(packet.header(protocol::header::kName));
    if (!group) return respond(session, packet, code::kNoSuchTarget);
    uint64_t self = session.accountId();
    if (store_.capabilities(group->id, self)) return respond(session, packet, code::kInUse);
    if (store_.isBanned(group->id, self) || passwordDigest(packet.body()) != group->passwordDigest)
        return respond(session, packet, code::kDenied);
    if (store_.memberCount(group->id) >= limits_.maxGroupMembers ||
        store_.groupsOf(self).size() >= limits_.maxGroupsPerAccount)
        return respond(session, packet, code::kLimit);
    std::vector<uint64_t> others = memberIds(store_.members(group->id));
    if (!store_.setMember(group->id, self, membership::kMember)) return respond(session, packet, code::kStorageFailed);
    pushGroupSub(self, *group);
    sendGroupUpdate(group->id, 0, self, others);
    respond(session, packet, code::kOk);
}

void Messaging::onGroupUnsubscribe(SubscriberSession& session, const wire::Packet& packet) {
    uint64_t groupId = packet.headerId(protocol::header::kGroupId);
    if (!store_.groupById(groupId)) return respond(session, packet, code::kNoSuchTarget);
    if (!store_.capabilities(groupId, session.accountId())) return respond(session, packet, code::kDenied);
    if (!storeLeaving(groupId, session.accountId())) return respond(session, packet, code::kStorageFailed);
    tellLeaving(groupId, session.accountId(), {});
    respond(session, packet, code::kOk);
}

void Messaging::onGroupAdmin(SubscriberSession& session, const wire::Packet& packet) {
    uint64_t groupId = packet.headerId(protocol::header::kGroupId);
    uint64_t targetId = packet.headerId(protocol::header::kTargetId);
    int32_t action = packet.headerInt(protocol::header::kAction);
    if (!store_.groupById(groupId)) return respond(session, packet, code::kNoSuchTarget);
    std::optional<int32_t> mine = store_.capabilities(groupId, session.accountId());
    if (!mine || !mayAdminister(*mine)) return respond(session, packet, code::kDenied);
    if (!store_.capabilities(groupId, targetId)) return respond(session, packet, code::kNoSuchTarget);
    switch (action) {
    case membership::kMember: case membership::kAdmin: case membership::kModerator: case membership::kBanned:
    case membership::kSilenced: case membership::kKicked: break;
    default: return respond(session, packet, code::kMalformed);
    }
    std::vector<uint64_t> members = memberIds(store_.members(groupId));
    bool removes = action == membership::kKicked || action == membership::kBanned;
    {
        Transaction unit(store_.database());
        bool stored = removes ? (action != membership::kBanned || store_.ban(groupId, targetId)) &&
                                    storeLeaving(groupId, targetId)
                              : store_.setMember(groupId, targetId, action);
        if (!stored || !unit.commit()) return respond(session, packet, code::kStorageFailed);
    }
    // Every member learns of the action, the one it concerns included.
    wire::Packet notice(protocol::command::kGroupAdmin);
    notice.setHeader(protocol::header::kGroupId, groupId);
    notice.setHeader(protocol::header::kTargetId, targetId);
    notice.setHeader(protocol::header::kSourceId, session.accountId());
    notice.setHeader(protocol::header::kAction, action);
    sendToEach(members, notice);
    if (removes) tellLeaving(groupId, targetId, {targetId});
    respond(session, packet, code::kOk);
}

}  // namespace kestrova::server
