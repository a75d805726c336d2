#include "account_store.h"

#include "sqlite_statement.h"
#include "sqlite_transaction.h"
#include "kestrova/wire/packet.h"

#include <cstring>

namespace kestrova::server {
namespace {

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS accounts (
    id              INTEGER PRIMARY KEY,
    name            TEXT NOT NULL UNIQUE COLLATE NOCASE,
    password_md5    BLOB NOT NULL,
    nickname        TEXT NOT NULL DEFAULT '',
    status_line     TEXT NOT NULL DEFAULT '',
    last_online     TEXT NOT NULL DEFAULT ''
);
)sql";

// Columns added after the first release; a database made before them gets
// them on open (SQLite has no ADD COLUMN IF NOT EXISTS, so the error for a
// column that exists is ignored).
constexpr const char* kAddedColumns[] = {
    "ALTER TABLE accounts ADD COLUMN device_type INTEGER NOT NULL DEFAULT 0",
    "ALTER TABLE accounts ADD COLUMN echo_robot INTEGER NOT NULL DEFAULT 0",
    "ALTER TABLE accounts ADD COLUMN user_data BLOB NOT NULL DEFAULT x''",
    "ALTER TABLE accounts ADD COLUMN user_acl BLOB NOT NULL DEFAULT x''",
};

constexpr int kBusyTimeoutMs = 2000;

constexpr const char* kAccountColumns =
    "SELECT id, name, password_md5, nickname, status_line, last_online, device_type, echo_robot, user_data, user_acl "
    "FROM accounts ";
constexpr const char* kIdentityColumns =
    "SELECT id, name, password_md5, nickname, status_line, last_online, device_type, echo_robot, x'', x'' "
    "FROM accounts ";

void bindText(sqlite3_stmt* statement, int index, std::string_view text) {
    sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void bindBlob(sqlite3_stmt* statement, int index, std::string_view bytes) {
    sqlite3_bind_blob(statement, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
}

std::string columnBlob(sqlite3_stmt* statement, int column) {
    const void* bytes = sqlite3_column_blob(statement, column);
    return bytes ? std::string(static_cast<const char*>(bytes), static_cast<size_t>(sqlite3_column_bytes(statement, column)))
                 : std::string();
}

std::string columnText(sqlite3_stmt* statement, int column) {
    const unsigned char* text = sqlite3_column_text(statement, column);
    return text ? std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(sqlite3_column_bytes(statement, column)))
                : std::string();
}

constexpr const char* kInsert = "INSERT INTO accounts (name, password_md5, nickname) VALUES (?, ?, ?)";

// One account through a prepared insert, which is left ready for the next.
CreateResult insertAccount(sqlite3* db, Statement& insert, const NewAccount& account, uint64_t* idOut) {
    if (!AccountStore::usableName(account.name)) return CreateResult::InvalidName;
    if (!AccountStore::usableNickname(account.nickname)) return CreateResult::InvalidNickname;
    if (!insert) return CreateResult::StorageFailed;
    crypto::Md5Digest digest = crypto::md5(account.password.data(), account.password.size());
    insert.text(1, account.name).blob(2, std::string_view(reinterpret_cast<const char*>(digest.data()), digest.size()));
    insert.text(3, account.nickname);
    int rc = sqlite3_step(insert.get());
    insert.reset();
    if (rc == SQLITE_CONSTRAINT) return CreateResult::NameTaken;
    if (rc != SQLITE_DONE) return CreateResult::StorageFailed;
    if (idOut) *idOut = static_cast<uint64_t>(sqlite3_last_insert_rowid(db));
    return CreateResult::Created;
}

}  // namespace

bool AccountStore::usableName(std::string_view name) {
    if (name.empty() || name.size() > 127) return false;
    for (unsigned char c : name)
        if (c <= ' ' || c == 0x7F) return false;
    return true;
}

// A nickname goes into headers (a message's "name"), and is as long as one
// set later may be.
bool AccountStore::usableNickname(std::string_view nickname) {
    return nickname.size() <= 256 && wire::isLineText(nickname);
}

std::unique_ptr<AccountStore> AccountStore::open(const std::string& path, std::string& error) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) {
        error = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        return nullptr;
    }
    // First of all: every statement below may meet another process that
    // writes (several account imports at once) and must wait for it, not
    // fail with "database is locked".
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    // Every relayed message is written to the history: with a write-ahead log
    // and a sync at checkpoints a commit costs no disk flush of its own, and
    // the database still stays whole if the machine stops (at worst the last
    // commits are missing).
    sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;", nullptr, nullptr, nullptr);
    char* message = nullptr;
    if (sqlite3_exec(db, kSchema, nullptr, nullptr, &message) != SQLITE_OK) {
        error = message ? message : "cannot create the schema";
        sqlite3_free(message);
        sqlite3_close(db);
        return nullptr;
    }
    for (const char* sql : kAddedColumns) sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    return std::unique_ptr<AccountStore>(new AccountStore(db));
}

AccountStore::~AccountStore() {
    lookups_.clear();
    sqlite3_close(db_);
}

CreateResult AccountStore::create(std::string_view name, std::string_view password, std::string_view nickname,
                                  uint64_t* idOut) {
    Statement insert(db_, kInsert);
    NewAccount account{std::string(name), std::string(password), std::string(nickname)};
    return insertAccount(db_, insert, account, idOut);
}

CreateResult AccountStore::createAll(const std::vector<NewAccount>& accounts, std::vector<uint64_t>& ids,
                                     size_t& failedAt) {
    ids.clear();
    failedAt = 0;
    Transaction unit(db_);
    if (!unit) return CreateResult::StorageFailed;
    Statement insert(db_, kInsert);
    for (const NewAccount& account : accounts) {
        uint64_t id = 0;
        if (CreateResult result = insertAccount(db_, insert, account, &id); result != CreateResult::Created) {
            failedAt = ids.size();
            ids.clear();
            return result;
        }
        ids.push_back(id);
    }
    if (unit.commit()) return CreateResult::Created;
    failedAt = accounts.size();
    ids.clear();
    return CreateResult::StorageFailed;
}

std::optional<Account> AccountStore::findWhere(const char* sql,
                                               const std::function<void(sqlite3_stmt*)>& bind) const {
    Statement select(lookups_, sql);
    if (!select) return std::nullopt;
    bind(select.get());
    if (sqlite3_step(select.get()) != SQLITE_ROW) return std::nullopt;
    return readAccount(select.get());
}

Account AccountStore::readAccount(sqlite3_stmt* row) {
    Account account;
    account.id = static_cast<uint64_t>(sqlite3_column_int64(row, 0));
    account.name = columnText(row, 1);
    if (sqlite3_column_bytes(row, 2) == static_cast<int>(account.passwordDigest.size()))
        std::memcpy(account.passwordDigest.data(), sqlite3_column_blob(row, 2), account.passwordDigest.size());
    account.nickname = columnText(row, 3);
    account.statusLine = columnText(row, 4);
    account.lastOnline = columnText(row, 5);
    account.deviceType = sqlite3_column_int(row, 6);
    account.echoRobot = sqlite3_column_int(row, 7) != 0;
    account.userData = columnBlob(row, 8);
    account.userAcl = columnBlob(row, 9);
    return account;
}

std::vector<Account> AccountStore::findByIds(const std::vector<uint64_t>& ids, bool withProfileMaps) const {
    std::vector<Account> found;
    ReadSnapshot snapshot(db_);
    Statement select(db_, (std::string(withProfileMaps ? kAccountColumns : kIdentityColumns) + "WHERE id = ?").c_str());
    if (!select) return found;
    found.reserve(ids.size());
    for (uint64_t id : ids) {
        select.id(1, id);
        if (select.row()) found.push_back(readAccount(select.get()));
        select.reset();
    }
    return found;
}

std::optional<Account> AccountStore::findByName(std::string_view name) const {
    return findWhere((std::string(kAccountColumns) + "WHERE name = ?").c_str(),
                     [&](sqlite3_stmt* statement) { bindText(statement, 1, name); });
}

std::optional<Account> AccountStore::findById(uint64_t id) const {
    return findWhere((std::string(kAccountColumns) + "WHERE id = ?").c_str(),
                     [&](sqlite3_stmt* statement) { sqlite3_bind_int64(statement, 1, static_cast<sqlite3_int64>(id)); });
}

bool AccountStore::setLastOnline(uint64_t id, const std::string& timestamp) {
    Statement update(db_, "UPDATE accounts SET last_online = ? WHERE id = ?");
    if (!update) return false;
    bindText(update.get(), 1, timestamp);
    sqlite3_bind_int64(update.get(), 2, static_cast<sqlite3_int64>(id));
    return sqlite3_step(update.get()) == SQLITE_DONE;
}

bool AccountStore::setIdentity(uint64_t id, std::string_view nickname, std::string_view statusLine) {
    Statement update(db_, "UPDATE accounts SET nickname = ?, status_line = ? WHERE id = ?");
    if (!update) return false;
    bindText(update.get(), 1, nickname);
    bindText(update.get(), 2, statusLine);
    sqlite3_bind_int64(update.get(), 3, static_cast<sqlite3_int64>(id));
    return sqlite3_step(update.get()) == SQLITE_DONE;
}

bool AccountStore::setProfileMaps(uint64_t id, std::string_view userData, std::string_view userAcl) {
    Statement update(db_, "UPDATE accounts SET user_data = ?, user_acl = ? WHERE id = ?");
    if (!update) return false;
    bindBlob(update.get(), 1, userData);
    bindBlob(update.get(), 2, userAcl);
    sqlite3_bind_int64(update.get(), 3, static_cast<sqlite3_int64>(id));
    return sqlite3_step(update.get()) == SQLITE_DONE;
}

bool AccountStore::setRobot(uint64_t id, int32_t deviceType, bool echoRobot) {
    Statement update(db_, "UPDATE accounts SET device_type = ?, echo_robot = ? WHERE id = ?");
    if (!update) return false;
    sqlite3_bind_int(update.get(), 1, deviceType);
    sqlite3_bind_int(update.get(), 2, echoRobot ? 1 : 0);
    sqlite3_bind_int64(update.get(), 3, static_cast<sqlite3_int64>(id));
    return sqlite3_step(update.get()) == SQLITE_DONE;
}

}  // namespace kestrova::server
