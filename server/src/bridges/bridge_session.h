// One bridge while its owner is signed in: the login to the other network
// (a NetworkAdapter), and the translation both ways between what happens
// there and the bridge packets of the owner's Kestrova session. It gives
// the ids the client knows bridged contacts, occupants and rooms by, keeps
// their presence, the friend requests waiting for an answer, and the
// messages the client is still sending chunk by chunk.
//
// It lives from the first "BRIDGE ON" of a session to the session's end (or
// the bridge's removal), across any number of logins, so that ids stay
// stable. Everything runs on the server's event-loop thread.
#pragma once

#include "bridges/bridge_config.h"
#include "bridges/bridge_packets.h"
#include "bridges/id_book.h"
#include "bridges/network.h"
#include "kestrova/wire/packet.h"

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>

namespace kestrova::server::bridges {

class BridgeSession {
  public:
    using Send = std::function<void(const wire::Packet&)>;
    using Clock = std::chrono::steady_clock;
    enum class State { Off, Connecting, Online };

    BridgeSession(uint64_t bridgeId, Send send, const BridgeConfig& config);
    ~BridgeSession();
    BridgeSession(const BridgeSession&) = delete;
    BridgeSession& operator=(const BridgeSession&) = delete;

    uint64_t bridgeId() const { return bridgeId_; }
    State state() const { return state_; }

    // Logs in (or, when logged in already, changes the presence and says
    // "BRIDGE ON" again). The outcome follows as "BRIDGE ON" or "BRIDGE OFF".
    void switchOn(const NetworkFactory& networks, const BridgeAccount& account, int32_t status,
                  Clock::time_point now);
    // Tells the client the bridge cannot be switched on (no "BRIDGE ON" will
    // come), with the reason.
    void refuse(const std::string& reason);
    // Logs out at the user's wish: the client already counts the bridge as
    // off, so no "BRIDGE OFF" follows.
    void switchOff();

    // The client's requests; each returns the code of its answer.
    uint32_t setPresence(int32_t status);
    uint32_t requestContact(const std::string& address, const std::string& text);
    uint32_t answerRequest(uint64_t requestId, bool accepted);
    uint32_t removeContact(uint64_t contactId);
    uint32_t joinChat(const std::string& room, const std::string& nickname, const std::string& password);
    uint32_t leaveChat(uint64_t chatId);
    // One "BRIDGE MESG" chunk: 4 when taken (the whole message goes out
    // with its last chunk), otherwise the refusal.
    uint32_t takeChunk(const wire::Packet& chunk);

    // Events of the network; the adapter's sink calls this.
    void onEvent(NetworkEvent event);

    size_t messagesInProgress() const { return outgoing_.size(); }
    size_t knownAddresses() const { return contactIds_.size() + chatIds_.size(); }
    size_t pendingRequests() const { return requests_.size(); }

  private:
    struct Contact {
        std::string address;
        std::string rosterName;
        int32_t listState = 0;
        bool onList = false;
        std::map<std::string, std::pair<int32_t, std::string>> resources; // resource -> status, text
    };
    struct Room {
        std::string address;
        std::string ownNickname;
        bool joined = false;
        std::set<uint64_t> occupants;
    };
    struct Outgoing {
        std::string address; // the contact's, or the room's
        bool toRoom = false;
        std::string text;
    };

    void on(event::Connected);
    void on(event::Disconnected disconnected);
    void on(event::RosterChanged roster);
    void on(event::PresenceChanged presence);
    void on(event::ContactRequest request);
    void on(event::MessageReceived message);
    void on(event::OccupantChanged occupant);
    void on(event::RoomMessage message);
    void on(event::RoomInvitation invitation);

    bool loginAllowed(Clock::time_point now);
    void forgetNetworkState();
    BridgedContact recordOf(const Contact& contact) const;
    std::string nameOf(const std::string& address, const std::string& offered) const;
    Room* roomByAddress(const std::string& address);
    uint32_t startOutgoing(const wire::Packet& chunk, uint64_t key);
    void deliver(const std::string& senderName, uint64_t source, std::optional<uint64_t> chat,
                 std::string text, bool history);

    uint64_t bridgeId_;
    Send send_;
    const BridgeConfig& config_;
    State state_ = State::Off;
    std::unique_ptr<NetworkAdapter> adapter_;
    std::string nickname_; // the user's, for chat rooms
    std::deque<Clock::time_point> logins_;

    IdCounter counter_;
    IdBook contactIds_; // bare addresses of contacts, room/nickname of occupants
    IdBook chatIds_;    // room addresses
    std::map<uint64_t, Contact> contacts_;
    std::map<uint64_t, Room> rooms_;
    std::map<uint64_t, std::string> requests_; // request id -> address
    std::map<uint64_t, Outgoing> outgoing_;    // client's message id -> message so far
    uint64_t lastMessageId_ = 0;
};

} // namespace kestrova::server::bridges
