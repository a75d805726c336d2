// Steps that move the state up (a resume, the logon profile) send on the way.
// When such a send finds the line gone, that failure stands: the client waits
// to reconnect and does reconnect, instead of showing itself online without a
// connection.
#include "sync_scene.h"

using namespace kestrova;
using namespace kestrova::connection;
using namespace kestrova::testing;

class FailureWins : public SyncScene {
  protected:
    // The server's next packet reaches a client whose next write fails.
    void sendToAClientThatCannotAnswer(const std::string& bytes) {
        ASSERT_TRUE(peer_.send(bytes));
        ASSERT_TRUE(peer_.shutClientSending());
        ASSERT_TRUE(until([&] { return state() == kStateReconnectWait; }));
    }
    // Stays down, then comes back on its own.
    void expectReconnect() {
        for (int i = 0; i < 20; ++i)
            pump();
        EXPECT_EQ(state(), kStateReconnectWait);
        advance(5);
        EXPECT_EQ(takePacket().substr(0, 6), "LOGON\n");
    }
    void authenticatePlainly() {
        startAndTakeLogon();
        ASSERT_TRUE(peer_.send("AUTH\nencryption-type: 0\n\n"));
        takePacket();
    }
    std::string profile(wire::DataMapEntries entries, const std::string& headers = "") {
        entries.emplace("Sub-Id", std::to_string(kMyId));
        return packetWithBody("SUB PROFILE\n" + headers, encode(entries));
    }
};

TEST_F(FailureWins, AResumeWhosePendingRequestCannotGoOut) {
    signInOnline("key-of-session");
    wire::Packet request("MESG HIST");
    request.setHeader("Count", int32_t{5});
    connection_->submit(std::move(request), [](int64_t, const std::string&) { return true; });
    takePacket();
    peer_.dropConnection();
    ASSERT_TRUE(until([&] { return state() == kStateReconnectWait; }));
    advance(5);
    takePacket(); // LOGON with the session's id
    ASSERT_TRUE(peer_.send("AUTH\ncontent-length: 6\n\nnonce!"));
    takePacket(); // the resume digest
    sendToAClientThatCannotAnswer("SUB PROFILE\n\n");
    expectReconnect();
}

TEST_F(FailureWins, StoredMessagesThatCannotBeAskedFor) {
    authenticatePlainly();
    sendToAClientThatCannotAnswer(profile({}, "last-online: 1699990000.0\n"));
    EXPECT_EQ(account().presence, RY_PRESENCE_OFFLINE);
    expectReconnect();
}

TEST_F(FailureWins, AFriendRequestThatCannotBeAnsweredEndsTheLogonThere) {
    authenticatePlainly();
    // A request from someone on the list is answered at once, while loading.
    sendToAClientThatCannotAnswer(
        profile({{"contacts", encode({{"77", encode({{"Username", "ann@example.org"}, {"contact", "1"}})}})},
                 {"CONTACT_ADD", encode({{"77", encode({{"Name", "ann@example.org"}})}})}}));
    EXPECT_EQ(account().presence, RY_PRESENCE_OFFLINE) << "not shown online for a session that ended";
    EXPECT_EQ(friendRequests_.drops, 1) << "the session ended";
    expectReconnect();
}
