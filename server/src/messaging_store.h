// What the server keeps about contacts, friend requests, groups and messages,
// in the accounts' SQLite database:
//
// - contacts: directed entries owner -> contact with a list state (0 on the
//   list, 1 asked and waiting for the other's acceptance). The owner sees the
//   contact's presence and user data only in state 0, that is once the
//   contact accepted.
// - contact_requests: pending friend requests, one per (requester,
//   recipient).
// - groups, group_members (capabilities as the client shows them), and
//   group_bans.
// - stored_chunks: "MESG" packets, exactly as they are sent, in arrival
//   order, per recipient: every relayed message is kept here (whether its
//   recipient is connected or not) until the recipient's client acknowledged
//   having it whole, so that no message the sender was told was taken is
//   lost when the server stops.
// - history: every complete message, per conversation.
#pragma once

#include "kestrova/crypto/md5.h"
#include "sqlite_statement.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

struct sqlite3;

namespace kestrova::server {

// Member capabilities and contact-list states as the client reads them.
namespace membership {
inline constexpr int32_t kMember = 0;
inline constexpr int32_t kAdmin = 1;
inline constexpr int32_t kModerator = 2;
inline constexpr int32_t kBanned = 4;
inline constexpr int32_t kSilenced = 8;
inline constexpr int32_t kKicked = 16;
}  // namespace membership

inline constexpr int32_t kContactAccepted = 0;
inline constexpr int32_t kContactWaiting = 1;

struct ContactEntry {
    uint64_t contact;
    int32_t state;
};

struct FriendRequest {
    uint64_t requester;
    std::string text;
};

struct Group {
    uint64_t id = 0;
    std::string name;
    std::string description;
    std::string passwordDigest;  // MD5 of the password, empty for a group without one
};

struct GroupMember {
    uint64_t id;
    int32_t capabilities;
};

struct StoredChunk {
    int64_t sequence;
    uint64_t messageId;
    bool first;
    bool last;
    std::string packet;
};

enum class Conversation { Private = 0, Group = 1 };

struct HistoryEntry {
    uint64_t messageId = 0;
    Conversation kind = Conversation::Private;
    uint64_t source = 0;
    uint64_t target = 0;  // the recipient, or the group
    std::string contentType;
    int64_t timeMicros = 0;
    std::string body;
    std::optional<uint64_t> originKey;  // the sender's key, when it gave one
};

class MessagingStore {
public:
    // Creates the tables when needed; false when the database refuses.
    static bool prepare(sqlite3* db, std::string& error);
    explicit MessagingStore(sqlite3* db) : db_(db), statements_(db) {}

    std::vector<ContactEntry> contactsOf(uint64_t owner) const;
    std::optional<int32_t> contactState(uint64_t owner, uint64_t contact) const;
    bool setContact(uint64_t owner, uint64_t contact, int32_t state);
    bool removeContact(uint64_t owner, uint64_t contact);
    size_t contactCount(uint64_t owner) const;
    // Everyone who may see `id`: owners of an accepted entry for it.
    std::vector<uint64_t> watchersOf(uint64_t id) const;

    bool setRequest(uint64_t requester, uint64_t recipient, std::string_view text);
    bool hasRequest(uint64_t requester, uint64_t recipient) const;
    bool removeRequest(uint64_t requester, uint64_t recipient);
    std::vector<FriendRequest> requestsFor(uint64_t recipient) const;
    size_t requestCount(uint64_t recipient) const;

    std::optional<Group> groupById(uint64_t id) const;
    std::optional<Group> groupByName(std::string_view name) const;
    std::optional<uint64_t> createGroup(std::string_view name, std::string_view description,
                                        std::string_view passwordDigest);
    bool deleteGroup(uint64_t id);
    std::vector<GroupMember> members(uint64_t group) const;
    std::optional<int32_t> capabilities(uint64_t group, uint64_t member) const;
    bool setMember(uint64_t group, uint64_t member, int32_t capabilities);
    bool removeMember(uint64_t group, uint64_t member);
    size_t memberCount(uint64_t group) const;
    std::vector<uint64_t> groupsOf(uint64_t member) const;
    bool ban(uint64_t group, uint64_t member);
    bool isBanned(uint64_t group, uint64_t member) const;

    bool storeChunk(uint64_t recipient, uint64_t messageId, bool first, bool last, std::string_view packet);
    // Messages (first chunks) and bytes waiting for the recipient.
    size_t storedMessages(uint64_t recipient) const;
    size_t storedBytes(uint64_t recipient) const;
    // Both in one look (a group message asks once per member), counted
    // from the table once and then kept up to date as chunks are stored.
    std::pair<size_t, size_t> storedLoad(uint64_t recipient) const;
    // Counts again from the table at the next look: for a caller whose unit
    // of work rolled back stored chunks that were counted.
    void forgetStoredLoads() { loads_.clear(); }
    std::vector<StoredChunk> storedFor(uint64_t recipient) const;
    bool removeStoredMessage(uint64_t recipient, uint64_t messageId);
    // The recipient has these messages: all of them go, or none.
    bool removeStoredMessages(uint64_t recipient, const std::vector<uint64_t>& messageIds);
    // Drops the parts of messages whose last chunk never came (their sender
    // was cut off by a stop of the server and sends them again whole).
    bool removeUnfinished();

    // Adds a message and keeps at most `keep` messages of its conversation.
    bool addHistory(const HistoryEntry& entry, size_t keep);
    // Whether a message of this sender under this origin key is in the history,
    // so that relaying it was finished.
    bool hasInHistory(uint64_t source, uint64_t originKey) const;
    // Up to `count` messages of the conversation before (or, with `newer`,
    // after) the time: older ones newest first, newer ones oldest first.
    std::vector<HistoryEntry> history(Conversation kind, uint64_t a, uint64_t b, int64_t timeMicros, bool newer,
                                      size_t count) const;

    // The database, for units of work that span several calls.
    sqlite3* database() const { return db_; }

private:
    static constexpr size_t kMaxTrimCounters = 100'000;
    static constexpr size_t kMaxCountedLoads = 100'000;

    sqlite3* db_;
    // Every statement is compiled once: a relayed chunk runs several, and
    // compiling costs more than running them. The database outlives the store.
    mutable StatementCache statements_;
    // Messages and bytes stored per recipient, for the recipients asked
    // about: reading every row for every message a recipient is sent would
    // cost as much as the rows its client has not acknowledged yet.
    mutable std::unordered_map<uint64_t, std::pair<size_t, size_t>> loads_;
    // History additions per conversation since its last trim.
    std::map<std::tuple<int, uint64_t, uint64_t>, size_t> addedSinceTrim_;
};

}  // namespace kestrova::server
