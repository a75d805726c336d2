#include "bridging/bridge_manager.h"

#include "connection.h"
#include "contact_sync.h"
#include "friend_requests.h"
#include "status_menu.h"

#include "kestrova/bus.h"
#include "kestrova/kit/handles.h"
#include "kestrova/wire/protocol.h"

namespace kestrova::connection {

namespace protocol = wire::protocol;

namespace {

wire::DataMapEntries decode(std::string_view encoded) {
    wire::DataMapEntries entries;
    wire::parseDataMap({reinterpret_cast<const uint8_t*>(encoded.data()), encoded.size()}, entries);
    return entries;
}

std::string textOf(const wire::DataMapEntries& map, std::string_view key) {
    auto found = map.find(key);
    return found == map.end() ? std::string() : found->second;
}

int32_t numberOf(const wire::DataMapEntries& map, std::string_view key) {
    auto found = map.find(key);
    return found == map.end() ? 0 : wire::readDecimalInt(found->second);
}

void setNames(HCONTACT contact, const wire::Packet& packet) {
    std::string name = packet.header(protocol::header::kName);
    std::string nickname = packet.header(protocol::header::kNickname);
    RY_ContactData data{};
    data.size = sizeof data;
    if (packet.hasHeader(protocol::header::kName)) {
        data.flags |= RY_CONTACT_NAME;
        data.name = name.c_str();
    }
    if (packet.hasHeader(protocol::header::kNickname)) {
        data.flags |= RY_CONTACT_NICKNAME;
        data.nickname = nickname.c_str();
    }
    if (data.flags) RY_SetContactData(contact, &data);
}

}  // namespace

BridgeManager::BridgeManager(BridgeManagerEnvironment environment)
    : connection_(environment.connection),
      contactSync_(environment.contactSync),
      friendRequests_(environment.friendRequests),
      registrations_(environment.connection, environment.alerts),
      networks_(environment.iconModule,
                [this](RY_ServiceTypeRegistration& form, int32_t type) { registrations_.start(form, type); }),
      bridgeEnvironment_{environment.connection, environment.friendRequests,
                         [this](uint64_t bridgeId) { remove(bridgeId); }},
      alive_(std::make_shared<BridgeManager*>(this)) {
    sessionEnded_ = kit::subscribe(names::kConnectionSessionEnded, [this] { forgetAll(); });
    registerHandlers();
}

BridgeManager::~BridgeManager() {
    sessionEnded_.reset();
    alive_.reset();
    forgetAll();
}

void BridgeManager::registerHandlers() {
    auto bind = [alive = std::weak_ptr<BridgeManager*>(alive_)](void (BridgeManager::*member)(const wire::Packet&)) {
        return [alive, member](const wire::Packet& packet) {
            if (auto self = alive.lock()) ((*self)->*member)(packet);
        };
    };
    connection_.registerHandler(protocol::command::kBridgeOn, bind(&BridgeManager::onSwitchedOn));
    connection_.registerHandler(protocol::command::kBridgeOff, bind(&BridgeManager::onSwitchedOff));
    connection_.registerHandler(protocol::command::kBridgeContact, bind(&BridgeManager::onContacts));
    connection_.registerHandler(protocol::command::kBridgeContactAdd, bind(&BridgeManager::onContactRequest));
    connection_.registerHandler(protocol::command::kBridgeChatContact, bind(&BridgeManager::onChatContact));
}

Bridge* BridgeManager::find(uint64_t bridgeId) {
    auto found = bridges_.find(bridgeId);
    return found == bridges_.end() ? nullptr : found->second.get();
}

Bridge* BridgeManager::bridgeOf(const wire::Packet& packet) {
    return find(packet.headerId(protocol::header::kBridgeId));
}

// --- The seam of messages and synchronisation ----------------------------------------

HCONTACT BridgeManager::bridgedContact(uint64_t bridgeId, uint64_t contactId) {
    Bridge* bridge = find(bridgeId);
    return bridge ? bridge->contacts().get(contactId) : nullptr;
}

HGROUP BridgeManager::bridgedChat(uint64_t bridgeId, uint64_t chatId) {
    Bridge* bridge = find(bridgeId);
    return bridge ? bridge->chat(chatId) : nullptr;
}

std::optional<uint64_t> BridgeManager::bridgeOf(HSERVICE service) {
    for (const auto& [id, bridge] : bridges_)
        if (bridge->service() == service && bridge->enabled()) return id;
    return std::nullopt;
}

// --- The profile's entries -------------------------------------------------------------

void BridgeManager::applyProfileEntries(std::string_view encoded) {
    for (const auto& [key, value] : decode(encoded)) applyEntry(wire::readDecimalId(key), decode(value));
}

void BridgeManager::applyEntry(uint64_t bridgeId, const wire::DataMapEntries& entry) {
    if (bridgeId == 0) return;
    Bridge* bridge = find(bridgeId);
    if (!bridge) {
        int32_t networkType = numberOf(entry, "bridge-type");
        HSERVICETYPE type = networks_.typeFor(networkType);
        // A network we have no type for cannot be shown or used.
        if (!type) return;
        auto made = std::make_unique<Bridge>(bridgeId, *networks_.networkOf(type), type, networks_.iconModule(),
                                             friendRequests_);
        bridge = bridges_.emplace(bridgeId, std::move(made)).first->second.get();
    }
    bridge->describe(textOf(entry, "username"), textOf(entry, "nickname"), textOf(entry, "domain"));
    enable(*bridge);
    if (numberOf(entry, "enabled") == 0) return;
    RY_PresenceStatusArgs on{RY_PRESENCE_ONLINE};
    bus::call(names::kServiceSetPresenceStatus, bridge->service(), &on);
}

void BridgeManager::enable(Bridge& bridge) {
    bridge.enable(std::make_unique<BridgeFunctions>(bridge, bridgeEnvironment_),
                  BridgeFunctions::makeStatusMenu(bridge.service()));
    bus::raise(names::kServicesChanged);
}

void BridgeManager::remove(uint64_t bridgeId) {
    auto found = bridges_.find(bridgeId);
    if (found == bridges_.end()) return;
    std::unique_ptr<Bridge> leaving = std::move(found->second);
    bridges_.erase(found);
    leaving.reset();
    bus::raise(names::kServicesChanged);
    bus::raise(names::kGroupsChanged);
}

void BridgeManager::forgetAll() {
    if (bridges_.empty()) return;
    // Taken off the map first: what their going notifies may look here.
    auto leaving = std::move(bridges_);
    bridges_.clear();
    leaving.clear();
    bus::raise(names::kServicesChanged);
    bus::raise(names::kGroupsChanged);
}

// --- Packets from the server ---------------------------------------------------------

void BridgeManager::onSwitchedOn(const wire::Packet& packet) {
    if (Bridge* bridge = bridgeOf(packet)) bridge->switchedOn();
}

void BridgeManager::onSwitchedOff(const wire::Packet& packet) {
    Bridge* bridge = bridgeOf(packet);
    if (!bridge) return;
    bridge->switchedOff(packet.header(protocol::header::kReason));
    bus::raise(names::kGroupsChanged);
}

void BridgeManager::onContacts(const wire::Packet& packet) {
    for (const auto& [key, value] : decode(packet.body())) {
        Bridge* bridge = find(wire::readDecimalId(key));
        if (!bridge) continue;
        wire::DataMapEntries lists = decode(value);
        auto contacts = lists.find("contacts");
        if (contacts != lists.end()) contactSync_.applyBridgedList(contacts->second, bridge->contacts());
    }
}

void BridgeManager::onContactRequest(const wire::Packet& packet) {
    Bridge* bridge = bridgeOf(packet);
    if (!bridge) return;
    uint64_t contactId = packet.headerId(protocol::header::kContactId);
    kit::OwnedContact contact;
    if (contactId != 0) {
        contact.reset(bridge->contacts().get(contactId));
    } else {
        // Someone not on the list: a contact of the bridged service that no
        // list holds; the request keeps it.
        RY_ContactData data{};
        data.size = sizeof data;
        data.flags = RY_CONTACT_SERVICE;
        data.service = bridge->service();
        contact.reset(RY_CreateContact(&data));
    }
    setNames(contact.get(), packet);
    friendRequests_.addFriendRequest(bridge->service(), contact.get(), packet.headerId(protocol::header::kRequestId),
                                     packet.body());
}

void BridgeManager::onChatContact(const wire::Packet& packet) {
    Bridge* bridge = bridgeOf(packet);
    const std::string& body = packet.body();
    if (!bridge || body.empty()) return;
    kit::OwnedGroup chat(bridge->chat(packet.headerId(protocol::header::kChatId)));
    kit::OwnedContact member(bridge->contacts().get(packet.headerId(protocol::header::kContactId)));
    setNames(member.get(), packet);
    if (body.back() != 0)
        RY_AddGroupMember(chat.get(), member.get());
    else
        RY_RemoveGroupMember(chat.get(), member.get());
    bus::raise(names::kGroupsChanged);
}

}  // namespace kestrova::connection
