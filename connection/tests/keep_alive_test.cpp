// Keep-alive, watchdog, reconnection delays and server rotation on the
// virtual clock.
#include "sign_in_scene.h"

#include "kestrova/kit/settings.h"

using namespace kestrova;
using namespace kestrova::connection;
using kestrova::testing::LoopbackPeer;
using kestrova::testing::SignInScene;

class KeepAlive : public SignInScene {};

TEST_F(KeepAlive, AServerPingIsAnsweredAfterThePingInterval) {
    signInOnline();
    serverSends("P\n\n");
    int32_t count = connection_->packetsReceived();
    advance(10);
    advance(10);
    EXPECT_TRUE(serverHeardNothing());
    advance(10);
    EXPECT_EQ(takePacket(), "P\nps: " + std::to_string(count) + "\n\n");
}

TEST_F(KeepAlive, AMessageMakesTheNextTickPingWithTheNewCount) {
    signInOnline();
    serverSends("MESG\nmesg-id: 9\n\n");
    advance(10);
    EXPECT_EQ(takePacket(), "P\nps: " + std::to_string(connection_->packetsReceived()) + "\n\n");
    EXPECT_EQ(objects_.messageChunks, 1);
}

class PowerSave : public SignInScene {
protected:
    // Online with power save, the last message 600 seconds ago: the ping goes
    // out with the stretched interval.
    void pingAfterTenIdleMinutes() {
        kit::writeSetting(settings::kPowerSave, 1);
        signInOnline();
        serverSends("MESG\nmesg-id: 9\n\n");
        advance(600);
        EXPECT_EQ(takePacket(), "P\ni: 200\nps: " + std::to_string(connection_->packetsReceived()) + "\n\n");
        EXPECT_EQ(connection_->pingInterval(), 200);
    }
};

TEST_F(PowerSave, TheIntervalIsAThirdOfTheIdleTime) {
    pingAfterTenIdleMinutes();
    advance(229);
    EXPECT_TRUE(connection_->isConnected());
}

TEST_F(PowerSave, TheDeadlineMovesIntervalAndSlackAhead) {
    pingAfterTenIdleMinutes();
    advance(230);
    EXPECT_FALSE(connection_->isConnected());
}

TEST_F(PowerSave, TheIntervalStaysBetweenThirtyAndThreeHundredSeconds) {
    kit::writeSetting(settings::kPowerSave, 1);
    signInOnline();
    serverSends("MESG\n\n");
    advance(10);
    EXPECT_EQ(takePacket().substr(0, 9), "P\ni: 30\np");
    serverSends("MESG\n\n");
    advance(2000);
    EXPECT_EQ(takePacket().substr(0, 10), "P\ni: 300\np");
}

TEST_F(KeepAlive, ASilentConnectionIsDeclaredDeadAfterIntervalAndSlack) {
    signInOnline();
    for (int i = 0; i < 5; ++i) advance(10);
    EXPECT_TRUE(connection_->isConnected());
    advance(10);
    EXPECT_FALSE(connection_->isConnected());
    EXPECT_EQ(state(), kStateReconnectWait);
    ASSERT_TRUE(until([&] { return !peer_.connectionOpen(); }));
}

TEST_F(KeepAlive, EveryPacketMovesTheDeadline) {
    signInOnline();
    for (int i = 0; i < 5; ++i) advance(10);
    serverSends("SETTING\nname: x\nvalue: y\n\n");
    for (int i = 0; i < 5; ++i) advance(10);
    EXPECT_TRUE(connection_->isConnected());
    advance(10);
    EXPECT_FALSE(connection_->isConnected());
}

TEST_F(KeepAlive, GoingOfflineSaysByeFirstAndDoesNotReconnect) {
    signInOnline();
    serverSends("P\n\n");
    int32_t count = connection_->packetsReceived();
    connection_->disconnect();
    EXPECT_EQ(takePacket(), "BYE\nps: " + std::to_string(count) + "\n\n");
    ASSERT_TRUE(until([&] { return !peer_.connectionOpen(); }));
    EXPECT_EQ(state(), kStateOffline);
    EXPECT_FALSE(window_->timerRunning());
    advance(60);
    EXPECT_EQ(peer_.connectionsAccepted(), 1);
    EXPECT_EQ(objects_.sessionsEnded, 1);
    EXPECT_EQ(account().presence, RY_PRESENCE_OFFLINE);
}

class Reconnect : public SignInScene {
protected:
    // Counts the connection attempts that failed.
    void SetUp() override {
        SignInScene::SetUp();
        subscription_ = RY_VariantSubscribe(&Reconnect::onState, names::kConnectionState.name, this);
    }
    void TearDown() override {
        RY_VariantUnsubscribe(subscription_);
        SignInScene::TearDown();
    }
    static intptr_t onState(void* user, void*, void*, HSUBSCRIPTION) {
        auto* self = static_cast<Reconnect*>(user);
        if (bus::get(names::kConnectionState) == kStateConnecting) ++self->attempts_;
        return 0;
    }
    // Starts with nobody listening and waits for the first failure.
    void startRefused() {
        peer_.stopListening();
        storeCredentials();
        start();
        ASSERT_TRUE(until([&] { return state() == kStateReconnectWait; }));
    }
    // Seconds of virtual time until the next attempt starts, in 5-second ticks.
    int secondsUntilNextAttempt() {
        int before = attempts_;
        int waited = 0;
        while (attempts_ == before && waited < 1000) {
            advance(5);
            waited += 5;
            until([&] { return attempts_ > before || state() == kStateReconnectWait; });
        }
        until([&] { return state() == kStateReconnectWait; });
        return waited;
    }
    HSUBSCRIPTION subscription_ = nullptr;
    int attempts_ = 0;
};

TEST_F(Reconnect, WithoutPowerSaveEveryWaitIsFiveSeconds) {
    startRefused();
    for (int i = 0; i < 4; ++i) EXPECT_EQ(secondsUntilNextAttempt(), 5);
}

TEST_F(Reconnect, TheWaitEndsOnTheTimerTickThatEndsIt) {
    // The line fails between two milliseconds; the timer counts whole ones.
    clock_->advance(std::chrono::microseconds(900));
    startRefused();
    int before = attempts_;
    clock_->advance(std::chrono::microseconds(4'999'200));
    EXPECT_TRUE(until([&] { return attempts_ > before; })) << "the tick at five seconds reconnects";
}

TEST_F(KeepAlive, TheWatchdogFiresOnTheTickThatEndsTheDeadline) {
    clock_->advance(std::chrono::microseconds(900));
    signInOnline();
    for (int i = 0; i < 5; ++i) advance(10);
    EXPECT_TRUE(connection_->isConnected());
    clock_->advance(std::chrono::microseconds(9'999'200));
    EXPECT_TRUE(until([&] { return !connection_->isConnected(); })) << "60 seconds, not 70";
}

TEST_F(Reconnect, WithPowerSaveTheWaitDoublesUpToFiveMinutes) {
    kit::writeSetting(settings::kPowerSave, 1);
    startRefused();
    std::vector<int> waits;
    for (int i = 0; i < 7; ++i) waits.push_back(secondsUntilNextAttempt());
    EXPECT_EQ(waits, (std::vector<int>{10, 20, 40, 80, 160, 300, 300}));
}

TEST_F(Reconnect, AConnectResetsTheDelay) {
    kit::writeSetting(settings::kPowerSave, 1);
    storeCredentials();
    start();
    takePacket();
    peer_.dropConnection();
    ASSERT_TRUE(until([&] { return state() == kStateReconnectWait; }));
    EXPECT_EQ(connection_->reconnectDelay(), 10);
}

TEST_F(Reconnect, FailedConnectsWalkTheServerListAndWrapAround) {
    LoopbackPeer second, third;
    uint16_t refusedA = peer_.port(), refusedB = second.port();
    peer_.stopListening();
    second.stopListening();
    kit::writeSetting(settings::kServerList,
                                ("127.0.0.1:" + std::to_string(refusedA) + ",127.0.0.1:" +
                                 std::to_string(refusedB) + ",127.0.0.1:" + std::to_string(third.port()))
                                    .c_str());
    storeCredentials();
    start();
    ASSERT_TRUE(until([&] { return state() == kStateReconnectWait; }));
    EXPECT_EQ(connection_->servers().cursor(), 1u);
    secondsUntilNextAttempt();
    EXPECT_EQ(connection_->servers().cursor(), 2u);
    advance(5);
    ASSERT_TRUE(until([&] { return third.connectionsAccepted() == 1 && state() == kStateLogonSent; }));
    third.dropConnection();
    ASSERT_TRUE(until([&] { return state() == kStateReconnectWait; }));
    // A connection that was up does not move the cursor.
    EXPECT_EQ(connection_->servers().cursor(), 2u);
    third.stopListening();
    secondsUntilNextAttempt();
    EXPECT_EQ(connection_->servers().cursor(), 0u);
}

// The same life on a real window of the platform's window system, driven by
// the thread's message loop.
class OnPlatformWindow : public SignInScene {
protected:
    void SetUp() override {
        SignInScene::SetUp();
        usePlatformWindow_ = true;
    }
};

TEST_F(OnPlatformWindow, SignsInPingsAndSignsOff) {
    signInOnline();
    serverSends("P\n\n");
    int32_t count = connection_->packetsReceived();
    advance(30);
    EXPECT_EQ(takePacket(), "P\nps: " + std::to_string(count) + "\n\n");
    connection_->disconnect();
    EXPECT_EQ(takePacket(), "BYE\nps: " + std::to_string(count) + "\n\n");
    EXPECT_EQ(state(), kStateOffline);
}

TEST_F(KeepAlive, StoppingSaysByeAndLeavesTheStateOffline) {
    signInOnline();
    serverSends("P\n\n");
    int32_t count = connection_->packetsReceived();
    connection_.reset();
    EXPECT_EQ(takePacket(), "BYE\nps: " + std::to_string(count) + "\n\n");
    EXPECT_EQ(state(), kStateOffline);
    EXPECT_EQ(objects_.sessionsEnded, 1);
    EXPECT_EQ(objects_.removals, 1);
}
