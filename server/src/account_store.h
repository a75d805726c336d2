// The accounts the server knows, kept in SQLite. A password is never stored:
// only its MD5 digest, which is exactly what both forms of the sign-in proof
// need (the challenge form keys its cipher with it; the plain form compares
// the digest of what the client sent).
#pragma once

#include "kestrova/crypto/md5.h"
#include "sqlite_statement.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrova::server {

struct Account {
    uint64_t id = 0;  // the subscriber id ("Sub-Id")
    std::string name;
    crypto::Md5Digest passwordDigest{};
    std::string nickname;
    std::string statusLine;
    std::string lastOnline;  // wire timestamp, empty before the first sign-in
    int32_t deviceType = 0;  // "Device-Type" as contacts see it
    bool echoRobot = false;  // answered by the server itself (see echo_robot.h)
    std::string userData;    // encoded data map: what contacts see ("loc" and the like)
    std::string userAcl;     // encoded data map: the account's own access-control entries
};

// An account to create; only the password's digest is kept.
struct NewAccount {
    std::string name;
    std::string password;
    std::string nickname;
};

enum class CreateResult { Created, NameTaken, InvalidName, InvalidNickname, StorageFailed };

class AccountStore {
public:
    // Opens (creating when needed) the database; ":memory:" keeps it in memory.
    static std::unique_ptr<AccountStore> open(const std::string& path, std::string& error);
    ~AccountStore();
    AccountStore(const AccountStore&) = delete;
    AccountStore& operator=(const AccountStore&) = delete;

    // Names: 1 to 127 bytes, none of them a blank or a control character.
    // Nicknames: at most 256 bytes, no line break or NUL (they go into
    // headers).
    static bool usableName(std::string_view name);
    static bool usableNickname(std::string_view nickname);

    CreateResult create(std::string_view name, std::string_view password, std::string_view nickname,
                        uint64_t* idOut = nullptr);
    // Creates every account in one transaction, or none of them: on any
    // result but Created, `failedAt` is the index of the account that could
    // not be created. `ids` gets the new ids in the order of the accounts.
    CreateResult createAll(const std::vector<NewAccount>& accounts, std::vector<uint64_t>& ids, size_t& failedAt);
    // Names compare without regard to ASCII case, as e-mail addresses do.
    std::optional<Account> findByName(std::string_view name) const;
    std::optional<Account> findById(uint64_t id) const;
    // The accounts of these ids that exist, in the order of the ids, read
    // with one prepared statement; without the user data and access-control
    // maps unless asked for.
    std::vector<Account> findByIds(const std::vector<uint64_t>& ids, bool withProfileMaps = false) const;
    bool setLastOnline(uint64_t id, const std::string& timestamp);
    bool setIdentity(uint64_t id, std::string_view nickname, std::string_view statusLine);
    bool setProfileMaps(uint64_t id, std::string_view userData, std::string_view userAcl);
    bool setRobot(uint64_t id, int32_t deviceType, bool echoRobot);

    // The same database, for the stores of contacts, groups and messages.
    sqlite3* database() const { return db_; }

private:
    explicit AccountStore(sqlite3* db) : db_(db), lookups_(db) {}
    std::optional<Account> findWhere(const char* sql, const std::function<void(sqlite3_stmt*)>& bind) const;
    static Account readAccount(sqlite3_stmt* row);

    sqlite3* db_;
    // The lookups by id and name run for every relayed message.
    mutable StatementCache lookups_;
};

}  // namespace kestrova::server
