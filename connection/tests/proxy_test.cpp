// Reaching the server through an HTTP CONNECT proxy (the scripted peer plays
// the proxy).
#include "sign_in_scene.h"

#include "kestrova/kit/settings.h"

using namespace kestrova;
using namespace kestrova::connection;
using kestrova::testing::SignInScene;

class Proxy : public SignInScene {
protected:
    void useProxy(int32_t type) {
        kit::writeSetting(settings::kServerList, "chat.example.org:38535");
        kit::writeSetting(settings::kProxyType, type);
        kit::writeSetting(settings::kProxyHost, "127.0.0.1");
        kit::writeSetting(settings::kProxyPort, peer_.port());
    }
};

TEST_F(Proxy, TheTunnelIsAskedForAndTheLogonFollowsItsAcceptance) {
    useProxy(1);
    storeCredentials();
    start();
    std::string request = "CONNECT chat.example.org:38535 HTTP/1.0\n\n";
    std::optional<std::string> got;
    ASSERT_TRUE(until([&] { return (got = peer_.takeBytes(request.size())).has_value(); }));
    EXPECT_EQ(*got, request);
    EXPECT_EQ(state(), kStateProxy);
    serverSends("HTTP/1.0 200 Connection established\r\nProxy-agent: test\r\n\r\n");
    EXPECT_EQ(takePacket().substr(0, 6), "LOGON\n");
    EXPECT_EQ(state(), kStateLogonSent);
    EXPECT_EQ(connection_->packetsReceived(), 0);
}

TEST_F(Proxy, ARefusalIsShownAndStopsReconnecting) {
    useProxy(1);
    storeCredentials();
    start();
    ASSERT_TRUE(until([&] { return state() == kStateProxy && !peer_.pendingBytes().empty(); }));
    serverSends("HTTP/1.1 407 Proxy Authentication Required\r\n\r\n");
    ASSERT_EQ(alerts_.shown.size(), 1u);
    EXPECT_EQ(alerts_.shown[0].caption, "Login Failed");
    EXPECT_EQ(alerts_.shown[0].text,
              "The proxy rejected the connection:\n\nHTTP/1.1 407 Proxy Authentication Required");
    kit::ServiceFields now = account();
    EXPECT_EQ(now.failureText, "HTTP/1.1 407 Proxy Authentication Required");
    EXPECT_EQ(now.desiredStatus, RY_PRESENCE_OFFLINE);
    EXPECT_TRUE(connection_->isConnected());
    peer_.dropConnection();
    ASSERT_TRUE(until([&] { return !connection_->isConnected(); }));
    advance(30);
    EXPECT_EQ(state(), kStateOffline);
    EXPECT_EQ(peer_.connectionsAccepted(), 1);
}

TEST_F(Proxy, OtherProxyTypesWriteNothingAndWaitForTheStatusLine) {
    useProxy(2);
    storeCredentials();
    start();
    ASSERT_TRUE(until([&] { return state() == kStateProxy && peer_.connectionOpen(); }));
    EXPECT_TRUE(serverHeardNothing());
    serverSends("HTTP/1.0 200 OK\n\n");
    EXPECT_EQ(takePacket().substr(0, 6), "LOGON\n");
}

TEST_F(Proxy, ANonStatusLineInTheProxyStateIsAnOrdinaryPacket) {
    useProxy(1);
    storeCredentials();
    start();
    ASSERT_TRUE(until([&] { return state() == kStateProxy && peer_.connectionOpen(); }));
    serverSends("SETTING\nname: probe\nvalue: 1\n\n");
    EXPECT_EQ(settingText("probe"), "1");
    EXPECT_EQ(connection_->packetsReceived(), 1);
    EXPECT_EQ(state(), kStateProxy);
}
