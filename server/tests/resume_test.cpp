#include "server_fixture.h"

#include <gtest/gtest.h>

#include <regex>

using namespace kestrova;
using namespace kestrova::server;
using namespace kestrova::server::testing;

namespace {

Received expectPacket(TestClient& client) {
    std::optional<Received> received = client.receive();
    EXPECT_TRUE(received.has_value());
    return received ? *received : Received{};
}

wire::Packet resumeAnswer(int32_t received, const std::string& digest) {
    wire::Packet auth("AUTH");
    auth.setHeader("PS", received);
    auth.setBody(digest);
    return auth;
}

struct ResumeAttempt {
    std::unique_ptr<TestClient> client;
    Received offer;
};

ResumeAttempt askToResume(RunningServer& server, const TestAccount& account) {
    ResumeAttempt attempt{TestClient::connect(server.port()), {}};
    attempt.client->send(logonPacket(account.name, server.idOf(account)));
    attempt.offer = expectPacket(*attempt.client);
    return attempt;
}

const std::string kChallengeHead = "AUTH\ncontent-length: 24\nencryption-type: 1\n\n";

}  // namespace

TEST(Resume, ServerOffersANonceWithoutEncryptionType) {
    RunningServer server;
    auto session = signIn(server.port(), kAnn);
    ASSERT_TRUE(session);
    session->client->disconnect();
    ResumeAttempt attempt = askToResume(server, kAnn);
    EXPECT_FALSE(attempt.offer.packet.hasHeader("Encryption-Type"));
    ASSERT_EQ(attempt.offer.raw.size(), 25u + 16u);
    EXPECT_EQ(attempt.offer.raw.substr(0, 25), "AUTH\ncontent-length: 16\n\n");
    EXPECT_TRUE(std::regex_match(attempt.offer.packet.body(), std::regex("[0-9a-f]{16}")));
}

TEST(Resume, RightKeyResumesWithAnEmptyProfileAndNothingResent) {
    RunningServer server;
    auto session = signIn(server.port(), kAnn);
    ASSERT_TRUE(session);
    session->client->disconnect();
    ResumeAttempt attempt = askToResume(server, kAnn);
    attempt.client->send(resumeAnswer(session->received, resumeDigest(session->resumeKey, attempt.offer.packet.body())));
    EXPECT_EQ(expectPacket(*attempt.client).raw, "SUB PROFILE\n\n");
    attempt.client->send(wire::Packet("P"));
    EXPECT_EQ(expectPacket(*attempt.client).raw, "P\n\n") << "the ping's answer, not a resent packet";
    EXPECT_EQ(server.sessionCount(), 1u);
}

TEST(Resume, PacketsTheClientMissedAreResentByteForByte) {
    RunningServer server;
    auto session = signIn(server.port(), kAnn);
    ASSERT_TRUE(session);
    session->client->disconnect();
    ResumeAttempt attempt = askToResume(server, kAnn);
    // Only the challenge arrived: the profile and the first ping were lost.
    attempt.client->send(resumeAnswer(1, resumeDigest(session->resumeKey, attempt.offer.packet.body())));
    EXPECT_EQ(expectPacket(*attempt.client).raw, "SUB PROFILE\n\n");
    EXPECT_EQ(expectPacket(*attempt.client).raw, session->profile.raw);
    EXPECT_EQ(expectPacket(*attempt.client).raw, "P\n\n");
}

TEST(Resume, CountContinuesAcrossResumes) {
    RunningServer server;
    auto session = signIn(server.port(), kAnn);
    ASSERT_TRUE(session);
    session->client->disconnect();
    ResumeAttempt first = askToResume(server, kAnn);
    first.client->send(resumeAnswer(1, resumeDigest(session->resumeKey, first.offer.packet.body())));
    for (int i = 0; i < 3; ++i) expectPacket(*first.client);  // accept, profile, ping: count 1 + 3
    first.client->disconnect();

    ResumeAttempt second = askToResume(server, kAnn);
    second.client->send(resumeAnswer(3, resumeDigest(session->resumeKey, second.offer.packet.body())));
    EXPECT_EQ(expectPacket(*second.client).raw, "SUB PROFILE\n\n");
    EXPECT_EQ(expectPacket(*second.client).raw, "P\n\n") << "packet 4 (the ping) was missed";
}

TEST(Resume, WrongKeyFallsBackToTheChallenge) {
    RunningServer server;
    auto session = signIn(server.port(), kAnn);
    ASSERT_TRUE(session);
    session->client->disconnect();
    ResumeAttempt attempt = askToResume(server, kAnn);
    attempt.client->send(resumeAnswer(session->received, resumeDigest("not the key", attempt.offer.packet.body())));
    EXPECT_EQ(expectPacket(*attempt.client).raw.substr(0, kChallengeHead.size()), kChallengeHead);
}

TEST(Resume, AfterARefusedResumeTheNewCountLeavesOutTheChallenge) {
    RunningServer server;
    auto session = signIn(server.port(), kAnn);
    ASSERT_TRUE(session);
    session->client->disconnect();
    ResumeAttempt attempt = askToResume(server, kAnn);
    attempt.client->send(resumeAnswer(session->received, std::string(16, 'x')));
    Received challenge = expectPacket(*attempt.client);
    ClientProof proof(kAnn.password);
    attempt.client->send(challengeAnswer(proof.answer(challenge.packet.body())));
    Received profile = expectPacket(*attempt.client);
    ASSERT_EQ(profile.packet.command(), "SUB PROFILE");
    expectPacket(*attempt.client);  // the ping; the client has counted 2 (profile, ping)
    const std::string& body = profile.packet.body();
    std::string key = proof.decryptResumeKey(body.substr(0, 8), body.substr(body.size() - 32));
    attempt.client->disconnect();

    ResumeAttempt again = askToResume(server, kAnn);
    again.client->send(resumeAnswer(2, resumeDigest(key, again.offer.packet.body())));
    EXPECT_EQ(expectPacket(*again.client).raw, "SUB PROFILE\n\n");
    again.client->send(wire::Packet("P"));
    EXPECT_EQ(expectPacket(*again.client).raw, "P\n\n");
}

TEST(Resume, CountBeyondWhatWasSentIsRefused) {
    RunningServer server;
    auto session = signIn(server.port(), kAnn);
    ASSERT_TRUE(session);
    session->client->disconnect();
    ResumeAttempt attempt = askToResume(server, kAnn);
    attempt.client->send(resumeAnswer(session->received + 5, resumeDigest(session->resumeKey, attempt.offer.packet.body())));
    EXPECT_EQ(expectPacket(*attempt.client).raw.substr(0, kChallengeHead.size()), kChallengeHead);
}

TEST(Resume, UnknownSubscriberGetsTheChallenge) {
    RunningServer server;
    auto client = TestClient::connect(server.port());
    client->send(logonPacket(kAnn.name, server.idOf(kAnn)));
    EXPECT_EQ(expectPacket(*client).raw.substr(0, kChallengeHead.size()), kChallengeHead);
}

TEST(Resume, SubscriberIdOfAnotherAccountGetsTheChallenge) {
    RunningServer server;
    auto session = signIn(server.port(), kAnn);
    ASSERT_TRUE(session);
    auto client = TestClient::connect(server.port());
    client->send(logonPacket(kBob.name, server.idOf(kAnn)));
    EXPECT_EQ(expectPacket(*client).raw.substr(0, kChallengeHead.size()), kChallengeHead);
}

TEST(Resume, SessionEndedWithByeCannotBeResumed) {
    RunningServer server;
    auto session = signIn(server.port(), kAnn);
    ASSERT_TRUE(session);
    session->client->send(wire::Packet("BYE"));
    EXPECT_TRUE(session->client->waitForClose());
    ResumeAttempt attempt = askToResume(server, kAnn);
    EXPECT_EQ(attempt.offer.raw.substr(0, kChallengeHead.size()), kChallengeHead);
}

TEST(Resume, SessionExpiresAfterTheResumeWindow) {
    ServerConfig config = loopbackConfig();
    config.resumeWindow = std::chrono::milliseconds(20);
    RunningServer server(config);
    auto session = signIn(server.port(), kAnn);
    ASSERT_TRUE(session);
    session->client->disconnect();
    while (server.sessionCount() != 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ResumeAttempt attempt = askToResume(server, kAnn);
    EXPECT_EQ(attempt.offer.raw.substr(0, kChallengeHead.size()), kChallengeHead);
}

TEST(Resume, TakesOverAConnectionTheClientGaveUpOn) {
    RunningServer server;
    auto session = signIn(server.port(), kAnn);
    ASSERT_TRUE(session);
    ResumeAttempt attempt = askToResume(server, kAnn);  // the old connection is still open
    attempt.client->send(resumeAnswer(session->received, resumeDigest(session->resumeKey, attempt.offer.packet.body())));
    EXPECT_EQ(expectPacket(*attempt.client).raw, "SUB PROFILE\n\n");
    EXPECT_TRUE(session->client->closesWithoutData()) << "closed without GHOSTED: it is the same client";
    EXPECT_EQ(server.sessionCount(), 1u);
}
