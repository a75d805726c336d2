#include "server_fixture.h"

#include <gtest/gtest.h>

#include <regex>

using namespace kestrova;
using namespace kestrova::server;
using namespace kestrova::server::testing;

namespace {

std::string bytes(std::string_view s) { return std::string(s); }

Received expectPacket(TestClient& client) {
    std::optional<Received> received = client.receive();
    EXPECT_TRUE(received.has_value());
    return received ? *received : Received{};
}

// Signs in up to the server's answer to the proof.
Received answerChallenge(TestClient& client, const TestAccount& account, const std::string& password) {
    client.send(logonPacket(account.name));
    Received challenge = expectPacket(client);
    ClientProof proof(password);
    client.send(challengeAnswer(proof.answer(challenge.packet.body())));
    return expectPacket(client);
}

ServerConfig plainConfig() {
    ServerConfig config = loopbackConfig();
    config.plainAuth = true;
    return config;
}

wire::Packet plainAnswer(const std::string& name, const std::string& password) {
    wire::Packet auth("AUTH");
    auth.setHeader("Encryption-Type", int32_t(0));
    auth.setHeader("Online-Status", int32_t(1));
    auth.setHeader("Name", name);
    auth.setBody(password);
    return auth;
}

const std::string kChallengeHead = "AUTH\ncontent-length: 24\nencryption-type: 1\n\n";
const std::string kWrongPasswordRefusal = "LOGON FAILED\nreason: Wrong e-mail address or password.\nretry: 0\n\n";

}  // namespace

TEST(Logon, ChallengeIsSixteenBytesAndAnEightByteNonce) {
    RunningServer server;
    auto client = TestClient::connect(server.port());
    client->send(logonPacket(kAnn.name));
    Received challenge = expectPacket(*client);
    ASSERT_EQ(challenge.raw.size(), kChallengeHead.size() + 24u);
    EXPECT_EQ(challenge.raw.substr(0, kChallengeHead.size()), kChallengeHead);

    auto other = TestClient::connect(server.port());
    other->send(logonPacket(kAnn.name));
    EXPECT_NE(expectPacket(*other).packet.body(), challenge.packet.body()) << "challenges must not repeat";
}

TEST(Logon, RightPasswordIsAcceptedWithProfileAndEncryptedResumeKey) {
    RunningServer server;
    auto client = TestClient::connect(server.port());
    client->send(logonPacket(kAnn.name));
    Received challenge = expectPacket(*client);
    ClientProof proof(kAnn.password);
    client->send(challengeAnswer(proof.answer(challenge.packet.body())));
    Received profile = expectPacket(*client);

    const wire::Packet& packet = profile.packet;
    EXPECT_EQ(packet.command(), "SUB PROFILE");
    EXPECT_EQ(packet.header("IV"), "8");
    EXPECT_EQ(packet.header("RK"), "32");
    EXPECT_TRUE(std::regex_match(packet.header("Timestamp"), std::regex("[0-9]+\\.[0-9]{6}")));
    EXPECT_FALSE(packet.hasHeader("Last-Online")) << "first sign-in of the account";
    EXPECT_EQ(packet.headers().size(), 4u);  // with content-length
    wire::DataMapEntries expectedMap{
        {"Nickname", "Ann"}, {"Status", ""}, {"Sub-Id", std::to_string(server.idOf(kAnn))}};
    std::string map = wire::encodeDataMap(expectedMap);
    const std::string& body = packet.body();
    ASSERT_EQ(body.size(), 8 + map.size() + 32);
    EXPECT_EQ(body.substr(8, map.size()), map);
    std::string key = proof.decryptResumeKey(body.substr(0, 8), body.substr(8 + map.size()));
    EXPECT_TRUE(std::regex_match(key, std::regex("[0-9a-f]{32}"))) << "decrypts to a text key with no zero byte";
    EXPECT_EQ(profile.raw, packet.serialise()) << "canonical form on the wire";

    EXPECT_EQ(expectPacket(*client).raw, "P\n\n") << "the first ping starts the keep-alive";
}

TEST(Logon, SecondSignInCarriesTheTimeLastOnline) {
    RunningServer server;
    auto first = signIn(server.port(), kAnn);
    ASSERT_TRUE(first);
    first->client->send(wire::Packet("BYE"));
    EXPECT_TRUE(first->client->waitForClose());
    auto second = signIn(server.port(), kAnn);
    ASSERT_TRUE(second);
    std::string lastOnline = second->profile.packet.header("Last-Online");
    EXPECT_TRUE(std::regex_match(lastOnline, std::regex("[0-9]+\\.[0-9]{6}"))) << lastOnline;
    EXPECT_LE(lastOnline, second->profile.packet.header("Timestamp"));
}

TEST(Logon, WrongPasswordIsRefusedWithoutRetryAndClosed) {
    RunningServer server;
    auto client = TestClient::connect(server.port());
    EXPECT_EQ(answerChallenge(*client, kAnn, "not ann's secret").raw, kWrongPasswordRefusal);
    EXPECT_TRUE(client->waitForClose());
    EXPECT_EQ(server.sessionCount(), 0u);
}

TEST(Logon, AnotherAccountsPasswordIsRefused) {
    RunningServer server;
    auto client = TestClient::connect(server.port());
    EXPECT_EQ(answerChallenge(*client, kAnn, kBob.password).raw, kWrongPasswordRefusal);
}

TEST(Logon, UnknownAccountIsRefusedAfterTheProofLikeAWrongPassword) {
    RunningServer server;
    auto client = TestClient::connect(server.port());
    TestAccount stranger{"nobody@example.org", "x", ""};
    client->send(logonPacket(stranger.name));
    Received challenge = expectPacket(*client);
    EXPECT_EQ(challenge.raw.substr(0, kChallengeHead.size()), kChallengeHead);
    ClientProof proof(stranger.password);
    client->send(challengeAnswer(proof.answer(challenge.packet.body())));
    EXPECT_EQ(expectPacket(*client).raw, kWrongPasswordRefusal);
}

TEST(Logon, ProofOfTheWrongLengthIsRefused) {
    RunningServer server;
    auto client = TestClient::connect(server.port());
    client->send(logonPacket(kAnn.name));
    expectPacket(*client);
    client->send(challengeAnswer(std::string(31, 'x')));
    EXPECT_EQ(expectPacket(*client).raw, kWrongPasswordRefusal);
}

TEST(Logon, AccountNamesIgnoreCase) {
    RunningServer server;
    TestAccount shouting{"ANN@Example.ORG", kAnn.password, ""};
    auto session = signIn(server.port(), shouting);
    ASSERT_TRUE(session);
    EXPECT_EQ(session->profileMap["Sub-Id"], std::to_string(server.idOf(kAnn)));
}

TEST(Logon, UnsupportedProtocolVersionIsRefused) {
    RunningServer server;
    auto client = TestClient::connect(server.port());
    wire::Packet logon = logonPacket(kAnn.name);
    logon.setHeader("Protocol-Version", "1.0");
    client->send(logon);
    EXPECT_EQ(expectPacket(*client).raw,
              "LOGON FAILED\nreason: This version of the program is no longer supported.\nretry: 0\n\n");
    EXPECT_TRUE(client->waitForClose());
}

TEST(PlainLogon, ServerAsksForThePasswordInPlain) {
    RunningServer server(plainConfig());
    auto client = TestClient::connect(server.port());
    client->send(logonPacket(kAnn.name));
    EXPECT_EQ(expectPacket(*client).raw, "AUTH\nencryption-type: 0\n\n");
}

TEST(PlainLogon, RightPasswordIsAcceptedWithTheResumeKeyAsText) {
    RunningServer server(plainConfig());
    auto client = TestClient::connect(server.port());
    client->send(logonPacket(kAnn.name));
    expectPacket(*client);
    client->send(plainAnswer(kAnn.name, kAnn.password));
    Received profile = expectPacket(*client);
    EXPECT_EQ(profile.packet.command(), "SUB PROFILE");
    EXPECT_FALSE(profile.packet.hasHeader("IV"));
    EXPECT_TRUE(std::regex_match(profile.packet.header("RK"), std::regex("[0-9a-f]{32}")));
    wire::DataMapEntries expectedMap{
        {"Nickname", "Ann"}, {"Status", ""}, {"Sub-Id", std::to_string(server.idOf(kAnn))}};
    EXPECT_EQ(profile.packet.body(), wire::encodeDataMap(expectedMap));
    EXPECT_EQ(expectPacket(*client).raw, "P\n\n");
}

TEST(PlainLogon, WrongPasswordIsRefused) {
    RunningServer server(plainConfig());
    auto client = TestClient::connect(server.port());
    client->send(logonPacket(kAnn.name));
    expectPacket(*client);
    client->send(plainAnswer(kAnn.name, "guess"));
    EXPECT_EQ(expectPacket(*client).raw, kWrongPasswordRefusal);
}

TEST(PlainLogon, NameThatDiffersFromTheLogonIsRefused) {
    RunningServer server(plainConfig());
    auto client = TestClient::connect(server.port());
    client->send(logonPacket(kAnn.name));
    expectPacket(*client);
    client->send(plainAnswer(kBob.name, kAnn.password));
    EXPECT_EQ(expectPacket(*client).raw, kWrongPasswordRefusal);
}

TEST(SignedInSession, ConfiguredSettingsFollowTheProfile) {
    ServerConfig config = loopbackConfig();
    config.settings = {{"Connection/Servers/List", "127.0.0.1:4000"}, {"advanced.powersave", "1"}};
    RunningServer server(config);
    auto client = TestClient::connect(server.port());
    Received profile = answerChallenge(*client, kAnn, kAnn.password);
    ASSERT_EQ(profile.packet.command(), "SUB PROFILE");
    EXPECT_EQ(expectPacket(*client).raw, "SETTING\nname: Connection/Servers/List\nvalue: 127.0.0.1:4000\n\n");
    EXPECT_EQ(expectPacket(*client).raw, "SETTING\nname: advanced.powersave\nvalue: 1\n\n");
    EXPECT_EQ(expectPacket(*client).raw, "P\n\n");
}

TEST(SignedInSession, PingIsAnsweredWithPing) {
    RunningServer server;
    auto session = signIn(server.port(), kAnn);
    ASSERT_TRUE(session);
    wire::Packet ping("P");
    ping.setHeader("PS", session->received);
    session->client->send(ping);
    EXPECT_EQ(expectPacket(*session->client).raw, "P\n\n");
}

TEST(SignedInSession, StoredMessagesRequestIsAnsweredAsDone) {
    RunningServer server;
    auto session = signIn(server.port(), kAnn);
    ASSERT_TRUE(session);
    wire::Packet stored("MESG STORED");
    stored.setHeader("Mesg-Id", uint64_t(32770));
    stored.setHeader("Count", int32_t(0));
    stored.setHeader("Include-self", "0");
    stored.setHeader("From-Private", "1700000000.000000");
    session->client->send(stored);
    EXPECT_EQ(expectPacket(*session->client).raw, bytes(std::string_view("RESPONSE\ncontent-length: 4\nmesg-id: 32770\n\n\0\0\0\4", 47)));
}

TEST(SignedInSession, LogonAndAuthAreIgnoredOnceSignedIn) {
    RunningServer server;
    auto session = signIn(server.port(), kAnn);
    ASSERT_TRUE(session);
    session->client->send(logonPacket(kAnn.name));
    session->client->send(challengeAnswer(std::string(32, 'x')));
    session->client->send(wire::Packet("P"));
    EXPECT_EQ(expectPacket(*session->client).raw, "P\n\n");
}

TEST(SignOff, ByeEndsTheSessionAndClosesTheConnection) {
    RunningServer server;
    auto session = signIn(server.port(), kAnn);
    ASSERT_TRUE(session);
    wire::Packet bye("BYE");
    bye.setHeader("PS", session->received);
    session->client->send(bye);
    EXPECT_TRUE(session->client->closesWithoutData());
    EXPECT_EQ(server.sessionCount(), 0u);
}

TEST(Ghosting, SecondSignInOfAnAccountDisplacesTheFirst) {
    RunningServer server;
    auto first = signIn(server.port(), kAnn);
    ASSERT_TRUE(first);
    auto second = signIn(server.port(), kAnn);
    ASSERT_TRUE(second);
    EXPECT_EQ(expectPacket(*first->client).raw, "GHOSTED\n\n");
    EXPECT_TRUE(first->client->waitForClose());

    second->client->send(wire::Packet("P"));
    EXPECT_EQ(expectPacket(*second->client).raw, "P\n\n");
    EXPECT_EQ(server.sessionCount(), 1u);
}

TEST(Ghosting, OtherAccountsAreNotDisplaced) {
    RunningServer server;
    auto ann = signIn(server.port(), kAnn);
    auto bob = signIn(server.port(), kBob);
    ASSERT_TRUE(ann && bob);
    ann->client->send(wire::Packet("P"));
    EXPECT_EQ(expectPacket(*ann->client).raw, "P\n\n");
    EXPECT_EQ(server.sessionCount(), 2u);
}
