#include "messaging.h"

#include "client_connection.h"
#include "response.h"
#include "subscriber_session.h"

#include <set>
#include "kestrova/wire/protocol.h"

namespace kestrova::server {
namespace {

template <typename Value>
std::vector<uint64_t> keysOf(const std::map<uint64_t, Value>& map) {
    std::vector<uint64_t> keys;
    keys.reserve(map.size());
    for (const auto& entry : map) keys.push_back(entry.first);
    return keys;
}

}  // namespace

namespace protocol = wire::protocol;

Messaging::Messaging(AccountStore& accounts, SessionRegistry& sessions, const ServerConfig& config)
    : accounts_(accounts),
      sessions_(sessions),
      config_(config),
      limits_(config.messaging),
      store_(accounts.database()) {
    std::string ignored;  // main reports a database that refuses the tables before it gets here
    MessagingStore::prepare(accounts.database(), ignored);
    // Nothing is in progress yet: parts of messages a stopped server was
    // still receiving will never be finished (their senders start over).
    store_.removeUnfinished();
    handlers_ = {
        {protocol::command::kContactAdd, &Messaging::onContactAdd},
        {protocol::command::kContactAddResp, &Messaging::onContactAddResponse},
        {protocol::command::kContactUpdate, &Messaging::onContactUpdate},
        {protocol::command::kContactDetail, &Messaging::onContactDetail},
        {protocol::command::kSubProfileUpdate, &Messaging::onProfileUpdate},
        {protocol::command::kLocationSubmit, &Messaging::onLocationReport},
        {protocol::command::kGroupCreate, &Messaging::onGroupCreate},
        {protocol::command::kGroupSubscribe, &Messaging::onGroupSubscribe},
        {protocol::command::kGroupUnsubscribe, &Messaging::onGroupUnsubscribe},
        {protocol::command::kGroupAdmin, &Messaging::onGroupAdmin},
        {protocol::command::kMessage, &Messaging::onMessage},
        {protocol::command::kMessagesStored, &Messaging::onStoredMessages},
        {protocol::command::kMessageHistory, &Messaging::onHistory},
    };
}

void Messaging::registerCommands(Dispatcher& dispatcher) {
    for (const auto& entry : handlers_)
        dispatcher.add(entry.first, Access::SignedIn, [this](ClientConnection& connection, const wire::Packet& packet) {
            if (std::shared_ptr<SubscriberSession> session = connection.session()) handle(*session, packet);
        });
}

bool Messaging::handle(SubscriberSession& session, const wire::Packet& packet) {
    auto it = handlers_.find(packet.command());
    if (it == handlers_.end()) return false;
    if (packet.hasHeader(protocol::header::kMesgId)) {
        if (std::optional<uint32_t> earlier = session.answerTo(packet.headerId(protocol::header::kMesgId))) {
            session.send(responsePacket(packet.headerId(protocol::header::kMesgId), *earlier));
            return true;
        }
    }
    (this->*(it->second))(session, packet);
    return true;
}

void Messaging::respond(SubscriberSession& session, const wire::Packet& request, uint32_t code) {
    uint64_t mesgId = request.headerId(protocol::header::kMesgId);
    if (mesgId == 0) return;  // nothing to answer to
    session.rememberAnswer(mesgId, code);
    session.send(responsePacket(mesgId, code));
}

void Messaging::fillProfile(const Account& account, wire::DataMapEntries& profile) {
    // Every account the profile names is read in one batch per kind, not one
    // lookup each: a member of a large group names a thousand.
    wire::DataMapEntries contacts;
    std::map<uint64_t, int32_t> states;
    for (const ContactEntry& entry : store_.contactsOf(account.id)) states[entry.contact] = entry.state;
    for (const Account& contact : accounts_.findByIds(keysOf(states), true)) {
        int32_t state = states[contact.id];
        wire::DataMapEntries record = contactRecord(contact, state == kContactAccepted);
        record.emplace("contact", "1");
        record["state"] = std::to_string(state);
        contacts[std::to_string(contact.id)] = wire::encodeDataMap(record);
    }
    wire::DataMapEntries requests;
    std::map<uint64_t, std::string> texts;
    for (FriendRequest& request : store_.requestsFor(account.id)) texts[request.requester] = std::move(request.text);
    for (const Account& requester : accounts_.findByIds(keysOf(texts))) {
        requests[std::to_string(requester.id)] =
            wire::encodeDataMap({{"Name", requester.name}, {"MESG", texts[requester.id]}});
        // Not on the list, but known by name and nickname.
        contacts.try_emplace(std::to_string(requester.id), wire::encodeDataMap(contactRecord(requester, false)));
    }
    wire::DataMapEntries groups;
    std::set<uint64_t> fellows;  // members of the account's groups it would otherwise know by number only
    for (uint64_t groupId : store_.groupsOf(account.id)) {
        std::optional<Group> group = store_.groupById(groupId);
        if (!group) continue;
        std::vector<GroupMember> members = store_.members(groupId);
        groups[std::to_string(groupId)] = groupEntry(*group, members);
        for (const GroupMember& member : members)
            if (member.id != account.id && !contacts.count(std::to_string(member.id))) fellows.insert(member.id);
    }
    for (const Account& other : accounts_.findByIds({fellows.begin(), fellows.end()}))
        contacts[std::to_string(other.id)] = wire::encodeDataMap(contactRecord(other, false));
    if (!contacts.empty()) profile["contacts"] = wire::encodeDataMap(contacts);
    if (!groups.empty()) profile["group_sub"] = wire::encodeDataMap(groups);
    if (!requests.empty()) profile["CONTACT_ADD"] = wire::encodeDataMap(requests);
    if (!account.userData.empty()) profile["user_data"] = account.userData;
    if (!account.userAcl.empty()) profile["user_acl"] = account.userAcl;
}

bool Messaging::hasStoredMessages(uint64_t accountId) { return store_.storedMessages(accountId) > 0; }

void Messaging::signedIn(const std::shared_ptr<SubscriberSession>& session) {
    uint64_t self = session->accountId();
    // A message the client acknowledged is its own to keep: the store lets
    // it go. (A resumed session keeps its handler.)
    session->setDeliveredHandler(
        [this, self](const std::vector<uint64_t>& messageIds) { store_.removeStoredMessages(self, messageIds); });
    // The client asks for its stored messages next; until they went out, new
    // ones wait behind them so that it sees each sender's in order.
    if (store_.storedMessages(self) > 0) awaitingStored_.insert(self);
    pushPresence(self, session->onlineStatus());
}

void Messaging::resumed(const std::shared_ptr<SubscriberSession>& session) {
    pushPresence(session->accountId(), session->onlineStatus());
    // Messages that arrived while the line was down were stored; a resumed
    // client does not ask for them, so they follow the packets it missed.
    deliverStored(session);
}

void Messaging::connectionLost(const std::shared_ptr<SubscriberSession>& session) {
    pushPresence(session->accountId(), 0);
}

void Messaging::ended(const std::shared_ptr<SubscriberSession>& session, SessionEnd why) {
    // What it had not acknowledged stays in the store for its next session.
    awaitingStored_.erase(session->accountId());
    // The sender's unfinished messages will not be finished: its client
    // sends them again from the start in its next session.
    for (auto it = inProgress_.begin(); it != inProgress_.end();) {
        auto next = std::next(it);
        if (it->first.first == session->accountId()) abandonMessage(it);
        it = next;
    }
    if (why != SessionEnd::Displaced) pushPresence(session->accountId(), 0);
}

void Messaging::sendToEach(const std::vector<uint64_t>& to, const wire::Packet& packet) {
    // Written once, however many it goes to.
    std::optional<std::string> written = packet.serialise();
    if (!written) return;
    auto bytes = std::make_shared<const std::string>(std::move(*written));
    for (uint64_t recipient : to)
        if (std::shared_ptr<SubscriberSession> session = sessions_.find(recipient)) session->resend(bytes);
}

uint64_t Messaging::nextMessageId() {
    // Microseconds since 1970: unique in this process (strictly increasing)
    // and, the clock permitting, across restarts, without a table to count.
    auto now = std::chrono::duration_cast<std::chrono::microseconds>(
                   std::chrono::system_clock::now().time_since_epoch()).count();
    lastMessageId_ = std::max(lastMessageId_ + 1, static_cast<uint64_t>(now));
    return lastMessageId_;
}

}  // namespace kestrova::server
