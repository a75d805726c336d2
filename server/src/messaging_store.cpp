#include "messaging_store.h"

#include "sqlite_statement.h"
#include "sqlite_transaction.h"

#include <algorithm>

namespace kestrova::server {
namespace {

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS contacts (
    owner       INTEGER NOT NULL,
    contact     INTEGER NOT NULL,
    state       INTEGER NOT NULL,
    PRIMARY KEY (owner, contact)
);
CREATE INDEX IF NOT EXISTS contacts_by_contact ON contacts (contact, state);
CREATE TABLE IF NOT EXISTS contact_requests (
    requester   INTEGER NOT NULL,
    recipient   INTEGER NOT NULL,
    text        BLOB NOT NULL,
    PRIMARY KEY (requester, recipient)
);
CREATE TABLE IF NOT EXISTS chat_groups (
    id              INTEGER PRIMARY KEY AUTOINCREMENT,  -- never reused: history is kept by group id
    name            TEXT NOT NULL UNIQUE COLLATE NOCASE,
    description     TEXT NOT NULL DEFAULT '',
    password_md5    BLOB NOT NULL DEFAULT x''
);
CREATE TABLE IF NOT EXISTS group_members (
    group_id        INTEGER NOT NULL,
    member          INTEGER NOT NULL,
    capabilities    INTEGER NOT NULL,
    PRIMARY KEY (group_id, member)
);
CREATE INDEX IF NOT EXISTS group_members_by_member ON group_members (member);
CREATE TABLE IF NOT EXISTS group_bans (
    group_id    INTEGER NOT NULL,
    member      INTEGER NOT NULL,
    PRIMARY KEY (group_id, member)
);
CREATE TABLE IF NOT EXISTS stored_chunks (
    sequence    INTEGER PRIMARY KEY AUTOINCREMENT,
    recipient   INTEGER NOT NULL,
    message_id  INTEGER NOT NULL,
    first       INTEGER NOT NULL,
    last        INTEGER NOT NULL,
    packet      BLOB NOT NULL
);
-- One index, by message: a message is let go when its recipient acknowledged
-- it, and every relayed message passes through here, so each index costs a
-- page write per message. A recipient's rows in sequence order are few to sort.
DROP INDEX IF EXISTS stored_by_recipient;
CREATE INDEX IF NOT EXISTS stored_by_message ON stored_chunks (recipient, message_id);
CREATE TABLE IF NOT EXISTS history (
    id              INTEGER PRIMARY KEY,
    kind            INTEGER NOT NULL,
    a               INTEGER NOT NULL,
    b               INTEGER NOT NULL,
    source          INTEGER NOT NULL,
    target          INTEGER NOT NULL,
    content_type    TEXT NOT NULL,
    time_us         INTEGER NOT NULL,
    body            BLOB NOT NULL,
    origin_key      INTEGER
);
CREATE INDEX IF NOT EXISTS history_by_conversation ON history (kind, a, b, time_us);
)sql";

// For a database made before history kept the sender's origin key: the column
// is added on open (the error for a column that exists is ignored), and only
// then can the index on it be made.
constexpr const char* kAddOriginKey = "ALTER TABLE history ADD COLUMN origin_key INTEGER";
constexpr const char* kOriginIndex =
    "CREATE INDEX IF NOT EXISTS history_by_origin ON history (source, origin_key) WHERE origin_key IS NOT NULL";

size_t countOf(Statement& statement) { return statement.row() ? static_cast<size_t>(statement.columnNumber(0)) : 0; }

std::vector<uint64_t> ids(Statement& statement) {
    std::vector<uint64_t> out;
    while (statement.row()) out.push_back(statement.columnId(0));
    return out;
}

std::optional<Group> readGroup(Statement& statement) {
    if (!statement.row()) return std::nullopt;
    return Group{statement.columnId(0), statement.columnBytes(1), statement.columnBytes(2), statement.columnBytes(3)};
}

// Private conversations are keyed by the two ids in order, so that both
// sides find the same messages.
std::pair<uint64_t, uint64_t> conversationKey(Conversation kind, uint64_t source, uint64_t target) {
    if (kind == Conversation::Group) return {target, 0};
    return {std::min(source, target), std::max(source, target)};
}

}  // namespace

bool MessagingStore::prepare(sqlite3* db, std::string& error) {
    char* message = nullptr;
    if (sqlite3_exec(db, kSchema, nullptr, nullptr, &message) == SQLITE_OK) {
        sqlite3_exec(db, kAddOriginKey, nullptr, nullptr, nullptr);
        if (sqlite3_exec(db, kOriginIndex, nullptr, nullptr, &message) == SQLITE_OK) return true;
    }
    error = message ? message : "cannot create the messaging tables";
    sqlite3_free(message);
    return false;
}

std::vector<ContactEntry> MessagingStore::contactsOf(uint64_t owner) const {
    Statement select(statements_, "SELECT contact, state FROM contacts WHERE owner = ? ORDER BY contact");
    select.id(1, owner);
    std::vector<ContactEntry> out;
    while (select.row()) out.push_back({select.columnId(0), static_cast<int32_t>(select.columnNumber(1))});
    return out;
}

std::optional<int32_t> MessagingStore::contactState(uint64_t owner, uint64_t contact) const {
    Statement select(statements_, "SELECT state FROM contacts WHERE owner = ? AND contact = ?");
    select.id(1, owner).id(2, contact);
    if (!select.row()) return std::nullopt;
    return static_cast<int32_t>(select.columnNumber(0));
}

bool MessagingStore::setContact(uint64_t owner, uint64_t contact, int32_t state) {
    Statement upsert(statements_, "INSERT INTO contacts (owner, contact, state) VALUES (?, ?, ?) "
                          "ON CONFLICT (owner, contact) DO UPDATE SET state = excluded.state");
    return upsert.id(1, owner).id(2, contact).number(3, state).run();
}

bool MessagingStore::removeContact(uint64_t owner, uint64_t contact) {
    Statement remove(statements_, "DELETE FROM contacts WHERE owner = ? AND contact = ?");
    return remove.id(1, owner).id(2, contact).run();
}

size_t MessagingStore::contactCount(uint64_t owner) const {
    Statement count(statements_, "SELECT COUNT(*) FROM contacts WHERE owner = ?");
    count.id(1, owner);
    return countOf(count);
}

std::vector<uint64_t> MessagingStore::watchersOf(uint64_t id) const {
    Statement select(statements_, "SELECT owner FROM contacts WHERE contact = ? AND state = 0 ORDER BY owner");
    select.id(1, id);
    return ids(select);
}

bool MessagingStore::setRequest(uint64_t requester, uint64_t recipient, std::string_view text) {
    Statement upsert(statements_, "INSERT INTO contact_requests (requester, recipient, text) VALUES (?, ?, ?) "
                          "ON CONFLICT (requester, recipient) DO UPDATE SET text = excluded.text");
    return upsert.id(1, requester).id(2, recipient).blob(3, text).run();
}

bool MessagingStore::hasRequest(uint64_t requester, uint64_t recipient) const {
    Statement select(statements_, "SELECT 1 FROM contact_requests WHERE requester = ? AND recipient = ?");
    return select.id(1, requester).id(2, recipient).row();
}

bool MessagingStore::removeRequest(uint64_t requester, uint64_t recipient) {
    Statement remove(statements_, "DELETE FROM contact_requests WHERE requester = ? AND recipient = ?");
    return remove.id(1, requester).id(2, recipient).run();
}

std::vector<FriendRequest> MessagingStore::requestsFor(uint64_t recipient) const {
    Statement select(statements_, "SELECT requester, text FROM contact_requests WHERE recipient = ? ORDER BY requester");
    select.id(1, recipient);
    std::vector<FriendRequest> out;
    while (select.row()) out.push_back({select.columnId(0), select.columnBytes(1)});
    return out;
}

size_t MessagingStore::requestCount(uint64_t recipient) const {
    Statement count(statements_, "SELECT COUNT(*) FROM contact_requests WHERE recipient = ?");
    count.id(1, recipient);
    return countOf(count);
}

std::optional<Group> MessagingStore::groupById(uint64_t id) const {
    Statement select(statements_, "SELECT id, name, description, password_md5 FROM chat_groups WHERE id = ?");
    select.id(1, id);
    return readGroup(select);
}

std::optional<Group> MessagingStore::groupByName(std::string_view name) const {
    Statement select(statements_, "SELECT id, name, description, password_md5 FROM chat_groups WHERE name = ?");
    select.text(1, name);
    return readGroup(select);
}

std::optional<uint64_t> MessagingStore::createGroup(std::string_view name, std::string_view description,
                                                    std::string_view passwordDigest) {
    Statement insert(statements_, "INSERT INTO chat_groups (name, description, password_md5) VALUES (?, ?, ?)");
    if (!insert.text(1, name).text(2, description).blob(3, passwordDigest).run()) return std::nullopt;
    return static_cast<uint64_t>(sqlite3_last_insert_rowid(db_));
}

bool MessagingStore::deleteGroup(uint64_t id) {
    Transaction unit(db_);
    for (const char* sql : {"DELETE FROM group_members WHERE group_id = ?", "DELETE FROM group_bans WHERE group_id = ?",
                            "DELETE FROM history WHERE kind = 1 AND a = ?", "DELETE FROM chat_groups WHERE id = ?"}) {
        Statement remove(statements_, sql);
        if (!remove.id(1, id).run()) return false;
    }
    return unit.commit();
}

std::vector<GroupMember> MessagingStore::members(uint64_t group) const {
    Statement select(statements_, "SELECT member, capabilities FROM group_members WHERE group_id = ? ORDER BY member");
    select.id(1, group);
    std::vector<GroupMember> out;
    while (select.row()) out.push_back({select.columnId(0), static_cast<int32_t>(select.columnNumber(1))});
    return out;
}

std::optional<int32_t> MessagingStore::capabilities(uint64_t group, uint64_t member) const {
    Statement select(statements_, "SELECT capabilities FROM group_members WHERE group_id = ? AND member = ?");
    select.id(1, group).id(2, member);
    if (!select.row()) return std::nullopt;
    return static_cast<int32_t>(select.columnNumber(0));
}

bool MessagingStore::setMember(uint64_t group, uint64_t member, int32_t capabilities) {
    Statement upsert(statements_, "INSERT INTO group_members (group_id, member, capabilities) VALUES (?, ?, ?) "
                          "ON CONFLICT (group_id, member) DO UPDATE SET capabilities = excluded.capabilities");
    return upsert.id(1, group).id(2, member).number(3, capabilities).run();
}

bool MessagingStore::removeMember(uint64_t group, uint64_t member) {
    Statement remove(statements_, "DELETE FROM group_members WHERE group_id = ? AND member = ?");
    return remove.id(1, group).id(2, member).run();
}

size_t MessagingStore::memberCount(uint64_t group) const {
    Statement count(statements_, "SELECT COUNT(*) FROM group_members WHERE group_id = ?");
    count.id(1, group);
    return countOf(count);
}

std::vector<uint64_t> MessagingStore::groupsOf(uint64_t member) const {
    Statement select(statements_, "SELECT group_id FROM group_members WHERE member = ? ORDER BY group_id");
    select.id(1, member);
    return ids(select);
}

bool MessagingStore::ban(uint64_t group, uint64_t member) {
    Statement insert(statements_, "INSERT OR IGNORE INTO group_bans (group_id, member) VALUES (?, ?)");
    return insert.id(1, group).id(2, member).run();
}

bool MessagingStore::isBanned(uint64_t group, uint64_t member) const {
    Statement select(statements_, "SELECT 1 FROM group_bans WHERE group_id = ? AND member = ?");
    return select.id(1, group).id(2, member).row();
}

bool MessagingStore::storeChunk(uint64_t recipient, uint64_t messageId, bool first, bool last,
                                std::string_view packet) {
    Statement insert(statements_, "INSERT INTO stored_chunks (recipient, message_id, first, last, packet) VALUES (?, ?, ?, ?, ?)");
    if (!insert.id(1, recipient).id(2, messageId).number(3, first).number(4, last).blob(5, packet).run()) return false;
    if (auto load = loads_.find(recipient); load != loads_.end()) {
        load->second.first += first ? 1 : 0;
        load->second.second += packet.size();
    }
    return true;
}

size_t MessagingStore::storedMessages(uint64_t recipient) const {
    Statement count(statements_, "SELECT COUNT(*) FROM stored_chunks WHERE recipient = ? AND first = 1");
    count.id(1, recipient);
    return countOf(count);
}

size_t MessagingStore::storedBytes(uint64_t recipient) const {
    Statement count(statements_, "SELECT COALESCE(SUM(LENGTH(packet)), 0) FROM stored_chunks WHERE recipient = ?");
    count.id(1, recipient);
    return countOf(count);
}

std::pair<size_t, size_t> MessagingStore::storedLoad(uint64_t recipient) const {
    if (auto load = loads_.find(recipient); load != loads_.end()) return load->second;
    if (loads_.size() >= kMaxCountedLoads) loads_.clear();
    Statement count(statements_, "SELECT COALESCE(SUM(first), 0), COALESCE(SUM(LENGTH(packet)), 0) FROM stored_chunks "
                         "WHERE recipient = ?");
    count.id(1, recipient);
    if (!count.row()) return {0, 0};
    std::pair<size_t, size_t> load{static_cast<size_t>(count.columnNumber(0)), static_cast<size_t>(count.columnNumber(1))};
    loads_.emplace(recipient, load);
    return load;
}

std::vector<StoredChunk> MessagingStore::storedFor(uint64_t recipient) const {
    Statement select(statements_, "SELECT sequence, message_id, first, last, packet FROM stored_chunks "
                          "WHERE recipient = ? ORDER BY sequence");
    select.id(1, recipient);
    std::vector<StoredChunk> out;
    while (select.row())
        out.push_back({select.columnNumber(0), select.columnId(1), select.columnNumber(2) != 0,
                       select.columnNumber(3) != 0, select.columnBytes(4)});
    return out;
}

bool MessagingStore::removeStoredMessage(uint64_t recipient, uint64_t messageId) {
    loads_.erase(recipient);  // counted again when next asked
    Statement remove(statements_, "DELETE FROM stored_chunks WHERE recipient = ? AND message_id = ?");
    return remove.id(1, recipient).id(2, messageId).run();
}

bool MessagingStore::removeStoredMessages(uint64_t recipient, const std::vector<uint64_t>& messageIds) {
    Transaction unit(db_);
    for (uint64_t messageId : messageIds)
        if (!removeStoredMessage(recipient, messageId)) return false;
    return unit.commit();
}

bool MessagingStore::removeUnfinished() {
    forgetStoredLoads();
    Statement remove(statements_, "DELETE FROM stored_chunks WHERE (recipient, message_id) IN "
                          "(SELECT recipient, message_id FROM stored_chunks GROUP BY recipient, message_id "
                          "HAVING MAX(last) = 0)");
    return remove.run();
}

bool MessagingStore::addHistory(const HistoryEntry& entry, size_t keep) {
    auto [a, b] = conversationKey(entry.kind, entry.source, entry.target);
    Statement insert(statements_, "INSERT OR REPLACE INTO history "
                                  "(id, kind, a, b, source, target, content_type, time_us, body, origin_key) "
                                  "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    insert.id(1, entry.messageId).number(2, static_cast<int>(entry.kind)).id(3, a).id(4, b);
    insert.id(5, entry.source).id(6, entry.target).text(7, entry.contentType).number(8, entry.timeMicros);
    insert.blob(9, entry.body);
    if (entry.originKey) insert.id(10, *entry.originKey);  // unbound stays NULL
    if (!insert.run()) return false;
    // Trimming walks the conversation's entries. Doing it every keep/100
    // additions keeps the cost per message constant and the history within
    // 1% above its bound.
    auto key = std::make_tuple(static_cast<int>(entry.kind), a, b);
    if (addedSinceTrim_.size() > kMaxTrimCounters) addedSinceTrim_.clear();  // only delays some trims
    size_t& added = addedSinceTrim_[key];
    if (++added < std::max<size_t>(1, keep / 100)) return true;
    added = 0;
    Statement trim(statements_, "DELETE FROM history WHERE kind = ? AND a = ? AND b = ? AND (time_us, id) < "
                        "(SELECT time_us, id FROM history WHERE kind = ? AND a = ? AND b = ? "
                        "ORDER BY time_us DESC, id DESC LIMIT 1 OFFSET ?)");
    trim.number(1, static_cast<int>(entry.kind)).id(2, a).id(3, b);
    trim.number(4, static_cast<int>(entry.kind)).id(5, a).id(6, b);
    return trim.number(7, static_cast<int64_t>(keep == 0 ? 0 : keep - 1)).run();
}

bool MessagingStore::hasInHistory(uint64_t source, uint64_t originKey) const {
    Statement select(statements_, "SELECT 1 FROM history WHERE source = ? AND origin_key = ? LIMIT 1");
    select.id(1, source).id(2, originKey);
    return select.row();
}

std::vector<HistoryEntry> MessagingStore::history(Conversation kind, uint64_t a, uint64_t b, int64_t timeMicros,
                                                  bool newer, size_t count) const {
    auto [first, second] = conversationKey(kind, a, b);
    Statement select(statements_, newer ? "SELECT id, source, target, content_type, time_us, body FROM history "
                                  "WHERE kind = ? AND a = ? AND b = ? AND time_us > ? ORDER BY time_us, id LIMIT ?"
                                : "SELECT id, source, target, content_type, time_us, body FROM history "
                                  "WHERE kind = ? AND a = ? AND b = ? AND time_us < ? ORDER BY time_us DESC, id DESC LIMIT ?");
    select.number(1, static_cast<int>(kind)).id(2, first).id(3, second).number(4, timeMicros);
    select.number(5, static_cast<int64_t>(count));
    std::vector<HistoryEntry> out;
    while (select.row()) {
        HistoryEntry entry;
        entry.messageId = select.columnId(0);
        entry.kind = kind;
        entry.source = select.columnId(1);
        entry.target = select.columnId(2);
        entry.contentType = select.columnBytes(3);
        entry.timeMicros = select.columnNumber(4);
        entry.body = select.columnBytes(5);
        out.push_back(std::move(entry));
    }
    return out;
}


}  // namespace kestrova::server
