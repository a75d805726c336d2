#include "bridges/bridges.h"

#include "bridges/bridge_packets.h"
#include "bridges/bridge_protocol.h"
#include "bridges/disconnect_reason.h"
#include "bridges/xmpp/xmpp_account.h"
#include "client_connection.h"
#include "subscriber_session.h"

namespace kestrova::server::bridges {
namespace {

int32_t presenceOf(const wire::Packet& packet) {
    switch (int32_t status = packet.headerInt("Online-Status")) {
    case 1:
    case 2:
    case 3:
    case 5:
        return status;
    default:
        return 1;
    }
}

std::string owner(uint64_t account) {
    return std::to_string(account);
}

std::string domainOf(const std::string& address) {
    return address.substr(address.find('@') + 1);
}

} // namespace

Bridges::Bridges(AccountStore& accounts, SessionRegistry& sessions, const ServerConfig& config,
                 NetworkFactory networks)
    : accounts_(accounts), sessions_(sessions), config_(config.bridges), networks_(std::move(networks)),
      store_(accounts.database()) {
    handlers_ = {
        {command::kRegister, &Bridges::onRegister},
        {command::kRegisterFields, &Bridges::onRegisterFields},
        {command::kOn, &Bridges::onSwitchOn},
        {command::kOff, &Bridges::onSwitchOff},
        {command::kUpdate, &Bridges::onUpdate},
        {command::kContactAdd, &Bridges::onContactAdd},
        {command::kContactAddAnswer, &Bridges::onContactAddAnswer},
        {command::kContactRemove, &Bridges::onContactRemove},
        {command::kChatJoin, &Bridges::onChatJoin},
        {command::kChatLeave, &Bridges::onChatLeave},
        {command::kMessage, &Bridges::onMessage},
    };
}

// The sessions go first: their adapters hold callbacks into this object.
Bridges::~Bridges() {
    live_.clear();
}

bool Bridges::open(std::string& error) {
    if (!BridgeStore::prepare(accounts_.database(), error)) return false;
    seal_ = CredentialSeal::open(config_.keyFile, error);
    if (!seal_) error = "the key of bridge credentials: " + error;
    return seal_ != nullptr;
}

void Bridges::registerCommands(Dispatcher& dispatcher) {
    for (const auto& entry : handlers_)
        dispatcher.add(entry.first, Access::SignedIn,
                       [this](ClientConnection& connection, const wire::Packet& packet) {
                           if (std::shared_ptr<SubscriberSession> session = connection.session())
                               handle(*session, packet);
                       });
}

bool Bridges::handle(SubscriberSession& session, const wire::Packet& packet) {
    auto it = handlers_.find(packet.command());
    if (it == handlers_.end()) return false;
    // A resumed client sends its unanswered requests again; those answered
    // meanwhile get the same answer and are not carried out twice. The
    // encrypted fields reuse the id of their "BRIDGE REGISTER", whose answer
    // is not theirs.
    bool fieldsOfRegistration = packet.command() == command::kRegisterFields && packet.hasHeader("IV");
    if (packet.hasHeader("Mesg-Id") && !fieldsOfRegistration) {
        if (std::optional<uint32_t> earlier = session.answerTo(packet.headerId("Mesg-Id"))) {
            session.send(responsePacket(packet.headerId("Mesg-Id"), *earlier));
            return true;
        }
    }
    (this->*(it->second))(session, packet);
    return true;
}

void Bridges::respond(SubscriberSession& session, const wire::Packet& request, uint32_t code, bool remember) {
    uint64_t mesgId = request.headerId("Mesg-Id");
    if (mesgId == 0) return;
    if (remember) session.rememberAnswer(mesgId, code);
    session.send(responsePacket(mesgId, code));
}

void Bridges::onRegister(SubscriberSession& session, const wire::Packet& packet) {
    uint64_t mesgId = packet.headerId("Mesg-Id");
    if (mesgId == 0) return; // the fields could not name it
    int32_t network = packet.headerInt("Bridge-Type");
    if (network != kNetworkXmpp) return respond(session, packet, code::kUnsupportedNetwork);
    // The fields will come encrypted with the session cipher, which a plain
    // sign-in never keyed.
    if (!session.cipherKey()) return respond(session, packet, code::kDenied);
    if (store_.countOf(session.accountId()) >= config_.maxBridgesPerAccount)
        return respond(session, packet, code::kLimit);
    std::deque<Registration>& waiting = registrations_[session.accountId()];
    if (waiting.size() >= config_.maxPendingRegistrations) waiting.pop_front();
    waiting.push_back({mesgId, network});
    respond(session, packet, code::kOk);
}

void Bridges::onRegisterFields(SubscriberSession& session, const wire::Packet& packet) {
    if (!packet.hasHeader("IV")) {
        // The header form: the fields in clear, no registration before.
        int32_t network = packet.hasHeader("Bridge-Type") ? packet.headerInt("Bridge-Type") : kNetworkXmpp;
        if (network != kNetworkXmpp) return respond(session, packet, code::kUnsupportedNetwork);
        return respond(session, packet, createBridge(session, network, fieldsFromHeaders(packet)));
    }
    uint64_t mesgId = packet.headerId("Mesg-Id");
    std::deque<Registration>& waiting = registrations_[session.accountId()];
    auto registration = std::find_if(waiting.begin(), waiting.end(),
                                     [&](const Registration& r) { return r.mesgId == mesgId; });
    if (registration == waiting.end()) return respond(session, packet, code::kNoSuchTarget, false);
    int32_t network = registration->network;
    waiting.erase(registration);
    std::optional<RegistrationFields> fields;
    if (session.cipherKey())
        fields = openRegistrationFields(*session.cipherKey(), packet.headerInt("IV"), packet.body());
    uint32_t result = fields ? createBridge(session, network, *fields) : code::kMalformed;
    respond(session, packet, result, false);
}

uint32_t Bridges::createBridge(SubscriberSession& session, int32_t network,
                               const RegistrationFields& fields) {
    std::optional<BridgeAccount> account = xmpp::accountFromFields(fields);
    if (!account) return code::kMalformed;
    if (!seal_) return code::kDenied;  // not opened: nothing could be kept safely
    if (store_.countOf(session.accountId()) >= config_.maxBridgesPerAccount) return code::kLimit;
    BridgeEntry entry;
    entry.account = session.accountId();
    entry.network = network;
    entry.username = account->address;
    entry.nickname = account->nickname;
    entry.domain = domainOf(account->address);
    entry.enabled = true;
    entry.sealedCredentials = seal_->seal(encodeAccount(*account), owner(session.accountId()));
    std::optional<uint64_t> id = store_.add(entry);
    if (!id) return code::kLimit;
    entry.id = *id;
    // The client learns of the bridge as of any other profile change, and
    // being enabled, switches it on.
    wire::Packet push("SUB PROFILE");
    push.setBody(wire::encodeDataMap(
        {{"BRIDGE", wire::encodeDataMap({{std::to_string(entry.id), profileEntry(entry)}})}}));
    session.send(push);
    return code::kOk;
}

void Bridges::onSwitchOn(SubscriberSession& session, const wire::Packet& packet) {
    std::optional<BridgeEntry> entry = store_.find(session.accountId(), packet.headerId("Bridge-Id"));
    if (!entry) return respond(session, packet, code::kNoSuchTarget);
    store_.setEnabled(entry->id, true);
    respond(session, packet, code::kOk);
    BridgeSession& bridge = liveFor(*entry);
    std::optional<std::string> sealed =
        seal_ ? seal_->unseal(entry->sealedCredentials, owner(entry->account)) : std::nullopt;
    std::optional<BridgeAccount> account = sealed ? decodeAccount(*sealed) : std::nullopt;
    if (!account)
        return bridge.refuse(reason::unableToAuthenticate(
            "the server can no longer read the password; remove the service and add it again"));
    bridge.switchOn(networks_, *account, presenceOf(packet), BridgeSession::Clock::now());
}

void Bridges::onSwitchOff(SubscriberSession& session, const wire::Packet& packet) {
    std::optional<BridgeEntry> entry = store_.find(session.accountId(), packet.headerId("Bridge-Id"));
    if (!entry) return respond(session, packet, code::kNoSuchTarget);
    store_.setEnabled(entry->id, false);
    if (BridgeSession* bridge = live(entry->id)) bridge->switchOff();
    respond(session, packet, code::kOk);
}

void Bridges::onUpdate(SubscriberSession& session, const wire::Packet& packet) {
    if (packet.hasHeader("Online-Status")) {
        int32_t status = packet.headerInt("Online-Status");
        if (status != 1 && status != 2 && status != 3 && status != 5)
            return respond(session, packet, code::kMalformed);
        return withLive(session, packet, [&](BridgeSession& bridge) { return bridge.setPresence(status); });
    }
    // Without a presence: the user removes the account.
    std::optional<BridgeEntry> entry = store_.find(session.accountId(), packet.headerId("Bridge-Id"));
    if (!entry) return respond(session, packet, code::kNoSuchTarget);
    retire(entry->id);
    store_.remove(entry->id);
    respond(session, packet, code::kOk);
}

void Bridges::onContactAdd(SubscriberSession& session, const wire::Packet& packet) {
    withLive(session, packet, [&](BridgeSession& bridge) {
        return bridge.requestContact(packet.header("Name"), packet.body());
    });
}

void Bridges::onContactAddAnswer(SubscriberSession& session, const wire::Packet& packet) {
    withLive(session, packet, [&](BridgeSession& bridge) {
        return bridge.answerRequest(packet.headerId("Response-Id"), packet.hasHeader("Accepted"));
    });
}

void Bridges::onContactRemove(SubscriberSession& session, const wire::Packet& packet) {
    withLive(session, packet, [&](BridgeSession& bridge) {
        return packet.headerInt("Remove") == 1 ? bridge.removeContact(packet.headerId("Contact-Id"))
                                               : code::kMalformed;
    });
}

void Bridges::onChatJoin(SubscriberSession& session, const wire::Packet& packet) {
    withLive(session, packet, [&](BridgeSession& bridge) {
        return bridge.joinChat(packet.header("Name"), packet.header("Nickname"), packet.body());
    });
}

void Bridges::onChatLeave(SubscriberSession& session, const wire::Packet& packet) {
    withLive(session, packet,
             [&](BridgeSession& bridge) { return bridge.leaveChat(packet.headerId("Chat-Id")); });
}

void Bridges::onMessage(SubscriberSession& session, const wire::Packet& packet) {
    if (packet.headerId("Mesg-Id") == 0) return; // cannot be answered, so cannot be taken
    withLive(session, packet, [&](BridgeSession& bridge) { return bridge.takeChunk(packet); });
}

template <typename Act>
void Bridges::withLive(SubscriberSession& session, const wire::Packet& packet, Act act) {
    uint64_t bridgeId = packet.headerId("Bridge-Id");
    if (!store_.find(session.accountId(), bridgeId)) return respond(session, packet, code::kNoSuchTarget);
    BridgeSession* bridge = live(bridgeId);
    respond(session, packet, bridge ? act(*bridge) : code::kBridgeOffline);
}

BridgeSession& Bridges::liveFor(const BridgeEntry& entry) {
    Live& slot = live_[entry.id];
    if (!slot.session) {
        uint64_t account = entry.account;
        slot.account = account;
        slot.session = std::make_unique<BridgeSession>(
            entry.id,
            [this, account](const wire::Packet& packet) {
                if (std::shared_ptr<SubscriberSession> session = sessions_.find(account))
                    session->send(packet);
            },
            config_);
    }
    return *slot.session;
}

BridgeSession* Bridges::live(uint64_t bridgeId) {
    auto found = live_.find(bridgeId);
    return found == live_.end() ? nullptr : found->second.session.get();
}

void Bridges::retire(uint64_t bridgeId) {
    live_.erase(bridgeId);
}

void Bridges::fillProfile(const Account& account, wire::DataMapEntries& profile) {
    wire::DataMapEntries entries;
    for (const BridgeEntry& entry : store_.bridgesOf(account.id))
        entries[std::to_string(entry.id)] = profileEntry(entry);
    if (!entries.empty()) profile["BRIDGE"] = wire::encodeDataMap(entries);
}

void Bridges::ended(const std::shared_ptr<SubscriberSession>& session, SessionEnd) {
    registrations_.erase(session->accountId());
    for (auto it = live_.begin(); it != live_.end();) {
        if (it->second.account == session->accountId())
            it = live_.erase(it);
        else
            ++it;
    }
}

} // namespace kestrova::server::bridges
