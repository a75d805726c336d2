// The power paths of a "PocketPC": recorded requests, since a desktop has no
// power manager to ask.
#include "sign_in_scene.h"

#include "kestrova/kit/settings.h"

#include <stdlib.h>

using namespace kestrova;
using namespace kestrova::connection;
using kestrova::testing::SignInScene;

class PocketPcPower : public SignInScene {
protected:
    void SetUp() override {
        ::setenv("KESTROVA_PLATFORM", "PocketPC", 1);
        SignInScene::SetUp();
    }
    void TearDown() override {
        SignInScene::TearDown();
        ::unsetenv("KESTROVA_PLATFORM");
    }
};

TEST_F(PocketPcPower, ShortPingIntervalsKeepTheDeviceUnattended) {
    std::string logon = startAndTakeLogon();
    EXPECT_NE(logon.find("app-type: PocketPC\n"), std::string::npos);
    std::string k2 = authenticateEncrypted();
    acceptWithResumeKey(k2, "rk");
    ASSERT_TRUE(until([&] { return state() == kStateOnline; }));
    EXPECT_EQ(power_.unattendedRequests, std::vector<bool>{true});
    EXPECT_GT(power_.idleResets, 0);
    EXPECT_TRUE(power_.programStarts.empty());
}

TEST_F(PocketPcPower, LongIntervalsScheduleAWakeUpInstead) {
    kit::writeSetting(settings::kPowerSave, 1);
    signInOnline();
    serverSends("MESG\n\n");
    advance(600);
    takePacket();
    ASSERT_EQ(power_.unattendedRequests, (std::vector<bool>{true, false}));
    ASSERT_FALSE(power_.programStarts.empty());
    ASSERT_TRUE(power_.programStarts.back().has_value());
    EXPECT_EQ(power_.programStarts.back()->seconds, platform::unixNow().seconds + 230);
}

TEST_F(PocketPcPower, StoppingCancelsTheWakeUpAndReleasesUnattendedMode) {
    signInOnline();
    connection_.reset();
    ASSERT_FALSE(power_.programStarts.empty());
    EXPECT_FALSE(power_.programStarts.back().has_value());
    EXPECT_EQ(power_.unattendedRequests.back(), false);
}

class DesktopPower : public SignInScene {};

TEST_F(DesktopPower, NothingIsAskedOfThePowerManager) {
    signInOnline();
    serverSends("P\n\n");
    connection_.reset();
    EXPECT_TRUE(power_.unattendedRequests.empty());
    EXPECT_EQ(power_.idleResets, 0);
    EXPECT_TRUE(power_.programStarts.empty());
}
