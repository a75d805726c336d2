#include "recording_socket.h"
#include "support/loopback_peer.h"

#include <gtest/gtest.h>

using kestrova::net::MailboxWindow;
using kestrova::testing::LoopbackPeer;
using kestrova::testing::pumpUntil;
using kestrova::testing::RecordingSocket;
using kestrova::wire::Packet;

namespace {

struct SocketScene {
    LoopbackPeer peer;
    MailboxWindow window;
    RecordingSocket socket{window};

    void pump() { window.pumpWaiting(std::chrono::milliseconds(5)); }
    bool until(const std::function<bool()>& done) {
        return pumpUntil([this] { pump(); }, done);
    }
    void connect() {
        socket.startConnect("127.0.0.1", peer.port());
        ASSERT_TRUE(until([&] { return socket.connects == 1 && peer.connectionOpen(); }));
    }
};

}  // namespace

TEST(PacketSocket, ReportsTheConnectAndWritesPacketsByteForByte) {
    SocketScene scene;
    scene.connect();
    EXPECT_TRUE(scene.socket.isConnected());
    Packet packet("P");
    packet.setHeader("PS", int32_t{3});
    scene.socket.queueBytes(packet.serialise().value());
    ASSERT_TRUE(scene.socket.flush());
    std::optional<std::string> got;
    ASSERT_TRUE(scene.until([&] { return (got = scene.peer.takePacket()).has_value(); }));
    EXPECT_EQ(*got, "P\nps: 3\n\n");
}

TEST(PacketSocket, SendsALargeBufferWhole) {
    SocketScene scene;
    scene.connect();
    std::string big(10 * 1024 + 17, 'x');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>('a' + i % 26);
    scene.socket.queueBytes(big);
    ASSERT_TRUE(scene.socket.flush());
    std::optional<std::string> got;
    ASSERT_TRUE(scene.until([&] { return (got = scene.peer.takeBytes(big.size())).has_value(); }));
    EXPECT_EQ(*got, big);
}

TEST(PacketSocket, CutsPacketsOutOfAnySplitOfTheStream) {
    SocketScene scene;
    scene.connect();
    std::string body(5000, 'b');
    ASSERT_TRUE(scene.peer.send("P\n\nRESPONSE\nmesg-id: 7\n\nMESG\ncontent-length: 5000\n\n" + body.substr(0, 10)));
    ASSERT_TRUE(scene.until([&] { return scene.socket.packets.size() == 2; }));
    ASSERT_TRUE(scene.peer.send(body.substr(10)));
    ASSERT_TRUE(scene.until([&] { return scene.socket.packets.size() == 3; }));
    EXPECT_EQ(scene.socket.packets[0].command(), "P");
    EXPECT_EQ(scene.socket.packets[1].headerId("Mesg-Id"), 7u);
    EXPECT_EQ(scene.socket.packets[2].body(), body);
}

TEST(PacketSocket, APeerThatClosesDisconnectsTheSocket) {
    SocketScene scene;
    scene.connect();
    scene.peer.dropConnection();
    ASSERT_TRUE(scene.until([&] { return scene.socket.disconnects == 1; }));
    EXPECT_FALSE(scene.socket.isConnected());
}

TEST(PacketSocket, AnOversizedBodyClosesTheConnection) {
    SocketScene scene;
    scene.connect();
    ASSERT_TRUE(scene.peer.send("MESG\ncontent-length: 16777217\n\n"));
    ASSERT_TRUE(scene.until([&] { return scene.socket.disconnects == 1; }));
    EXPECT_TRUE(scene.socket.packets.empty());
    EXPECT_FALSE(scene.socket.isConnected());
}

TEST(PacketSocket, AFailedConnectIsReportedAsAnError) {
    SocketScene scene;
    uint16_t port = scene.peer.port();
    scene.peer.stopListening();
    scene.socket.startConnect("127.0.0.1", port);
    ASSERT_TRUE(scene.until([&] { return scene.socket.errors.size() == 1; }));
    EXPECT_EQ(scene.socket.errors[0], 0);
    EXPECT_EQ(scene.socket.disconnects, 1);
    EXPECT_EQ(scene.socket.connects, 0);
}

TEST(PacketSocket, AnUnknownHostIsReportedAsAnError) {
    SocketScene scene;
    scene.socket.startConnect("no-such-host.invalid", 1);
    ASSERT_TRUE(scene.until([&] { return scene.socket.errors.size() == 1; }));
    EXPECT_EQ(scene.socket.connects, 0);
}

TEST(PacketSocket, AClosedSocketHearsNothingMoreFromItsOldAttempt) {
    SocketScene scene;
    scene.connect();
    scene.socket.closeSocket();
    scene.peer.send("P\n\n");
    for (int i = 0; i < 20; ++i) scene.pump();
    EXPECT_TRUE(scene.socket.packets.empty());
    EXPECT_FALSE(scene.socket.flush());
}

TEST(PacketSocket, TheNetworkCheckAnswersOnTheWindow) {
    SocketScene scene;
    scene.socket.checkNetwork();
    ASSERT_TRUE(scene.until([&] { return scene.socket.networkReports.size() == 1; }));
    EXPECT_FALSE(scene.socket.networkReports[0]);
}
