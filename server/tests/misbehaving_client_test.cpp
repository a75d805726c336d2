#include "peer.h"

#include <gtest/gtest.h>

#include <random>

using namespace kestrova;
using namespace kestrova::server;
using namespace kestrova::server::testing;

namespace {

// A signed-in bystander must be served the whole time.
void expectStillServed(SignedIn& bystander) {
    bystander.client->send(wire::Packet("P"));
    std::optional<Received> answer = bystander.client->receive();
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->raw, "P\n\n");
}

ServerConfig shortTimeouts() {
    ServerConfig config = loopbackConfig();
    config.logonTimeout = std::chrono::milliseconds(200);
    config.writeTimeout = std::chrono::milliseconds(200);
    return config;
}

}  // namespace

TEST(MisbehavingClient, ContentLengthBeyondTheLimitIsDisconnectedAtOnce) {
    RunningServer server;
    auto bystander = signIn(server.port(), kBob);
    ASSERT_TRUE(bystander);
    auto client = TestClient::connect(server.port());
    client->sendRaw("LOGON\nContent-Length: 16777217\n\n");
    EXPECT_TRUE(client->closesWithoutData());
    expectStillServed(*bystander);
}

TEST(MisbehavingClient, HugeContentLengthFromASignedInClientIsDisconnected) {
    RunningServer server;
    auto bystander = signIn(server.port(), kBob);
    auto session = signIn(server.port(), kAnn);
    ASSERT_TRUE(bystander && session);
    session->client->sendRaw("MESG\nContent-Length: 99999999999\n\n");
    EXPECT_TRUE(session->client->waitForClose());
    expectStillServed(*bystander);
}

TEST(MisbehavingClient, NegativeContentLengthIsDisconnected) {
    RunningServer server;
    auto client = TestClient::connect(server.port());
    client->sendRaw("LOGON\nContent-Length: -20\n\n");
    EXPECT_TRUE(client->closesWithoutData());
}

TEST(MisbehavingClient, EndlessLineWithoutLineFeedIsDisconnected) {
    RunningServer server;
    auto bystander = signIn(server.port(), kBob);
    ASSERT_TRUE(bystander);
    auto client = TestClient::connect(server.port());
    std::string junk(4096, 'z');
    bool closed = false;
    for (int i = 0; i < 64 && !closed; ++i) closed = !client->sendRaw(junk);
    EXPECT_TRUE(client->closesWithoutData());
    expectStillServed(*bystander);
}

TEST(MisbehavingClient, GarbageLinesBeforeSignInAreDisconnected) {
    RunningServer server;
    auto bystander = signIn(server.port(), kBob);
    ASSERT_TRUE(bystander);
    auto client = TestClient::connect(server.port());
    std::mt19937 random(99);
    std::string garbage;
    for (int i = 0; i < 4000; ++i) garbage += (random() % 16 == 0) ? '\n' : static_cast<char>(random());
    client->sendRaw(garbage);
    EXPECT_TRUE(client->waitForClose());
    expectStillServed(*bystander);
}

TEST(MisbehavingClient, ClientThatNeverSignsInIsDroppedWhileOthersSignIn) {
    RunningServer server(shortTimeouts());
    auto stalled = TestClient::connect(server.port());
    stalled->sendRaw("LOGON\nProtocol-Version: 2.0\nNa");  // and then nothing
    auto other = signIn(server.port(), kAnn);
    ASSERT_TRUE(other) << "a stalled peer must not hold up another sign-in";
    EXPECT_TRUE(stalled->closesWithoutData());
}

TEST(MisbehavingClient, ClientThatStopsReadingIsDroppedAndOthersGoOn) {
    ServerConfig config = shortTimeouts();
    config.maxQueuedBytes = 64 * 1024;
    RunningServer server(config);
    auto bystander = signIn(server.port(), kBob);
    ASSERT_TRUE(bystander);

    // Signs in, then only writes: every ping is answered, nothing is read.
    auto reader = TestClient::connect(server.port(), 4096);
    reader->send(logonPacket(kAnn.name));
    std::optional<Received> challenge = reader->receive();
    ASSERT_TRUE(challenge);
    ClientProof proof(kAnn.password);
    reader->send(challengeAnswer(proof.answer(challenge->packet.body())));
    std::optional<Received> profile = reader->receive();
    ASSERT_TRUE(profile);
    ASSERT_EQ(profile->packet.command(), "SUB PROFILE");
    EXPECT_EQ(server.sessionCount(), 2u);
    std::string pings;
    for (int i = 0; i < 10000; ++i) pings += "P\n\n";
    bool dropped = false;
    for (int round = 0; round < 2000 && !dropped; ++round) {
        dropped = !reader->sendRaw(pings);
        if (round % 20 == 0) expectStillServed(*bystander);
    }
    EXPECT_TRUE(dropped || reader->waitForClose());
    expectStillServed(*bystander);
    EXPECT_EQ(server.connectionCount(), 1u);
}

TEST(MisbehavingClient, ManyClientsSignInAtOnce) {
    RunningServer server;
    std::vector<std::unique_ptr<TestClient>> clients;
    for (int i = 0; i < 50; ++i) {
        clients.push_back(TestClient::connect(server.port()));
        ASSERT_TRUE(clients.back());
        clients.back()->send(logonPacket(i % 2 ? kAnn.name : kBob.name));
    }
    for (auto& client : clients) {
        std::optional<Received> challenge = client->receive();
        ASSERT_TRUE(challenge);
        EXPECT_EQ(challenge->packet.body().size(), 24u);
    }
    EXPECT_EQ(server.connectionCount(), 50u);
}

TEST(MisbehavingClient, BeforeSignInOnlyWhatASignInNeedsIsTaken) {
    RunningServer server;
    for (std::string tooMuch : {std::string("LOGON\nContent-Length: 1025\n\n"),
                                "LOGON\nname: " + std::string(2000, 'n') + "\n\n"}) {
        auto client = TestClient::connect(server.port());
        client->sendRaw(tooMuch);
        EXPECT_TRUE(client->closesWithoutData());
    }
    // At the bound the (odd) logon is still answered with a challenge.
    auto client = TestClient::connect(server.port());
    wire::Packet logon = logonPacket(kAnn.name);
    logon.setBody(std::string(1024, 'b'));
    client->send(logon);
    auto challenge = client->receive();
    ASSERT_TRUE(challenge);
    EXPECT_EQ(challenge->packet.command(), "AUTH");

    // Once signed in, the session's own bounds apply.
    auto session = Peer::signIn(server.port(), kAnn);
    ASSERT_TRUE(session);
    std::string userData = wire::encodeDataMap({{"note", std::string(3000, 'x')}});
    EXPECT_EQ(session->request(packet("SUB PROFILE UPDATE", {}, wire::encodeDataMap({{"user_data", userData}}))), 0u);
}

TEST(MisbehavingClient, EveryPacketBeforeSignInCountsTheExchangesOwnToo) {
    RunningServer server;
    auto client = TestClient::connect(server.port());
    for (int i = 0; i < 9; ++i) ASSERT_TRUE(client->send(logonPacket(kAnn.name)));
    EXPECT_TRUE(client->waitForClose());
}

TEST(MisbehavingClient, ConnectionsSigningInAreBoundedTogetherAndTheOldestMakesRoom) {
    ServerConfig config = loopbackConfig();
    config.maxConnectionsSigningIn = 2;
    RunningServer server(config);
    auto bystander = signIn(server.port(), kBob);
    ASSERT_TRUE(bystander) << "a signed-in connection does not count";
    auto oldest = TestClient::connect(server.port());
    auto second = TestClient::connect(server.port());
    auto third = TestClient::connect(server.port());
    EXPECT_TRUE(oldest->closesWithoutData());
    for (TestClient* client : {second.get(), third.get()}) {
        client->send(logonPacket(kAnn.name));
        auto challenge = client->receive();
        ASSERT_TRUE(challenge);
        EXPECT_EQ(challenge->packet.body().size(), 24u);
    }
    expectStillServed(*bystander);
}
