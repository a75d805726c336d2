// The bridge entries of every account, in the server's SQLite database: one
// row per registered account on another network, with its sealed
// credentials (credential_seal.h) and whether the user wants it switched on.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

namespace kestrova::server::bridges {

struct BridgeEntry {
    uint64_t id = 0;      // the "Bridge-Id", chosen here, never reused
    uint64_t account = 0; // the Kestrova account it belongs to
    int32_t network = 0;  // the "Bridge-Type"
    std::string username; // what the client shows: the address on the other network
    std::string nickname;
    std::string domain;
    bool enabled = false; // switched on by the user ("BRIDGE ON"), off by "BRIDGE OFF"
    std::string sealedCredentials;
};

class BridgeStore {
  public:
    explicit BridgeStore(sqlite3* db) : db_(db) {}
    static bool prepare(sqlite3* db, std::string& error);

    // The new entry's id, or nothing when the database refused it.
    std::optional<uint64_t> add(const BridgeEntry& entry);
    std::vector<BridgeEntry> bridgesOf(uint64_t account) const;
    // The entry, only when it belongs to the account.
    std::optional<BridgeEntry> find(uint64_t account, uint64_t id) const;
    size_t countOf(uint64_t account) const;
    bool setEnabled(uint64_t id, bool enabled);
    bool remove(uint64_t id);

  private:
    sqlite3* db_;
};

} // namespace kestrova::server::bridges
