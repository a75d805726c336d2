// An in-process server on an ephemeral loopback port with three accounts, and
// the client half of the sign-in computed here, independently of the
// server's own code, so that the tests check the server against the
// protocol rather than against itself.
#pragma once

#include "account_store.h"
#include "server.h"
#include "test_client.h"
#include "kestrova/wire/data_map.h"

#include <array>
#include <filesystem>
#include <future>
#include <memory>
#include <optional>
#include <thread>

namespace kestrova::server::testing {

struct TestAccount {
    const char* name;
    const char* password;
    const char* nickname;
};

inline constexpr TestAccount kAnn{"ann@example.org", "ann's secret", "Ann"};
inline constexpr TestAccount kBob{"bob@example.org", "bob's secret", "Bob"};
inline constexpr TestAccount kCat{"cat@example.org", "cat's secret", "Cat"};

ServerConfig loopbackConfig();

// A database file in a folder of its own, removed with everything SQLite put
// beside the file (write-ahead log, shared memory, journal) when it goes,
// even when a server process using it was killed.
class TempDatabase {
public:
    TempDatabase();
    ~TempDatabase();
    TempDatabase(const TempDatabase&) = delete;
    TempDatabase& operator=(const TempDatabase&) = delete;
    std::string path() const { return (folder_ / "server.db").string(); }

private:
    std::filesystem::path folder_;
};

class RunningServer {
public:
    // `database` is ":memory:" or a file a later server may open again.
    explicit RunningServer(ServerConfig config = loopbackConfig(), bridges::NetworkFactory networks = {},
                           const std::string& database = ":memory:");
    ~RunningServer();
    // Stops as a killed process would: the event loop halts where it is and
    // everything goes without a word to the clients or a last write.
    void kill();

    uint16_t port() const { return port_; }
    uint64_t idOf(const TestAccount& account) const;

    // Runs f on the server's thread and returns its result.
    template <typename F>
    auto onServerThread(F f) -> decltype(f(std::declval<Server&>())) {
        using Result = decltype(f(std::declval<Server&>()));
        std::promise<Result> done;
        asio::post(io_, [&] {
            if constexpr (std::is_void_v<Result>) {
                f(*server_);
                done.set_value();
            } else {
                done.set_value(f(*server_));
            }
        });
        return done.get_future().get();
    }
    size_t sessionCount();
    size_t connectionCount();

private:
    asio::io_context io_;
    std::unique_ptr<AccountStore> accounts_;
    std::unique_ptr<Server> server_;
    std::thread thread_;
    uint16_t port_ = 0;
};

// The client's side of the challenge: P = MD5(password), K1 = MD5(P | nonce),
// proof = Salsa20(K1, nonce) of (challenge | R), K2 = MD5(P | R).
class ClientProof {
public:
    explicit ClientProof(std::string password);
    std::string answer(const std::string& challengeAndNonce);
    std::string decryptResumeKey(const std::string& iv, const std::string& block) const;
    // K2, the session cipher's key.
    const std::array<uint8_t, 16>& sessionKey() const { return k2_; }

private:
    std::string password_;
    std::array<uint8_t, 16> clientRandom_{};
    std::array<uint8_t, 16> k2_{};
};

std::string resumeDigest(const std::string& resumeKey, const std::string& nonce);

wire::Packet logonPacket(const std::string& name, uint64_t subId = 0);
wire::Packet challengeAnswer(const std::string& proof, int32_t onlineStatus = 1);

struct SignedIn {
    std::unique_ptr<TestClient> client;
    Received profile;
    wire::DataMapEntries profileMap;
    std::string resumeKey;
    std::array<uint8_t, 16> sessionKey{};
    int32_t received = 0;  // packets counted as the client counts them
};

// "seconds.microseconds", both plain decimal numbers, the microseconds below
// one million.
bool isWireTimestamp(const std::string& text);
bool isLowerHex(const std::string& text, size_t length);

// Signs in with the challenge and reads up to and including the first "P".
std::optional<SignedIn> signIn(uint16_t port, const TestAccount& account);

}  // namespace kestrova::server::testing
