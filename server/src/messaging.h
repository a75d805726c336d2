// The messaging layer of the server: contact lists and friend requests,
// presence and profile data, groups, the relay of messages (each stored until
// its recipient acknowledged it), history, and the echo robot. It registers its commands
// with the dispatcher and follows the sessions through SessionEvents.
//
// Everything runs on the server's one event-loop thread.
#pragma once

#include "account_store.h"
#include "dispatcher.h"
#include "messaging_store.h"
#include "server_config.h"
#include "session_events.h"
#include "session_registry.h"

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kestrova::server {

class ClientConnection;

class Messaging : public SessionEvents {
public:
    Messaging(AccountStore& accounts, SessionRegistry& sessions, const ServerConfig& config);

    void registerCommands(Dispatcher& dispatcher);
    // Carries out one command of a signed-in session; false for a command
    // that is not messaging's.
    bool handle(SubscriberSession& session, const wire::Packet& packet);

    void fillProfile(const Account& account, wire::DataMapEntries& profile) override;
    bool hasStoredMessages(uint64_t accountId) override;
    void signedIn(const std::shared_ptr<SubscriberSession>& session) override;
    void resumed(const std::shared_ptr<SubscriberSession>& session) override;
    void connectionLost(const std::shared_ptr<SubscriberSession>& session) override;
    void ended(const std::shared_ptr<SubscriberSession>& session, SessionEnd why) override;

    MessagingStore& store() { return store_; }
    size_t messagesInProgress() const { return inProgress_.size(); }

private:
    using Handler = void (Messaging::*)(SubscriberSession&, const wire::Packet&);

    // One message whose chunks are still arriving.
    // Every chunk goes to the store; a recipient with a live session gets it
    // through that session as well.
    struct Recipient {
        explicit Recipient(uint64_t recipientId) : id(recipientId) {}
        uint64_t id;
        std::weak_ptr<SubscriberSession> session;  // the session its chunks go to live, if any
        bool skipped = false;                      // its store was full at the first chunk
    };
    struct Relayed {
        uint64_t messageId = 0;
        uint64_t source = 0;
        Conversation kind = Conversation::Private;
        uint64_t target = 0;
        std::string contentType;
        std::string senderName;
        int64_t timeMicros = 0;
        std::optional<uint64_t> originKey; // the sender's, the same through its resends
        std::string body;
        std::vector<Recipient> recipients;
        bool toRobot = false;
        // Sent again by a client that did not hear the server take it (the
        // server stopped first): the history has it, so it was relayed whole.
        bool repeat = false;
    };
    using RelayKey = std::pair<uint64_t, uint64_t>;  // sender, the sender's id of the message

    // Answers the request and remembers the answer for a resumed client.
    void respond(SubscriberSession& session, const wire::Packet& request, uint32_t code);

    // Contacts, presence, profile (messaging_contacts.cpp).
    void onContactAdd(SubscriberSession& session, const wire::Packet& packet);
    void onContactAddResponse(SubscriberSession& session, const wire::Packet& packet);
    void onContactUpdate(SubscriberSession& session, const wire::Packet& packet);
    void onContactDetail(SubscriberSession& session, const wire::Packet& packet);
    void onProfileUpdate(SubscriberSession& session, const wire::Packet& packet);
    void onLocationReport(SubscriberSession& session, const wire::Packet& packet);
    int32_t visibleStatus(const Account& account);
    wire::DataMapEntries contactRecord(const Account& account, bool visible);
    // Sends a partial profile to the account's session, if it has one.
    void pushProfile(uint64_t accountId, const wire::DataMapEntries& profile);
    void pushContact(uint64_t to, uint64_t contactId, const wire::DataMapEntries& record);
    void pushToWatchers(uint64_t accountId, const wire::DataMapEntries& record);
    void pushPresence(uint64_t accountId, int32_t status);

    // Groups (messaging_groups.cpp).
    void onGroupCreate(SubscriberSession& session, const wire::Packet& packet);
    void onGroupSubscribe(SubscriberSession& session, const wire::Packet& packet);
    void onGroupUnsubscribe(SubscriberSession& session, const wire::Packet& packet);
    void onGroupAdmin(SubscriberSession& session, const wire::Packet& packet);
    std::string groupEntry(const Group& group, const std::vector<GroupMember>& members);
    void pushGroupSub(uint64_t accountId, const Group& group);
    void sendGroupUpdate(uint64_t groupId, int32_t type, uint64_t memberId, const std::vector<uint64_t>& to);
    // Takes the member out, and the group away when it was the last; false,
    // with nothing changed, when the store fails.
    bool storeLeaving(uint64_t groupId, uint64_t memberId);
    // Tells the remaining members, and `tellAlso`, that the member left.
    void tellLeaving(uint64_t groupId, uint64_t memberId, const std::vector<uint64_t>& tellAlso);

    // Relay, stored messages, history, robot (message_relay.cpp).
    void onMessage(SubscriberSession& session, const wire::Packet& packet);
    void onStoredMessages(SubscriberSession& session, const wire::Packet& packet);
    void onHistory(SubscriberSession& session, const wire::Packet& packet);
    uint32_t startMessage(SubscriberSession& session, const wire::Packet& packet, Relayed& message);
    // Stores the chunk for every recipient (and, with the last one, the
    // message in the history) in one transaction, then sends it to the live
    // ones. Code 4 when the chunk is kept; any other code means nothing of
    // it was kept or went out.
    uint32_t relayChunk(Relayed& message, const wire::Packet& chunk, bool first, bool last);
    // Stores the written chunk for each recipient that takes it, and picks
    // the live sessions it goes to; false when the store fails.
    bool storeForRecipients(Relayed& message, const std::string& bytes, bool first, bool last);
    // Whether the recipient's client is connected now.
    bool reachable(uint64_t recipient);
    // Whether the recipient's stored messages leave room for one more; a
    // connected recipient has the larger allowance of the limits.
    bool storeHasRoom(uint64_t recipient, bool connected);
    bool keepInHistory(const Relayed& message);
    // The robot's answer to a message that is complete.
    void finishMessage(Relayed& message);
    void abandonMessage(std::map<RelayKey, Relayed>::iterator it);
    void deliverStored(const std::shared_ptr<SubscriberSession>& session);
    // Sends a whole message from the server's side (the robot's answers).
    void sendComplete(uint64_t source, uint64_t recipient, const std::string& contentType, const std::string& body);
    uint64_t nextMessageId();
    // Sends the packet to the session of each account that has one.
    void sendToEach(const std::vector<uint64_t>& to, const wire::Packet& packet);

    AccountStore& accounts_;
    SessionRegistry& sessions_;
    const ServerConfig& config_;
    const MessagingLimits& limits_;
    MessagingStore store_;
    std::map<std::string, Handler, std::less<>> handlers_;
    std::map<RelayKey, Relayed> inProgress_;
    // Accounts signed in with stored messages that have not been sent to
    // them yet: new messages wait behind those, in the store.
    std::set<uint64_t> awaitingStored_;
    uint64_t lastMessageId_ = 0;
};

}  // namespace kestrova::server
