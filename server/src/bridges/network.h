// What a bridge needs of another network, whatever the network: an adapter
// that is logged in to one account there, takes commands, and reports what
// happens as events. The bridge logic (BridgeSession) speaks only to this
// interface, so the real XMPP adapter and the scripted networks of the tests
// are interchangeable.
//
// Threads: every call on an adapter, its destruction included, happens on the
// server's event-loop thread, and every event is delivered on that thread.
// An adapter that works elsewhere (XmppAdapter runs a thread of its own)
// carries its commands and events across itself.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kestrova::server::bridges {

// The account on the other network, as the user registered it.
struct BridgeAccount {
    std::string address; // the user's own address there (XMPP: the bare JID)
    std::string password;
    std::string server; // host to connect to
    uint16_t port = 0;
    std::string resource; // XMPP resource of the session
    std::string nickname; // what others see, also in chat rooms
};

// Presence numbers are the Kestrova ones: 0 offline, 1 online, 2 away,
// 3 invisible, 5 busy.

namespace event {

// Logged in; the adapter asks for the contact list and announces presence.
struct Connected {};
// The connection is gone; `reason` is the text for "BRIDGE OFF". Nothing
// follows a Disconnected.
struct Disconnected {
    std::string reason;
};
struct RosterItem {
    std::string address;   // bare address, folded to lower case
    std::string name;      // the name the user gave the contact, may be empty
    int32_t listState = 0; // 0 accepted (presence is seen), 1 asked and waiting
    bool removed = false;
};
// The contact list, whole (`complete`) or the changed entries.
struct RosterChanged {
    std::vector<RosterItem> items;
    bool complete = false;
};
struct PresenceChanged {
    std::string address;
    std::string resource;
    int32_t status = 0;
    std::string statusText;
};
// Someone asks to see the user's presence.
struct ContactRequest {
    std::string address;
    std::string nickname;
    std::string text;
};
struct MessageReceived {
    std::string address; // the sender's bare address
    std::string nickname;
    std::string text;
};
struct OccupantChanged {
    std::string room;     // bare address of the room, lower case
    std::string nickname; // the occupant's nickname in the room
    bool joined = false;
    bool self = false; // the user's own presence in the room
};
struct RoomMessage {
    std::string room;
    std::string nickname;
    std::string text;
    bool history = false; // sent by the room on joining, from before
};
struct RoomInvitation {
    std::string room;
    std::string inviter; // bare address of who invites
    std::string password;
};

} // namespace event

using NetworkEvent = std::variant<event::Connected, event::Disconnected, event::RosterChanged,
                                  event::PresenceChanged, event::ContactRequest, event::MessageReceived,
                                  event::OccupantChanged, event::RoomMessage, event::RoomInvitation>;
using NetworkEventSink = std::function<void(NetworkEvent)>;

// One login to another network. Destroying it logs out; no event is
// delivered afterwards.
class NetworkAdapter {
  public:
    virtual ~NetworkAdapter() = default;
    // The network's own form of an address the user typed (a contact, a
    // room), or nothing when it is not one.
    virtual std::optional<std::string> addressOf(std::string_view text) const = 0;
    virtual void setPresence(int32_t status) = 0;
    virtual void sendMessage(const std::string& address, const std::string& text) = 0;
    virtual void sendRoomMessage(const std::string& room, const std::string& text) = 0;
    virtual void requestContact(const std::string& address, const std::string& text) = 0;
    virtual void answerContact(const std::string& address, bool accepted) = 0;
    virtual void removeContact(const std::string& address) = 0;
    virtual void joinRoom(const std::string& room, const std::string& nickname,
                          const std::string& password) = 0;
    virtual void leaveRoom(const std::string& room) = 0;
};

// Starts logging in to the account with the given presence; events go to the
// sink until the adapter is destroyed.
using NetworkFactory = std::function<std::unique_ptr<NetworkAdapter>(const BridgeAccount& account,
                                                                     int32_t status, NetworkEventSink sink)>;

} // namespace kestrova::server::bridges
