// A message its sender was told was taken reaches its recipient whatever
// happens to the server in between: it is in the store until the recipient's
// client acknowledged it, through a killed server, a session that stopped
// following it, and a recipient signing in while messages wait for it.
#include "relay_support.h"

#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::server;
using namespace kestrova::server::testing;

namespace {

uint64_t askForStored(Peer& peer) {
    return peer.send(packet("MESG STORED", {{"From-Private", peer.lastOnline}}));
}

size_t storedFor(RunningServer& server, uint64_t accountId) {
    return server.onServerThread([&](Server& s) { return s.messaging().store().storedMessages(accountId); });
}

} // namespace

TEST(DurableRelay, WhatTheSenderWasToldWasTakenOutlivesAKilledServerAndArrivesOnce) {
    TempDatabase database;
    uint64_t bobId = 0, groupId = 0, liveId = 0;
    {
        RunningServer first(loopbackConfig(), {}, database.path());
        bobId = first.idOf(kBob);
        auto ann = Peer::signIn(first.port(), kAnn);
        auto bob = Peer::signIn(first.port(), kBob);
        auto cat = Peer::signIn(first.port(), kCat);
        ASSERT_TRUE(ann && bob && cat);
        groupId = createGroup(*ann, {&*bob, &*cat});
        ASSERT_NE(groupId, 0u);
        cat->bye();

        EXPECT_EQ(sendMessage(*ann, bobId, "read before the kill").codes, std::vector<uint32_t>{4});
        ASSERT_TRUE(receiveMessage(*bob));
        ASSERT_TRUE(bob->sync()) << "the acknowledgement lets it go";
        Sent unread =
            sendMessage(*ann, bobId, "read, not acknowledged", false, "text/plain", SIZE_MAX, "102");
        EXPECT_EQ(unread.codes, std::vector<uint32_t>{4});
        EXPECT_EQ(sendMessage(*ann, groupId, text(1300), true).codes, (std::vector<uint32_t>{4, 4, 4}));
        auto live = receiveMessage(*bob);
        ASSERT_TRUE(live && receiveMessage(*bob));
        liveId = live->first.headerId("Mesg-Id");
        // Two chunks of three: its sender's client starts it over, so no
        // part of it may reach anyone.
        EXPECT_EQ(sendMessage(*ann, bobId, text(1300), false, "text/plain", 2).codes,
                  (std::vector<uint32_t>{4, 4}));
        first.kill();
    }
    RunningServer second(loopbackConfig(), {}, database.path());
    for (const TestAccount& account : {kBob, kCat}) {
        SCOPED_TRACE(account.nickname);
        auto peer = Peer::signIn(second.port(), account);
        ASSERT_TRUE(peer);
        uint64_t request = askForStored(*peer);
        if (std::string_view(account.name) == kBob.name) {
            auto again = receiveMessage(*peer);
            ASSERT_TRUE(again);
            EXPECT_EQ(again->body, "read, not acknowledged");
            EXPECT_EQ(again->first.headerId("Mesg-Id"), liveId) << "the same message, known to the client";
            EXPECT_EQ(again->first.header("Origin-Key"), "102");
        }
        auto group = receiveMessage(*peer);
        ASSERT_TRUE(group);
        EXPECT_EQ(group->body, text(1300));
        EXPECT_EQ(group->first.headerId("Target-Id"), groupId);
        EXPECT_EQ(peer->codeFor(request), 4u);
        ASSERT_TRUE(peer->sync());
        EXPECT_TRUE(peer->takeAll("MESG").empty())
            << "nothing acknowledged before, nothing unfinished, nothing twice";
        EXPECT_EQ(storedFor(second, second.idOf(account)), 0u) << "acknowledged now";
    }
}

TEST(DurableRelay, MessagesTheResumeLogNoLongerHoldsComeFromTheStoreAtTheNextSignIn) {
    ServerConfig config = loopbackConfig();
    config.maxResumeLogBytes = 2048;
    RunningServer server(config);
    uint64_t bobId = server.idOf(kBob);
    auto ann = Peer::signIn(server.port(), kAnn);
    auto bob = Peer::signIn(server.port(), kBob);
    ASSERT_TRUE(ann && bob);
    for (char i = '0'; i <= '9'; ++i) {
        EXPECT_EQ(sendMessage(*ann, bobId, i + text(700)).codes, (std::vector<uint32_t>{4, 4}));
        auto live = receiveMessage(*bob);
        ASSERT_TRUE(live);
        EXPECT_EQ(live->body[0], i);
    }
    bob->drop(); // never acknowledged, and too much to resume

    auto back = Peer::signIn(server.port(), kBob);
    ASSERT_TRUE(back);
    uint64_t request = askForStored(*back);
    for (char i = '0'; i <= '9'; ++i) {
        auto stored = receiveMessage(*back);
        ASSERT_TRUE(stored);
        EXPECT_EQ(stored->body, i + text(700)) << "each of them, in order";
    }
    EXPECT_EQ(back->codeFor(request), 4u);
    ASSERT_TRUE(back->sync());
    EXPECT_EQ(storedFor(server, bobId), 0u);
}

TEST(DurableRelay, MessagesForARecipientSigningInWaitBehindItsStoredOnes) {
    RunningServer server;
    uint64_t bobId = server.idOf(kBob);
    auto ann = Peer::signIn(server.port(), kAnn);
    ASSERT_TRUE(ann);
    EXPECT_EQ(sendMessage(*ann, bobId, "one").codes, std::vector<uint32_t>{4});
    auto bob = Peer::signIn(server.port(), kBob);
    ASSERT_TRUE(bob);
    EXPECT_EQ(sendMessage(*ann, bobId, "two").codes, std::vector<uint32_t>{4});
    ASSERT_TRUE(bob->sync());
    EXPECT_TRUE(bob->takeAll("MESG").empty()) << "not before the stored one";

    askForStored(*bob);
    for (const char* expected : {"one", "two"}) {
        auto got = receiveMessage(*bob);
        ASSERT_TRUE(got);
        EXPECT_EQ(got->body, expected);
    }
    EXPECT_EQ(sendMessage(*ann, bobId, "three").codes, std::vector<uint32_t>{4});
    auto live = receiveMessage(*bob);
    ASSERT_TRUE(live);
    EXPECT_EQ(live->body, "three");
    ASSERT_TRUE(bob->sync());
    EXPECT_TRUE(bob->takeAll("MESG").empty()) << "each once";
}

TEST(DurableRelay, AConnectedRecipientThatNeverAcknowledgesIsRefusedPastItsAllowance) {
    ServerConfig config = loopbackConfig();
    config.messaging.maxStoredMessages = 2;
    config.messaging.connectedStoreFactor = 3;  // six while connected
    RunningServer server(config);
    uint64_t bobId = server.idOf(kBob);
    auto ann = Peer::signIn(server.port(), kAnn);
    auto bob = Peer::signIn(server.port(), kBob);
    ASSERT_TRUE(ann && bob);
    uint64_t groupId = createGroup(*ann, {&*bob});
    ASSERT_NE(groupId, 0u);

    for (int i = 0; i < 6; ++i) EXPECT_EQ(sendMessage(*ann, bobId, "burst").codes, std::vector<uint32_t>{4});
    EXPECT_EQ(sendMessage(*ann, bobId, "one too many").codes, std::vector<uint32_t>{14});
    EXPECT_EQ(sendMessage(*ann, groupId, "to the group", true).codes, std::vector<uint32_t>{4})
        << "a group message is kept in the history all the same";
    EXPECT_EQ(storedFor(server, bobId), 6u);

    ASSERT_TRUE(bob->sync());
    EXPECT_EQ(bob->takeAll("MESG").size(), 6u) << "the group message did not go to him";
    ASSERT_TRUE(bob->sync());  // acknowledges what he read
    EXPECT_EQ(storedFor(server, bobId), 0u);
    EXPECT_EQ(sendMessage(*ann, bobId, "after").codes, std::vector<uint32_t>{4});
}

TEST(DurableRelay, AMessageSentAgainAfterItWasTakenIsAnsweredButNeitherRelayedNorKeptTwice) {
    TempDatabase database;
    uint64_t bobId = 0, groupId = 0;
    {
        RunningServer first(loopbackConfig(), {}, database.path());
        bobId = first.idOf(kBob);
        auto ann = Peer::signIn(first.port(), kAnn);
        auto bob = Peer::signIn(first.port(), kBob);
        ASSERT_TRUE(ann && bob);
        groupId = createGroup(*ann, {&*bob});
        ASSERT_NE(groupId, 0u);
        bob->bye();
        EXPECT_EQ(sendMessage(*ann, bobId, text(1300), false, "text/plain", SIZE_MAX, "555").codes,
                  (std::vector<uint32_t>{4, 4, 4}));
        EXPECT_EQ(sendMessage(*ann, groupId, "to the crew", true, "text/plain", SIZE_MAX, "556").codes,
                  std::vector<uint32_t>{4});
        EXPECT_EQ(sendMessage(*ann, bobId, text(1300), false, "text/plain", 2, "557").codes,
                  (std::vector<uint32_t>{4, 4}));
        first.kill();
    }
    RunningServer second(loopbackConfig(), {}, database.path());
    uint64_t annId = second.idOf(kAnn);
    auto ann = Peer::signIn(second.port(), kAnn);
    ASSERT_TRUE(ann);
    // Ann's client heard none of the answers and sends all three again.
    EXPECT_EQ(sendMessage(*ann, bobId, text(1300), false, "text/plain", SIZE_MAX, "555").codes,
              (std::vector<uint32_t>{4, 4, 4}));
    EXPECT_EQ(sendMessage(*ann, groupId, "to the crew", true, "text/plain", SIZE_MAX, "556").codes,
              std::vector<uint32_t>{4});
    EXPECT_EQ(sendMessage(*ann, bobId, text(1300), false, "text/plain", SIZE_MAX, "557").codes,
              (std::vector<uint32_t>{4, 4, 4}))
        << "its first attempt never finished";

    auto bob = Peer::signIn(second.port(), kBob);
    ASSERT_TRUE(bob);
    askForStored(*bob);
    for (std::string expected : {text(1300), std::string("to the crew"), text(1300)}) {
        auto got = receiveMessage(*bob);
        ASSERT_TRUE(got);
        EXPECT_EQ(got->body, expected);
    }
    ASSERT_TRUE(bob->sync());
    EXPECT_TRUE(bob->takeAll("MESG").empty()) << "each once";
    // A key is the sender's own: Bob's message under Ann's key is new.
    EXPECT_EQ(sendMessage(*bob, annId, "mine", false, "text/plain", SIZE_MAX, "555").codes,
              std::vector<uint32_t>{4});
    auto mine = receiveMessage(*ann);
    ASSERT_TRUE(mine);
    EXPECT_EQ(mine->body, "mine");

    auto kept = [&](Conversation kind, uint64_t a, uint64_t b) {
        return second.onServerThread(
            [&](Server& s) { return s.messaging().store().history(kind, a, b, INT64_MAX, false, 10).size(); });
    };
    EXPECT_EQ(kept(Conversation::Private, annId, bobId), 3u) << "555, 557 and Bob's";
    EXPECT_EQ(kept(Conversation::Group, annId, groupId), 1u);
}
