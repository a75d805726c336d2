// The load client against a scripted server: what it must take as a failed
// sign-in rather than count as online.
#include "load_client.h"

#include "kestrova/wire/data_map.h"
#include "kestrova/wire/packet.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace kestrova;
using namespace kestrova::load;
using namespace std::chrono_literals;

namespace {

struct Outcome {
    bool online = false;
    std::string failure;
};

class RecordingEvents : public LoadEvents {
  public:
    Outcome outcome;
    bool done = false;

    void onOnline(LoadClient&) override {
        outcome.online = true;
        done = true;
    }
    void onFailed(LoadClient& client) override {
        outcome.failure = client.failure();
        done = true;
    }
    void onSignedOff(LoadClient&) override {}
    void onMessage(LoadClient&, const wire::Packet&) override {}
    void onResponse(LoadClient&, uint64_t, uint32_t) override {}
    void onProfilePush(LoadClient&, const wire::Packet&) override {}
};

std::string bytesOf(const wire::Packet& packet) {
    return packet.serialise().value();
}

std::string challenge(int32_t encryptionType = 1) {
    wire::Packet offer("AUTH");
    offer.setHeader("encryption-type", encryptionType);
    if (encryptionType == 1) offer.setBody(std::string(24, 'c'));
    return bytesOf(offer);
}

// The plain form: the profile's data map alone.
std::string profileOf(const std::string& subId) {
    wire::Packet profile("SUB PROFILE");
    profile.setHeader("rk", "0123456789abcdef0123456789abcdef");
    profile.setBody(wire::encodeDataMap({{"Nickname", "n"}, {"Sub-Id", subId}}));
    return bytesOf(profile);
}

// A listener that writes `script` to the first connection, whatever it
// hears, and then ends its side.
Outcome signInAgainst(const std::string& script) {
    asio::io_context io;
    asio::ip::tcp::acceptor acceptor(io, asio::ip::tcp::endpoint(asio::ip::make_address("127.0.0.1"), 0));
    asio::ip::tcp::socket peer(io);
    acceptor.async_accept(peer, [&](asio::error_code error) {
        if (error) return;
        asio::async_write(peer, asio::buffer(script), [&](asio::error_code, size_t) {
            asio::error_code ignored;
            peer.shutdown(asio::ip::tcp::socket::shutdown_send, ignored);
        });
    });
    RecordingEvents events;
    LoadClient client(io, acceptor.local_endpoint(), {"five@example.org", "secret", 5}, events, 30s);
    client.signIn();
    auto end = Clock::now() + 10s;
    while (!events.done && Clock::now() < end)
        io.run_one_for(50ms);
    return events.outcome;
}

} // namespace

TEST(LoadClient, IsOnlineOnlyWithAProfileOfItsOwnAccountAfterAChallenge) {
    EXPECT_TRUE(signInAgainst(challenge() + profileOf("5")).online);

    Outcome other = signInAgainst(challenge() + profileOf("6"));
    EXPECT_FALSE(other.online);
    EXPECT_NE(other.failure.find("another account"), std::string::npos) << other.failure;

    Outcome plain = signInAgainst(challenge(0) + profileOf("5"));
    EXPECT_FALSE(plain.online);
    EXPECT_NE(plain.failure.find("no challenge"), std::string::npos) << plain.failure;

    Outcome garbled = signInAgainst(challenge() + "SUB PROFILE\ncontent-length: 3\n\nxyz");
    EXPECT_NE(garbled.failure.find("unreadable profile"), std::string::npos) << garbled.failure;

    Outcome broken = signInAgainst("AUTH\ncontent-length: -5\n\n");
    EXPECT_NE(broken.failure.find("unreadable packet"), std::string::npos) << broken.failure;

    Outcome refused = signInAgainst("LOGON FAILED\nreason: Wrong e-mail address or password.\nretry: 0\n\n");
    EXPECT_NE(refused.failure.find("Wrong e-mail"), std::string::npos) << refused.failure;

    Outcome silent = signInAgainst(challenge());
    EXPECT_FALSE(silent.online);
    EXPECT_NE(silent.failure.find("closed"), std::string::npos) << silent.failure;
}
