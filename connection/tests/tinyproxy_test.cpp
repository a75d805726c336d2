// Signing in through a real HTTP CONNECT proxy: tinyproxy, started by the
// test on loopback, between the client and the scripted server.
#include "sign_in_scene.h"
#include "support/tinyproxy_process.h"

#include "kestrova/kit/settings.h"

#include <unistd.h>

using namespace kestrova;
using namespace kestrova::connection;
using kestrova::testing::SignInScene;
using kestrova::testing::TinyproxyProcess;

class Tinyproxy : public SignInScene {};

TEST_F(Tinyproxy, TheClientSignsInThroughTheTunnel) {
    if (!TinyproxyProcess::installed()) GTEST_SKIP() << "tinyproxy is not installed";
    TinyproxyProcess proxy(home_);
    ASSERT_TRUE(proxy.running());
    kit::writeSetting(settings::kProxyType, 1);
    kit::writeSetting(settings::kProxyHost, "127.0.0.1");
    kit::writeSetting(settings::kProxyPort, proxy.port());

    std::string logon = startAndTakeLogon();
    EXPECT_EQ(logon,
              "LOGON\nOperator: PC_CLIENT\napp-type: SmartPhone\nname: kim@example.org\nprotocol-version: 2.0\n\n");
    std::string k2 = authenticateEncrypted();
    acceptWithResumeKey(k2, "through-the-proxy");
    ASSERT_TRUE(until([&] { return state() == kStateOnline; }));
    EXPECT_EQ(connection_->resumeKey(), "through-the-proxy");
    EXPECT_EQ(connection_->packetsReceived(), 2);
}
