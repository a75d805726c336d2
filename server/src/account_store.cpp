#include "account_store.h"

#include <sqlite3.h>

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

// Owns one prepared statement for the length of a call.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr); }
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    sqlite3_stmt* get() const { return statement_; }
    explicit operator bool() const { return statement_ != nullptr; }

private:
    sqlite3_stmt* statement_ = nullptr;
};

void bindText(sqlite3_stmt* statement, int index, std::string_view text) {
    sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

std::string columnText(sqlite3_stmt* statement, int column) {
    const unsigned char* text = sqlite3_column_text(statement, column);
    return text ? std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(sqlite3_column_bytes(statement, column)))
                : std::string();
}

bool validName(std::string_view name) {
    if (name.empty() || name.size() > 127) return false;
    for (unsigned char c : name)
        if (c <= ' ' || c == 0x7F) return false;
    return true;
}

}  // namespace

std::unique_ptr<AccountStore> AccountStore::open(const std::string& path, std::string& error) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) {
        error = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        return nullptr;
    }
    char* message = nullptr;
    if (sqlite3_exec(db, kSchema, nullptr, nullptr, &message) != SQLITE_OK) {
        error = message ? message : "cannot create the schema";
        sqlite3_free(message);
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, 2000);
    return std::unique_ptr<AccountStore>(new AccountStore(db));
}

AccountStore::~AccountStore() { sqlite3_close(db_); }

CreateResult AccountStore::create(std::string_view name, std::string_view password, std::string_view nickname,
                                  uint64_t* idOut) {
    if (!validName(name)) return CreateResult::InvalidName;
    Statement insert(db_, "INSERT INTO accounts (name, password_md5, nickname) VALUES (?, ?, ?)");
    if (!insert) return CreateResult::StorageFailed;
    crypto::Md5Digest digest = crypto::md5(password.data(), password.size());
    bindText(insert.get(), 1, name);
    sqlite3_bind_blob(insert.get(), 2, digest.data(), static_cast<int>(digest.size()), SQLITE_TRANSIENT);
    bindText(insert.get(), 3, nickname);
    int rc = sqlite3_step(insert.get());
    if (rc == SQLITE_CONSTRAINT) return CreateResult::NameTaken;
    if (rc != SQLITE_DONE) return CreateResult::StorageFailed;
    if (idOut) *idOut = static_cast<uint64_t>(sqlite3_last_insert_rowid(db_));
    return CreateResult::Created;
}

std::optional<Account> AccountStore::findWhere(const char* sql,
                                               const std::function<void(sqlite3_stmt*)>& bind) const {
    Statement select(db_, sql);
    if (!select) return std::nullopt;
    bind(select.get());
    if (sqlite3_step(select.get()) != SQLITE_ROW) return std::nullopt;
    Account account;
    account.id = static_cast<uint64_t>(sqlite3_column_int64(select.get(), 0));
    account.name = columnText(select.get(), 1);
    if (sqlite3_column_bytes(select.get(), 2) == static_cast<int>(account.passwordDigest.size()))
        std::memcpy(account.passwordDigest.data(), sqlite3_column_blob(select.get(), 2), account.passwordDigest.size());
    account.nickname = columnText(select.get(), 3);
    account.statusLine = columnText(select.get(), 4);
    account.lastOnline = columnText(select.get(), 5);
    return account;
}

std::optional<Account> AccountStore::findByName(std::string_view name) const {
    return findWhere("SELECT id, name, password_md5, nickname, status_line, last_online FROM accounts WHERE name = ?",
                     [&](sqlite3_stmt* statement) { bindText(statement, 1, name); });
}

std::optional<Account> AccountStore::findById(uint64_t id) const {
    return findWhere("SELECT id, name, password_md5, nickname, status_line, last_online FROM accounts WHERE id = ?",
                     [&](sqlite3_stmt* statement) { sqlite3_bind_int64(statement, 1, static_cast<sqlite3_int64>(id)); });
}

bool AccountStore::setLastOnline(uint64_t id, const std::string& timestamp) {
    Statement update(db_, "UPDATE accounts SET last_online = ? WHERE id = ?");
    if (!update) return false;
    bindText(update.get(), 1, timestamp);
    sqlite3_bind_int64(update.get(), 2, static_cast<sqlite3_int64>(id));
    return sqlite3_step(update.get()) == SQLITE_DONE;
}

}  // namespace kestrova::server
