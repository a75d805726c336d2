// The accounts the server knows, kept in SQLite. A password is never stored:
// only its MD5 digest, which is exactly what both forms of the sign-in proof
// need (the challenge form keys its cipher with it; the plain form compares
// the digest of what the client sent).
#pragma once

#include "kestrova/crypto/md5.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

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

enum class CreateResult { Created, NameTaken, InvalidName, StorageFailed };

class AccountStore {
public:
    // Opens (creating when needed) the database; ":memory:" keeps it in memory.
    static std::unique_ptr<AccountStore> open(const std::string& path, std::string& error);
    ~AccountStore();
    AccountStore(const AccountStore&) = delete;
    AccountStore& operator=(const AccountStore&) = delete;

    CreateResult create(std::string_view name, std::string_view password, std::string_view nickname,
                        uint64_t* idOut = nullptr);
    // Names compare without regard to ASCII case, as e-mail addresses do.
    std::optional<Account> findByName(std::string_view name) const;
    std::optional<Account> findById(uint64_t id) const;
    bool setLastOnline(uint64_t id, const std::string& timestamp);
    bool setIdentity(uint64_t id, std::string_view nickname, std::string_view statusLine);
    bool setProfileMaps(uint64_t id, std::string_view userData, std::string_view userAcl);
    bool setRobot(uint64_t id, int32_t deviceType, bool echoRobot);

    // The same database, for the stores of contacts, groups and messages.
    sqlite3* database() const { return db_; }

private:
    explicit AccountStore(sqlite3* db) : db_(db) {}
    std::optional<Account> findWhere(const char* sql, const std::function<void(sqlite3_stmt*)>& bind) const;

    sqlite3* db_;
};

}  // namespace kestrova::server
