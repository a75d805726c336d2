// Logon and authentication against a scripted server.
#include "sign_in_scene.h"

#include "kestrova/kit/settings.h"
#include "kestrova/platform/registry.h"

using namespace kestrova;
using namespace kestrova::connection;
using kestrova::testing::SignInScene;

class Logon : public SignInScene {};

TEST_F(Logon, StoredCredentialsSignInAtStartWithTheLogonHeadersInOrder) {
    std::string logon = startAndTakeLogon();
    EXPECT_EQ(logon,
              "LOGON\nOperator: PC_CLIENT\napp-type: SmartPhone\nname: kim@example.org\nprotocol-version: 2.0\n\n");
    EXPECT_EQ(state(), kStateLogonSent);
    EXPECT_EQ(account().desiredStatus, RY_PRESENCE_ONLINE);
}

TEST_F(Logon, TheOperatorGoesOutOnlyWhenItsWholeNameIsKnown) {
    auto phone = platform::RegistryKey::create(platform::Hive::LocalMachine, "System\\State\\Phone");
    phone.setValue("Current Operator Name", "Telco");
    ASSERT_TRUE(phone.commit());
    EXPECT_EQ(startAndTakeLogon().substr(0, 22), "LOGON\nOperator: Telco\n");
    // Longer than the phone reads: a cut name would be a wrong one.
    phone.setValue("Current Operator Name", std::string(40, 'T'));
    ASSERT_TRUE(phone.commit());
    start();
    // The first connection's goodbye and the second one's logon come on two
    // sockets: either may be heard first on a loaded machine.
    std::string bye = takePacket(), logon = takePacket();
    if (bye.starts_with("LOGON")) std::swap(bye, logon);
    EXPECT_EQ(bye.substr(0, 4), "BYE\n");
    EXPECT_EQ(logon.substr(0, 26), "LOGON\nOperator: PC_CLIENT\n");
}

TEST_F(Logon, WithoutStoredPasswordNothingHappensAtStart) {
    storeCredentials(kUser, "");
    start();
    EXPECT_EQ(state(), kStateOffline);
    EXPECT_TRUE(serverHeardNothing());
    EXPECT_EQ(peer_.connectionsAccepted(), 0);
}

TEST_F(Logon, AutoSignInOffWaitsUnlessStartedHidden) {
    kit::writeSetting(settings::kAutoSignIn, 0);
    storeCredentials();
    start();
    EXPECT_EQ(state(), kStateOffline);
    connection_.reset();
    startedHidden_ = true;
    start();
    EXPECT_EQ(takePacket().substr(0, 6), "LOGON\n");
}

TEST_F(Logon, EncryptedAuthenticationProvesThePasswordAndGoesOnline) {
    startAndTakeLogon();
    std::string k2 = authenticateEncrypted();
    clock_->setUnixTime({1'700'000'000, 500'000});
    acceptWithResumeKey(k2, "the-resume-key", "timestamp: 1700000100.250000\n");
    ASSERT_TRUE(until([&] { return state() == kStateOnline; }));

    EXPECT_EQ(connection_->resumeKey(), "the-resume-key");
    EXPECT_EQ(connection_->myId(), 4294967301u);
    char subId[32] = {};
    RY_GetVariantString("Kestrova/Connection/Sub-Id", subId);
    EXPECT_STREQ(subId, "4294967301");
    kit::ServiceFields now = account();
    EXPECT_EQ(now.presence, RY_PRESENCE_ONLINE);
    HSERVICE service = RY_GetPrimaryService();
    RY_ServiceData data{};
    data.size = sizeof data;
    RY_GetServiceData(service, &data);
    EXPECT_STREQ(data.text3, "Kim");
    EXPECT_STREQ(data.text4, "at work");
    RY_ReleaseService(service);
    EXPECT_EQ(connection_->serverClockOffset().seconds, 99);
    EXPECT_EQ(connection_->serverClockOffset().microseconds, 750'000);
    EXPECT_EQ(objects_.contactLoads, 1);
    EXPECT_EQ(objects_.groupLoads, 1);
}

TEST_F(Logon, EveryProofUsesFreshRandomness) {
    startAndTakeLogon();
    authenticateEncrypted();
    std::string first = random_;
    peer_.dropConnection();
    connection_.reset();
    bus::set(names::kConnectionState, 0);
    start();
    takePacket();
    authenticateEncrypted();
    EXPECT_NE(first, random_);
}

TEST_F(Logon, PlainAuthenticationSendsNameAndPassword) {
    startAndTakeLogon();
    ASSERT_TRUE(peer_.send("AUTH\nencryption-type: 0\n\n"));
    EXPECT_EQ(takePacket(),
              "AUTH\ncontent-length: 6\nencryption-type: 0\nname: kim@example.org\nonline-status: 1\n\ns3cret");
}

TEST_F(Logon, AProfileWithoutIvTakesTheResumeKeyFromItsHeader) {
    startAndTakeLogon();
    authenticateEncrypted();
    std::string map = kestrova::testing::profileMap("77", "K", "");
    serverSends("SUB PROFILE\ncontent-length: " + std::to_string(map.size()) + "\nrk: plainkey\n\n" + map);
    EXPECT_EQ(state(), kStateOnline);
    EXPECT_EQ(connection_->resumeKey(), "plainkey");
    EXPECT_EQ(connection_->myId(), 77u);
}

TEST_F(Logon, AProfileThatIsNoDataMapLeavesTheClientWaiting) {
    startAndTakeLogon();
    authenticateEncrypted();
    serverSends("SUB PROFILE\ncontent-length: 4\niv: 8\nrk: 2\n\nabcd");
    EXPECT_EQ(state(), kStateLogonSent);
    serverSends("SUB PROFILE\ncontent-length: 3\n\nab\x01");
    EXPECT_EQ(state(), kStateLogonSent);
    EXPECT_EQ(connection_->myId(), 0u);
}

TEST_F(Logon, AShortChallengeIsNotAnswered) {
    startAndTakeLogon();
    serverSends("AUTH\nencryption-type: 1\ncontent-length: 10\n\n0123456789");
    EXPECT_TRUE(serverHeardNothing());
}

TEST_F(Logon, LastOnlineAsksForStoredMessagesUntilTheirFinalResponse) {
    startAndTakeLogon();
    std::string k2 = authenticateEncrypted();
    acceptWithResumeKey(k2, "rk", "last-online: 1699990000.000000\n");
    std::string request = takePacket();
    EXPECT_EQ(state(), kStateStoredMessages);
    std::string id = std::to_string(32768);
    EXPECT_EQ(request, "MESG STORED\ncount: 0\nfrom-private: 1699990000.000000\ninclude-self: 0\nmesg-id: " + id +
                           "\n\n");
    serverSends("RESPONSE\nmesg-id: " + id + "\ncontent-length: 4\n\n" + std::string("\0\0\0\0", 4));
    EXPECT_EQ(state(), kStateStoredMessages);
    serverSends("RESPONSE\nmesg-id: " + id + "\ncontent-length: 4\n\n" + std::string("\0\0\0\4", 4));
    EXPECT_EQ(state(), kStateOnline);
    EXPECT_EQ(connection_->pending().size(), 0u);
}

TEST_F(Logon, RefusalWithoutRetryShowsTheReasonAndForgetsThePasswordOnly) {
    startAndTakeLogon();
    serverSends("LOGON FAILED\nreason: Wrong password\nretry: 0\n\n");
    ASSERT_EQ(alerts_.shown.size(), 1u);
    EXPECT_EQ(alerts_.shown[0].caption, "Login Failed");
    EXPECT_EQ(alerts_.shown[0].text,
              "The server did not allow you to sign in at this time.\n\nThe reason given was:\nWrong password");
    kit::ServiceFields now = account();
    EXPECT_EQ(now.password, "");
    EXPECT_EQ(now.desiredStatus, RY_PRESENCE_OFFLINE);
    EXPECT_EQ(now.failureText, "Wrong password");
    EXPECT_EQ(kit::readSetting(settings::kPassword), kPassword);

    peer_.dropConnection();
    ASSERT_TRUE(until([&] { return state() == kStateOffline && !connection_->isConnected(); }));
    advance(60);
    EXPECT_EQ(state(), kStateOffline);
    EXPECT_EQ(peer_.connectionsAccepted(), 1);
}

TEST_F(Logon, AnAccountNameWithALineBreakIsNeverSentAndEndsTheSignIn) {
    storeCredentials("kim@example.org\nsetting: x", kPassword);
    start();
    ASSERT_TRUE(until([&] { return !alerts_.shown.empty(); }));
    EXPECT_EQ(alerts_.shown[0].caption, "Login Failed");
    EXPECT_EQ(account().failureText, alerts_.shown[0].text);
    EXPECT_EQ(account().desiredStatus, RY_PRESENCE_OFFLINE);
    EXPECT_EQ(state(), kStateOffline);
    EXPECT_TRUE(serverHeardNothing());
    advance(60);
    EXPECT_EQ(peer_.connectionsAccepted(), 1) << "no reconnect: the name would not change";
}

TEST_F(Logon, RefusalWithRetryReconnectsWithTheSameCredentials) {
    startAndTakeLogon();
    serverSends("LOGON FAILED\nretry: 1\n\n");
    EXPECT_EQ(alerts_.shown.at(0).text, "The server did not allow you to sign in at this time.");
    peer_.dropConnection();
    ASSERT_TRUE(until([&] { return state() == kStateReconnectWait; }));
    advance(5);
    EXPECT_EQ(takePacket().substr(0, 6), "LOGON\n");
    EXPECT_EQ(peer_.connectionsAccepted(), 2);
    EXPECT_EQ(account().password, kPassword);
}

TEST_F(Logon, GhostingTurnsReconnectionOff) {
    signInOnline();
    serverSends("GHOSTED\n\n");
    peer_.dropConnection();
    ASSERT_TRUE(until([&] { return state() == kStateOffline && !connection_->isConnected(); }));
    kit::ServiceFields now = account();
    EXPECT_EQ(now.failureReason, kit::kFailureGhosted);
    EXPECT_EQ(now.desiredStatus, RY_PRESENCE_OFFLINE);
    EXPECT_EQ(now.presence, RY_PRESENCE_OFFLINE);
    advance(30);
    EXPECT_EQ(peer_.connectionsAccepted(), 1);
    EXPECT_EQ(objects_.sessionsEnded, 1);
}
