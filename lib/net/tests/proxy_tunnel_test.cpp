#include "kestrova/net/proxy_tunnel.h"

#include <gtest/gtest.h>

using namespace kestrova::net;

TEST(ProxyTunnel, TheRequestNamesHostAndPortWithBareLineFeeds) {
    EXPECT_EQ(tunnelRequest("chat.example.org", 443), "CONNECT chat.example.org:443 HTTP/1.0\n\n");
}

TEST(ProxyTunnel, ReadsTheStatusLineOfAnAcceptingProxy) {
    auto status = parseProxyStatusLine("HTTP/1.0 200 Connection established");
    ASSERT_TRUE(status);
    EXPECT_EQ(status->version, "1.0");
    EXPECT_EQ(status->code, 200);
    EXPECT_EQ(status->reason, "Connection");
}

TEST(ProxyTunnel, ReadsARefusal) {
    auto status = parseProxyStatusLine("HTTP/1.1 407 Proxy Authentication Required");
    ASSERT_TRUE(status);
    EXPECT_EQ(status->code, 407);
}

TEST(ProxyTunnel, RejectsLinesThatAreNotStatusLines) {
    EXPECT_FALSE(parseProxyStatusLine("AUTH"));
    EXPECT_FALSE(parseProxyStatusLine("HTTP/1.0 200"));
    EXPECT_FALSE(parseProxyStatusLine("HTTP/1.0 OK 200"));
    EXPECT_FALSE(parseProxyStatusLine("HTTP/"));
    EXPECT_FALSE(parseProxyStatusLine("http/1.0 200 OK"));
    EXPECT_FALSE(parseProxyStatusLine(""));
}
