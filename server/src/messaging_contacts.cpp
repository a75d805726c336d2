// Contact lists, friend requests, presence and the account's own profile
// data.
#include "messaging.h"

#include "profile_data.h"
#include "response.h"
#include "sqlite_transaction.h"
#include "subscriber_session.h"

#include "kestrova/wire/protocol.h"

#include <chrono>

namespace kestrova::server {

namespace protocol = wire::protocol;

namespace {

constexpr size_t kMaxIdentityText = 256;

bool validStatus(int32_t status) { return status == 1 || status == 2 || status == 3 || status == 5; }

void loadProfile(const Account& account, ProfileData& data) {
    parseWholeDataMap(account.userData, data.userData);
    parseWholeDataMap(account.userAcl, data.userAcl);
    data.nickname = account.nickname;
    data.statusLine = account.statusLine;
}

// A partial profile with the record of one contact (an empty record takes it
// off the list).
wire::Packet contactPush(uint64_t contactId, const wire::DataMapEntries& record) {
    std::string encoded = record.empty() ? std::string() : wire::encodeDataMap(record);
    wire::DataMapEntries contacts{{std::to_string(contactId), encoded}};
    wire::Packet packet(protocol::command::kSubProfile);
    packet.setBody(wire::encodeDataMap({{"contacts", wire::encodeDataMap(contacts)}}));
    return packet;
}

}  // namespace

int32_t Messaging::visibleStatus(const Account& account) {
    if (account.echoRobot) return 1;
    std::shared_ptr<SubscriberSession> session = sessions_.find(account.id);
    if (!session || !session->attached()) return 0;
    // Invisible looks offline to everyone else.
    return session->onlineStatus() == 3 ? 0 : session->onlineStatus();
}

wire::DataMapEntries Messaging::contactRecord(const Account& account, bool visible) {
    wire::DataMapEntries record{
        {"Username", account.name},
        {"Nickname", account.nickname},
        {"Status", account.statusLine},
        {"Device-Type", std::to_string(account.deviceType)},
        {"Online-Status", std::to_string(visible ? visibleStatus(account) : 0)},
    };
    if (visible && !account.userData.empty()) record["user_data"] = account.userData;
    return record;
}

void Messaging::pushProfile(uint64_t accountId, const wire::DataMapEntries& profile) {
    std::shared_ptr<SubscriberSession> session = sessions_.find(accountId);
    if (!session) return;
    wire::Packet packet(protocol::command::kSubProfile);
    packet.setBody(wire::encodeDataMap(profile));
    session->send(packet);
}

void Messaging::pushContact(uint64_t to, uint64_t contactId, const wire::DataMapEntries& record) {
    if (std::shared_ptr<SubscriberSession> session = sessions_.find(to)) session->send(contactPush(contactId, record));
}

void Messaging::pushToWatchers(uint64_t accountId, const wire::DataMapEntries& record) {
    sendToEach(store_.watchersOf(accountId), contactPush(accountId, record));
}

void Messaging::pushPresence(uint64_t accountId, int32_t status) {
    pushToWatchers(accountId, {{"Online-Status", std::to_string(status == 3 ? 0 : status)}});
}

void Messaging::onContactAdd(SubscriberSession& session, const wire::Packet& packet) {
    std::optional<Account> target = packet.hasHeader(protocol::header::kTargetId) ? accounts_.findById(packet.headerId(protocol::header::kTargetId))
                                                                  : accounts_.findByName(packet.header(protocol::header::kName));
    if (!target) return respond(session, packet, code::kNoSuchTarget);
    uint64_t self = session.accountId();
    if (target->id == self) return respond(session, packet, code::kDenied);
    if (!wire::isLineText(packet.body())) return respond(session, packet, code::kTextBreaksLine);
    if (packet.body().size() > limits_.maxRequestText) return respond(session, packet, code::kLimit);
    std::optional<int32_t> state = store_.contactState(self, target->id);
    if (state == kContactAccepted) return respond(session, packet, code::kContactExists);
    if (!state && store_.contactCount(self) >= limits_.maxContacts) return respond(session, packet, code::kLimit);
    if (!store_.hasRequest(self, target->id) && store_.requestCount(target->id) >= limits_.maxPendingRequests)
        return respond(session, packet, code::kLimit);
    if (target->echoRobot) {
        // The robot accepts everyone at once.
        if (!store_.setContact(self, target->id, kContactAccepted))
            return respond(session, packet, code::kStorageFailed);
        wire::DataMapEntries record = contactRecord(*target, true);
        record.emplace("contact", "1");
        record["state"] = std::to_string(kContactAccepted);
        pushContact(self, target->id, record);
        return respond(session, packet, code::kOk);
    }
    {
        Transaction unit(store_.database());
        bool stored = store_.setContact(self, target->id, kContactWaiting) &&
                      store_.setRequest(self, target->id, packet.body());
        if (!stored || !unit.commit()) return respond(session, packet, code::kStorageFailed);
    }

    wire::DataMapEntries waiting = contactRecord(*target, false);
    waiting.emplace("contact", "1");
    waiting["state"] = std::to_string(kContactWaiting);
    pushContact(self, target->id, waiting);

    std::optional<Account> me = accounts_.findById(self);
    if (me) {
        wire::DataMapEntries requester{{"Username", me->name}, {"Nickname", me->nickname}};
        wire::DataMapEntries request{{std::to_string(self), wire::encodeDataMap({{"Name", me->name}, {"MESG", packet.body()}})}};
        pushProfile(target->id, {{"contacts", wire::encodeDataMap({{std::to_string(self), wire::encodeDataMap(requester)}})},
                                 {"CONTACT_ADD", wire::encodeDataMap(request)}});
    }
    respond(session, packet, code::kOk);
}

void Messaging::onContactAddResponse(SubscriberSession& session, const wire::Packet& packet) {
    uint64_t self = session.accountId();
    uint64_t requester = packet.headerId(protocol::header::kSourceId);
    if (!store_.hasRequest(requester, self)) return respond(session, packet, code::kNoSuchTarget);
    bool accepted = packet.hasHeader(protocol::header::kAccepted) && packet.headerInt(protocol::header::kAccepted) != 0;
    bool stillAsking = store_.contactState(requester, self).has_value();
    {
        Transaction unit(store_.database());
        bool stored = store_.removeRequest(requester, self) &&
                      (!stillAsking || (accepted ? store_.setContact(requester, self, kContactAccepted)
                                                 : store_.removeContact(requester, self)));
        if (!stored || !unit.commit()) return respond(session, packet, code::kStorageFailed);
    }
    if (stillAsking && !accepted) {
        pushContact(requester, self, {});
    } else if (stillAsking) {
        if (std::optional<Account> me = accounts_.findById(self)) {
            wire::DataMapEntries record = contactRecord(*me, true);
            record.emplace("contact", "1");
            record["state"] = std::to_string(kContactAccepted);
            pushContact(requester, self, record);
        }
    }
    respond(session, packet, code::kOk);
}

void Messaging::onContactUpdate(SubscriberSession& session, const wire::Packet& packet) {
    // Removal is the one change a client can ask for.
    if (packet.headerInt(protocol::header::kRemove) != 1) return respond(session, packet, code::kMalformed);
    uint64_t self = session.accountId();
    uint64_t contact = packet.headerId(protocol::header::kContactId);
    if (!store_.contactState(self, contact)) return respond(session, packet, code::kNoSuchTarget);
    // Removal works both ways: the other side no longer sees this account
    // either, and is told so.
    bool mutual = store_.contactState(contact, self).has_value();
    {
        Transaction unit(store_.database());
        bool stored = store_.removeContact(self, contact) && store_.removeRequest(self, contact) &&
                      (!mutual || store_.removeContact(contact, self));
        if (!stored || !unit.commit()) return respond(session, packet, code::kStorageFailed);
    }
    if (mutual) pushContact(contact, self, {});
    respond(session, packet, code::kOk);
}

void Messaging::onContactDetail(SubscriberSession& session, const wire::Packet& packet) {
    uint64_t self = session.accountId();
    if (packet.hasHeader(protocol::header::kOnlineStatus)) {
        int32_t status = packet.headerInt(protocol::header::kOnlineStatus);
        if (!validStatus(status)) return respond(session, packet, code::kMalformed);
        session.setOnlineStatus(status);
        pushPresence(self, status);
    }
    if (packet.hasHeader(protocol::header::kNickname) || packet.hasHeader(protocol::header::kStatus)) {
        std::optional<Account> me = accounts_.findById(self);
        if (!me) return respond(session, packet, code::kNoSuchTarget);
        std::string nickname = packet.hasHeader(protocol::header::kNickname) ? packet.header(protocol::header::kNickname) : me->nickname;
        std::string status = packet.hasHeader(protocol::header::kStatus) ? packet.header(protocol::header::kStatus) : me->statusLine;
        // Both go into headers of others' packets (a message's "name").
        if (!wire::isLineText(nickname) || !wire::isLineText(status))
            return respond(session, packet, code::kTextBreaksLine);
        if (nickname.size() > kMaxIdentityText || status.size() > kMaxIdentityText)
            return respond(session, packet, code::kLimit);
        if (!accounts_.setIdentity(self, nickname, status)) return respond(session, packet, code::kStorageFailed);
        wire::DataMapEntries change{{"Nickname", nickname}, {"Status", status}};
        pushToWatchers(self, change);
        pushContact(self, self, change);
    }
    respond(session, packet, code::kOk);
}

void Messaging::onProfileUpdate(SubscriberSession& session, const wire::Packet& packet) {
    if (packet.body().size() > limits_.maxProfileBody) return respond(session, packet, code::kLimit);
    std::optional<Account> me = accounts_.findById(session.accountId());
    if (!me) return respond(session, packet, code::kNoSuchTarget);
    ProfileData data;
    loadProfile(*me, data);
    ProfileChange change;
    switch (applyProfileUpdate(packet.body(), data, change)) {
    case UpdateResult::Malformed: return respond(session, packet, code::kMalformed);
    case UpdateResult::TooLarge: return respond(session, packet, code::kLimit);
    case UpdateResult::TextBreaksLine: return respond(session, packet, code::kTextBreaksLine);
    case UpdateResult::Applied: break;
    }
    {
        Transaction unit(store_.database());
        std::string userData = wire::encodeDataMap(data.userData), userAcl = wire::encodeDataMap(data.userAcl);
        bool stored = accounts_.setProfileMaps(me->id, userData, userAcl) &&
                      (!change.identityChanged || accounts_.setIdentity(me->id, data.nickname, data.statusLine));
        if (!stored || !unit.commit()) return respond(session, packet, code::kStorageFailed);
    }
    // The echo brings the change into the client's own maps.
    if (!change.own.empty()) pushProfile(me->id, change.own);
    if (!change.visible.empty()) {
        pushToWatchers(me->id, change.visible);
        if (change.identityChanged)
            pushContact(me->id, me->id, {{"Nickname", data.nickname}, {"Status", data.statusLine}});
    }
    respond(session, packet, code::kOk);
}

void Messaging::onLocationReport(SubscriberSession& session, const wire::Packet& packet) {
    if (packet.body().size() > limits_.maxProfileBody) return respond(session, packet, code::kLimit);
    auto now = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch());
    std::optional<std::string> location = locationFromReport(packet.body(), now.count());
    if (!location) return respond(session, packet, code::kMalformed);
    std::optional<Account> me = accounts_.findById(session.accountId());
    if (!me) return respond(session, packet, code::kNoSuchTarget);
    ProfileData data;
    loadProfile(*me, data);
    data.userData["loc"] = *location;
    if (!accounts_.setProfileMaps(me->id, wire::encodeDataMap(data.userData), wire::encodeDataMap(data.userAcl)))
        return respond(session, packet, code::kStorageFailed);
    wire::DataMapEntries change{{"user_data.loc", *location}};
    pushProfile(me->id, change);
    pushToWatchers(me->id, change);
    respond(session, packet, code::kOk);
}

}  // namespace kestrova::server
