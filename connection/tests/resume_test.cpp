// A session that drops while online and comes back within the resume window.
#include "sign_in_scene.h"

using namespace kestrova;
using namespace kestrova::connection;
using kestrova::testing::SignInScene;

class Resume : public SignInScene {
protected:
    // A request the server has not answered yet when the line drops.
    std::string submitHistoryRequest() {
        wire::Packet request("MESG HIST");
        request.setHeader("Count", int32_t{5});
        connection_->submit(std::move(request), [this](int64_t code, const std::string&) {
            codes.push_back(code);
            return true;
        });
        return takePacket();
    }
    // The codes the request was answered with; outlives the connection.
    std::vector<int64_t> codes;
    void dropAndWaitForReconnect() {
        peer_.dropConnection();
        ASSERT_TRUE(until([&] { return state() == kStateReconnectWait; }));
        advance(5);
    }
};

TEST_F(Resume, ADroppedSessionResumesWithItsPendingRequests) {
    signInOnline("key-of-session");
    std::string request = submitHistoryRequest();
    serverSends("P\n\n");
    int32_t countBeforeDrop = connection_->packetsReceived();

    dropAndWaitForReconnect();
    EXPECT_EQ(takePacket(), "LOGON\nOperator: PC_CLIENT\napp-type: SmartPhone\nname: kim@example.org\n"
                            "protocol-version: 2.0\nsub-id: 4294967301\n\n");
    EXPECT_EQ(objects_.sessionsEnded, 0);
    ASSERT_TRUE(peer_.send("AUTH\ncontent-length: 6\n\nnonce!"));
    std::string auth = takePacket();
    std::string head = "AUTH\ncontent-length: 16\nps: " + std::to_string(countBeforeDrop) + "\n\n";
    EXPECT_EQ(auth, head + kestrova::testing::md5Bytes("key-of-session" + std::string("nonce!")));
    EXPECT_EQ(state(), kStateResumeSent);

    serverSends("SUB PROFILE\n\n");
    EXPECT_EQ(takePacket(), request);
    EXPECT_EQ(state(), kStateOnline);
    EXPECT_TRUE(codes.empty());
    EXPECT_EQ(objects_.contactLoads, 1);
}

TEST_F(Resume, ARefusedResumeEndsTheOldSessionAndAuthenticatesAfresh) {
    signInOnline();
    submitHistoryRequest();
    dropAndWaitForReconnect();
    takePacket();
    std::string k2 = authenticateEncrypted();
    EXPECT_EQ(codes, std::vector<int64_t>{100});
    EXPECT_EQ(objects_.sessionsEnded, 1);
    EXPECT_TRUE(connection_->resumeKey().empty());
    acceptWithResumeKey(k2, "next");
    ASSERT_TRUE(until([&] { return state() == kStateOnline; }));
}

TEST_F(Resume, AfterTheResumeWindowTheSessionEndsFirst) {
    signInOnline();
    submitHistoryRequest();
    peer_.stopListening();
    peer_.dropConnection();
    ASSERT_TRUE(until([&] { return state() == kStateReconnectWait; }));
    EXPECT_TRUE(codes.empty());
    // Failed reconnects keep the session until the window has passed.
    int waited = 0;
    while (codes.empty() && waited < 400) {
        advance(5);
        waited += 5;
        ASSERT_TRUE(until([&] { return state() == kStateReconnectWait; }));
    }
    EXPECT_EQ(waited, 300);
    EXPECT_EQ(codes, std::vector<int64_t>{100});
    EXPECT_EQ(objects_.sessionsEnded, 1);
    EXPECT_TRUE(connection_->resumeKey().empty());
    EXPECT_EQ(connection_->packetsReceived(), 0);
}

TEST_F(Resume, ASubmittedRequestWhileOfflineFailsAtOnce) {
    storeCredentials(kUser, "");
    start();
    wire::Packet request("GROUP SUBSCRIBE");
    connection_->submit(std::move(request), [this](int64_t code, const std::string&) {
        codes.push_back(code);
        return true;
    });
    EXPECT_EQ(codes, std::vector<int64_t>{100});
    EXPECT_EQ(connection_->pending().size(), 0u);
}
