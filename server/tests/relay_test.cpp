// Messages between subscribers: relay chunk by chunk, the store for offline
// recipients, history, refusals, bounds and the echo robot.
#include "relay_support.h"

#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::server;
using namespace kestrova::server::testing;

namespace {

ServerConfig smallStore() {
    ServerConfig config = loopbackConfig();
    config.messaging.maxStoredMessages = 2;
    return config;
}

// The account "echo@example.org", a robot that says back what it is sent.
uint64_t addEchoRobot(RunningServer& server) {
    return server.onServerThread([](Server& s) {
        uint64_t id = 0;
        s.accounts().create("echo@example.org", "unused", "Echo", &id);
        s.accounts().setRobot(id, 1, true);
        return id;
    });
}

}  // namespace

TEST(Relay, MessagesOfOneByteHalfAKilobyteAndAHundredKilobytesArriveWhole) {
    RunningServer server;
    uint64_t annId = server.idOf(kAnn), bobId = server.idOf(kBob);
    auto ann = Peer::signIn(server.port(), kAnn);
    auto bob = Peer::signIn(server.port(), kBob);
    ASSERT_TRUE(ann && bob);
    std::set<uint64_t> ids;
    for (size_t size : {size_t(1), size_t(512), size_t(100 * 1024)}) {
        SCOPED_TRACE(size);
        std::string body = text(size);
        Sent sent = sendMessage(*ann, bobId, body);
        EXPECT_EQ(sent.codes, std::vector<uint32_t>((size + 511) / 512, 4)) << "code 4 for every chunk";
        auto got = receiveMessage(*bob);
        ASSERT_TRUE(got);
        EXPECT_EQ(got->body, body);
        EXPECT_EQ(got->chunks, (size + 511) / 512);
        EXPECT_EQ(got->first.headerId("Source-Id"), annId);
        EXPECT_FALSE(got->first.hasHeader("Target-Id")) << "a private message carries no target";
        EXPECT_EQ(got->first.header("Content-Type"), "text/plain");
        EXPECT_EQ(got->first.header("name"), "Ann");
        EXPECT_TRUE(isWireTimestamp(got->first.header("Timestamp")));
        EXPECT_EQ(got->first.hasHeader("Total-Length"), size > 512);
        ids.insert(got->first.headerId("Mesg-Id"));
    }
    EXPECT_EQ(ids.size(), 3u) << "every message has an id of its own";
}

TEST(Relay, GroupMessageGoesToEveryOtherMemberWithTheGroupAsTarget) {
    RunningServer server;
    uint64_t annId = server.idOf(kAnn);
    auto ann = Peer::signIn(server.port(), kAnn);
    auto bob = Peer::signIn(server.port(), kBob);
    auto cat = Peer::signIn(server.port(), kCat);
    ASSERT_EQ(ann->request(packet("GROUP CREATE", {{"Name", "Crew"}})), 0u);
    ASSERT_EQ(bob->request(packet("GROUP SUBSCRIBE", {{"Name", "Crew"}})), 0u);
    ASSERT_EQ(cat->request(packet("GROUP SUBSCRIBE", {{"Name", "Crew"}})), 0u);
    auto update = ann->expect("GROUP UPDATE");
    uint64_t groupId = wire::readDecimalId(dataMap(update->body())["Group-Id"]);

    Sent sent = sendMessage(*ann, groupId, text(700), true);
    EXPECT_EQ(sent.codes, (std::vector<uint32_t>{4, 4}));
    for (Peer* member : {&*bob, &*cat}) {
        auto got = receiveMessage(*member);
        ASSERT_TRUE(got);
        EXPECT_EQ(got->body, text(700));
        EXPECT_EQ(got->first.headerId("Target-Id"), groupId);
        EXPECT_EQ(got->first.headerId("Source-Id"), annId);
    }
    ann->sync();
    EXPECT_TRUE(ann->takeAll("MESG").empty()) << "the sender does not get its own message";
}

TEST(Relay, OfflineRecipientGetsItsMessagesOnceAfterItsNextLogon) {
    RunningServer server;
    uint64_t bobId = server.idOf(kBob);
    auto ann = Peer::signIn(server.port(), kAnn);
    ASSERT_TRUE(ann);
    EXPECT_EQ(sendMessage(*ann, bobId, "first").codes, std::vector<uint32_t>{4});
    EXPECT_EQ(sendMessage(*ann, bobId, text(1300)).codes, (std::vector<uint32_t>{4, 4, 4}));

    auto bob = Peer::signIn(server.port(), kBob);
    ASSERT_TRUE(bob);
    EXPECT_FALSE(bob->lastOnline.empty()) << "an account that never signed in is still told to ask";
    uint64_t request = bob->send(packet("MESG STORED", {{"Count", "0"}, {"Include-self", "0"}, {"From-Private", bob->lastOnline}}));
    auto one = receiveMessage(*bob);
    auto two = receiveMessage(*bob);
    ASSERT_TRUE(one && two);
    EXPECT_EQ(one->body, "first");
    EXPECT_EQ(two->body, text(1300));
    EXPECT_EQ(bob->codeFor(request), 4u);
    bob->bye();

    auto again = Peer::signIn(server.port(), kBob);
    request = again->send(packet("MESG STORED", {{"Count", "0"}, {"From-Private", again->lastOnline}}));
    EXPECT_EQ(again->codeFor(request), 4u);
    again->sync();
    EXPECT_TRUE(again->takeAll("MESG").empty()) << "delivered once";
}

TEST(Relay, RecipientWhoseLineDropsMidMessageGetsTheWholeMessageLater) {
    RunningServer server;
    uint64_t bobId = server.idOf(kBob);
    auto ann = Peer::signIn(server.port(), kAnn);
    auto bob = Peer::signIn(server.port(), kBob);
    std::string body = text(1500);
    Sent start = sendMessage(*ann, bobId, body, false, "text/plain", 1);
    ASSERT_TRUE(bob->expect("MESG"));
    bob->drop();
    // The rest follows while bob is away; his client dropped the part it had.
    for (size_t offset = 512; offset < body.size(); offset += 512) {
        wire::Packet chunk = packet("MESG", {{"Mesg-Target", "0"}, {"Target-Id", std::to_string(bobId)},
                                             {"Content-Type", "text/plain"}, {"Correlation-Id", std::to_string(start.messageId)}},
                                    body.substr(offset, 512));
        if (offset + 512 >= body.size()) chunk.setHeader("Last", int32_t(1));
        EXPECT_EQ(ann->request(chunk), 4u);
    }
    auto back = Peer::signIn(server.port(), kBob);  // afresh, not resumed
    ASSERT_TRUE(back);
    uint64_t request = back->send(packet("MESG STORED", {{"From-Private", back->lastOnline}}));
    auto got = receiveMessage(*back);
    ASSERT_TRUE(got);
    EXPECT_EQ(got->body, body);
    EXPECT_EQ(back->codeFor(request), 4u);
}

TEST(History, OlderMessagesComeNewestFirstThenAFinalCode) {
    RunningServer server;
    uint64_t annId = server.idOf(kAnn), bobId = server.idOf(kBob);
    auto ann = Peer::signIn(server.port(), kAnn);
    auto bob = Peer::signIn(server.port(), kBob);
    sendMessage(*ann, bobId, "one");
    sendMessage(*bob, annId, "two");
    sendMessage(*ann, bobId, text(600));
    ASSERT_TRUE(receiveMessage(*bob) && receiveMessage(*bob));  // the live copies

    auto history = [&](const std::string& before, int count, std::vector<wire::Packet>& firsts, std::string& bodies) {
        uint64_t id = bob->send(packet("MESG HIST", {{"From-Private", before}, {"Source-Id", std::to_string(annId)},
                                                     {"Count", std::to_string(count)}}));
        bob->sync();
        std::vector<uint32_t> codes;
        for (wire::Packet& response : bob->takeAll("RESPONSE"))
            if (response.headerId("Mesg-Id") == id) codes.push_back(responseCode(response));
        for (wire::Packet& chunk : bob->takeAll("MESG")) {
            EXPECT_TRUE(chunk.hasHeader("Hist"));
            if (!chunk.hasHeader("Correlation-Id")) firsts.push_back(chunk);
            bodies += chunk.body() + "|";
        }
        return codes;
    };
    std::vector<wire::Packet> firsts;
    std::string bodies;
    EXPECT_EQ(history("9999999999.0", -2, firsts, bodies), (std::vector<uint32_t>{0, 4})) << "older ones remain";
    ASSERT_EQ(firsts.size(), 2u);
    EXPECT_EQ(bodies, text(600).substr(0, 512) + "|" + text(600).substr(512) + "|two|");
    EXPECT_EQ(firsts[1].headerId("Source-Id"), bobId);
    EXPECT_FALSE(firsts[1].hasHeader("Target-Id"));

    std::string oldest = firsts[1].header("Timestamp");
    firsts.clear();
    bodies.clear();
    EXPECT_EQ(history(oldest, -2, firsts, bodies), (std::vector<uint32_t>{0, 8})) << "the beginning";
    EXPECT_EQ(bodies, "one|");
    EXPECT_EQ(history("1.0", -5, firsts, bodies), std::vector<uint32_t>{8});
    EXPECT_EQ(history("soon", -5, firsts, bodies), std::vector<uint32_t>{15});
}

TEST(History, AConversationKeepsOnlyItsNewestMessages) {
    ServerConfig config = loopbackConfig();
    config.messaging.maxHistoryPerConversation = 3;
    RunningServer server(config);
    uint64_t annId = server.idOf(kAnn), bobId = server.idOf(kBob);
    auto ann = Peer::signIn(server.port(), kAnn);
    auto bob = Peer::signIn(server.port(), kBob);
    for (const char* text : {"1", "2", "3", "4", "5"}) sendMessage(*ann, bobId, text);
    bob->sync();
    bob->takeAll("MESG");
    uint64_t id = bob->send(packet("MESG HIST", {{"From-Private", "9999999999.0"}, {"Source-Id", std::to_string(annId)},
                                                 {"Count", "-10"}}));
    bob->sync();
    std::string bodies;
    for (wire::Packet& chunk : bob->takeAll("MESG")) bodies += chunk.body();
    EXPECT_EQ(bodies, "543");
    std::vector<uint32_t> codes;
    for (wire::Packet& response : bob->takeAll("RESPONSE"))
        if (response.headerId("Mesg-Id") == id) codes.push_back(responseCode(response));
    EXPECT_EQ(codes, (std::vector<uint32_t>{0, 8}));
}

TEST(Relay, TheSendersOriginKeyGoesOnTheFirstChunkLiveAndStoredAndOnlyAsAPlainNumber) {
    RunningServer server;
    uint64_t bobId = server.idOf(kBob);
    auto ann = Peer::signIn(server.port(), kAnn);
    auto bob = Peer::signIn(server.port(), kBob);
    ASSERT_TRUE(ann && bob);
    sendMessage(*ann, bobId, text(1300), false, "text/plain", SIZE_MAX, "123456789");
    auto live = receiveMessage(*bob);
    ASSERT_TRUE(live);
    EXPECT_EQ(live->first.header("Origin-Key"), "123456789");
    bob->sync();
    bob->bye();

    // Bob is away: the store keeps each message's first chunk as relayed.
    sendMessage(*ann, bobId, "stored", false, "text/plain", SIZE_MAX, "18446744073709551615");
    for (const char* malformed : {"12ab", "0x10", "-1", "0", "123456789012345678901"})
        EXPECT_EQ(sendMessage(*ann, bobId, malformed, false, "text/plain", SIZE_MAX, malformed).codes,
                  std::vector<uint32_t>{4})
            << "relayed as without a key";
    auto back = Peer::signIn(server.port(), kBob);
    ASSERT_TRUE(back);
    back->send(packet("MESG STORED", {{"From-Private", back->lastOnline}}));
    auto stored = receiveMessage(*back);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->body, "stored");
    EXPECT_EQ(stored->first.header("Origin-Key"), "18446744073709551615");
    for (int i = 0; i < 5; ++i) {
        auto plain = receiveMessage(*back);
        ASSERT_TRUE(plain);
        EXPECT_FALSE(plain->first.hasHeader("Origin-Key")) << plain->body;
    }
}

TEST(Relay, RefusalsCarryTheirCodes) {
    RunningServer server(smallStore());
    uint64_t bobId = server.idOf(kBob);
    auto ann = Peer::signIn(server.port(), kAnn);
    EXPECT_EQ(sendMessage(*ann, 987654321, "hello?").codes, std::vector<uint32_t>{2});
    EXPECT_EQ(sendMessage(*ann, 987654321, "hello?", true).codes, std::vector<uint32_t>{2});
    EXPECT_EQ(ann->request(packet("MESG", {{"Correlation-Id", "424242"}, {"Last", "1"}}, "tail")), 2u);
    EXPECT_EQ(ann->request(packet("MESG", {{"Target-Id", std::to_string(bobId)}, {"Total-Length", "999999999"},
                                           {"Content-Type", "text/plain"}}, "x")), 14u);
    EXPECT_EQ(ann->request(packet("MESG", {{"Target-Id", std::to_string(bobId)}, {"Last", "1"}}, "x")), 15u)
        << "no content type";
    EXPECT_EQ(ann->request(packet("CONTACT ADD", {{"Name", "nobody@example.org"}})), 2u);
    EXPECT_EQ(ann->request(packet("CONTACT ADD", {{"Name", kAnn.name}})), 13u);
    EXPECT_EQ(ann->request(packet("MESG HIST", {{"From-Private", "1.0"}, {"Source-Id", "987654321"}, {"Count", "-1"}})), 2u);

    // Bob is offline and his store holds two messages at most.
    EXPECT_EQ(sendMessage(*ann, bobId, "1").codes, std::vector<uint32_t>{4});
    EXPECT_EQ(sendMessage(*ann, bobId, "2").codes, std::vector<uint32_t>{4});
    EXPECT_EQ(sendMessage(*ann, bobId, "3").codes, std::vector<uint32_t>{14});
}

TEST(Relay, ARepeatedChunkIsAnsweredAgainButRelayedOnce) {
    RunningServer server;
    uint64_t bobId = server.idOf(kBob);
    auto ann = Peer::signIn(server.port(), kAnn);
    auto bob = Peer::signIn(server.port(), kBob);
    wire::Packet chunk = packet("MESG", {{"Mesg-Id", "40000"}, {"Target-Id", std::to_string(bobId)},
                                         {"Content-Type", "text/plain"}, {"Last", "1"}}, "once");
    EXPECT_EQ(ann->request(chunk), 4u);
    EXPECT_EQ(ann->request(chunk), 4u) << "as a resumed client sends what it saw no answer to";
    bob->sync();
    EXPECT_EQ(bob->takeAll("MESG").size(), 1u);
}

TEST(EchoRobot, SaysBackEveryTextAndNothingElse) {
    RunningServer server;
    uint64_t echoId = addEchoRobot(server);
    auto ann = Peer::signIn(server.port(), kAnn);
    ASSERT_TRUE(ann);
    EXPECT_EQ(ann->request(packet("CONTACT ADD", {{"Name", "echo@example.org"}}, "hi robot")), 0u);
    auto push = ann->expect("SUB PROFILE", [&](const wire::Packet& p) { return contactIn(dataMap(p.body()), echoId).has_value(); });
    ASSERT_TRUE(push);
    auto robot = contactIn(dataMap(push->body()), echoId);
    EXPECT_EQ((*robot)["state"], "0") << "the robot accepts at once";
    EXPECT_EQ((*robot)["Online-Status"], "1");
    EXPECT_EQ((*robot)["Device-Type"], "1");

    EXPECT_EQ(sendMessage(*ann, echoId, "ping?").codes, std::vector<uint32_t>{4});
    auto reply = receiveMessage(*ann);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->body, "ping?");
    EXPECT_EQ(reply->first.headerId("Source-Id"), echoId);
    EXPECT_EQ(reply->first.header("Content-Type"), "text/plain");
    EXPECT_EQ(sendMessage(*ann, echoId, text(2000)).codes, (std::vector<uint32_t>{4, 4, 4, 4}));
    EXPECT_EQ(receiveMessage(*ann)->body, text(2000));

    sendMessage(*ann, echoId, "\xFF\xD8", false, "image/jpeg");
    ann->sync();
    EXPECT_TRUE(ann->takeAll("MESG").empty());
}

TEST(EchoRobot, AnswersNoMoreThanItsCorrespondentsStoreHolds) {
    ServerConfig config = smallStore();
    config.messaging.connectedStoreFactor = 1;
    RunningServer server(config);
    uint64_t echoId = addEchoRobot(server);
    auto ann = Peer::signIn(server.port(), kAnn);
    ASSERT_TRUE(ann);
    for (const char* body : {"1", "2", "3"}) EXPECT_EQ(sendMessage(*ann, echoId, body).codes, std::vector<uint32_t>{4});
    ASSERT_TRUE(ann->sync());
    EXPECT_EQ(ann->takeAll("MESG").size(), 2u) << "Ann acknowledged none before the third";
    EXPECT_EQ(sendMessage(*ann, echoId, "4").codes, std::vector<uint32_t>{4});
    auto reply = receiveMessage(*ann);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->body, "4");
}

TEST(Relay, ResumedClientGetsWhatItMissedAndThenWhatWasStoredWhileAway) {
    RunningServer server;
    uint64_t bobId = server.idOf(kBob);
    auto ann = Peer::signIn(server.port(), kAnn);
    auto bob = Peer::signIn(server.port(), kBob);
    ASSERT_TRUE(ann && bob);
    sendMessage(*ann, bobId, text(1200));
    auto first = bob->expect("MESG");  // the rest is on the wire when the line drops
    ASSERT_TRUE(first);
    bob->drop();
    EXPECT_EQ(sendMessage(*ann, bobId, "while you were away").codes, std::vector<uint32_t>{4});

    Peer resumed;
    resumed.client = TestClient::connect(server.port());
    resumed.client->send(logonPacket(kBob.name, bobId));
    auto offer = resumed.client->receive();
    ASSERT_TRUE(offer && !offer->packet.hasHeader("Encryption-Type"));
    wire::Packet proof("AUTH");
    proof.setHeader("PS", bob->received);
    proof.setBody(resumeDigest(bob->resumeKey, offer->packet.body()));
    resumed.client->send(proof);
    ASSERT_TRUE(resumed.expect("SUB PROFILE"));

    std::string body = first->body();
    for (int i = 0; i < 2; ++i) {
        auto rest = resumed.expect("MESG", [&](const wire::Packet& p) {
            return p.headerId("Correlation-Id") == first->headerId("Mesg-Id");
        });
        ASSERT_TRUE(rest);
        body += rest->body();
    }
    EXPECT_EQ(body, text(1200));
    auto stored = receiveMessage(resumed);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->body, "while you were away");
    resumed.sync();
    EXPECT_TRUE(resumed.takeAll("MESG").empty()) << "each once";
}

TEST(Relay, AMessageItsSenderNeverFinishesReachesNobodyAsAFragment) {
    RunningServer server;
    uint64_t bobId = server.idOf(kBob);
    auto ann = Peer::signIn(server.port(), kAnn);
    EXPECT_EQ(sendMessage(*ann, bobId, text(2000), false, "audio/x-speex", 2).codes, (std::vector<uint32_t>{4, 4}));
    ann->bye();
    auto bob = Peer::signIn(server.port(), kBob);
    uint64_t request = bob->send(packet("MESG STORED", {{"From-Private", bob->lastOnline}}));
    EXPECT_EQ(bob->codeFor(request), 4u);
    bob->sync();
    EXPECT_TRUE(bob->takeAll("MESG").empty());
}
