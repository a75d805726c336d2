#include "bridge_store.h"

#include "sqlite_statement.h"

namespace kestrova::server::bridges {
namespace {

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS bridges (
    id          INTEGER PRIMARY KEY AUTOINCREMENT,  -- never reused: a removed bridge's id stays dead
    account     INTEGER NOT NULL,
    network     INTEGER NOT NULL,
    username    TEXT NOT NULL,
    nickname    TEXT NOT NULL,
    domain      TEXT NOT NULL,
    enabled     INTEGER NOT NULL,
    credentials BLOB NOT NULL
);
CREATE INDEX IF NOT EXISTS bridges_by_account ON bridges (account);
)sql";

constexpr const char* kColumns = "id, account, network, username, nickname, domain, enabled, credentials";

BridgeEntry entryAt(const Statement& row) {
    BridgeEntry entry;
    entry.id = row.columnId(0);
    entry.account = row.columnId(1);
    entry.network = static_cast<int32_t>(row.columnNumber(2));
    entry.username = row.columnBytes(3);
    entry.nickname = row.columnBytes(4);
    entry.domain = row.columnBytes(5);
    entry.enabled = row.columnNumber(6) != 0;
    entry.sealedCredentials = row.columnBytes(7);
    return entry;
}

} // namespace

bool BridgeStore::prepare(sqlite3* db, std::string& error) {
    char* message = nullptr;
    if (sqlite3_exec(db, kSchema, nullptr, nullptr, &message) == SQLITE_OK) return true;
    error = message ? message : "cannot create the bridge table";
    sqlite3_free(message);
    return false;
}

std::optional<uint64_t> BridgeStore::add(const BridgeEntry& entry) {
    Statement insert(
        db_, "INSERT INTO bridges (account, network, username, nickname, domain, enabled, credentials) "
             "VALUES (?, ?, ?, ?, ?, ?, ?)");
    insert.id(1, entry.account)
        .number(2, entry.network)
        .text(3, entry.username)
        .text(4, entry.nickname)
        .text(5, entry.domain)
        .number(6, entry.enabled ? 1 : 0)
        .blob(7, entry.sealedCredentials);
    if (!insert.run()) return std::nullopt;
    return static_cast<uint64_t>(sqlite3_last_insert_rowid(db_));
}

std::vector<BridgeEntry> BridgeStore::bridgesOf(uint64_t account) const {
    Statement select(
        db_, (std::string("SELECT ") + kColumns + " FROM bridges WHERE account = ? ORDER BY id").c_str());
    select.id(1, account);
    std::vector<BridgeEntry> out;
    while (select.row())
        out.push_back(entryAt(select));
    return out;
}

std::optional<BridgeEntry> BridgeStore::find(uint64_t account, uint64_t id) const {
    Statement select(
        db_, (std::string("SELECT ") + kColumns + " FROM bridges WHERE id = ? AND account = ?").c_str());
    select.id(1, id).id(2, account);
    if (!select.row()) return std::nullopt;
    return entryAt(select);
}

size_t BridgeStore::countOf(uint64_t account) const {
    Statement select(db_, "SELECT COUNT(*) FROM bridges WHERE account = ?");
    select.id(1, account);
    return select.row() ? static_cast<size_t>(select.columnNumber(0)) : 0;
}

bool BridgeStore::setEnabled(uint64_t id, bool enabled) {
    Statement update(db_, "UPDATE bridges SET enabled = ? WHERE id = ?");
    update.number(1, enabled ? 1 : 0).id(2, id);
    return update.run();
}

bool BridgeStore::remove(uint64_t id) {
    Statement erase(db_, "DELETE FROM bridges WHERE id = ?");
    erase.id(1, id);
    return erase.run();
}

} // namespace kestrova::server::bridges
