#include "subscriber_session.h"

#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::server;

namespace {

wire::Packet numbered(int n) {
    wire::Packet packet("X");
    packet.setHeader("N", int32_t(n));
    return packet;
}

SharedBytes shared(const wire::Packet& packet) { return std::make_shared<const std::string>(packet.serialise().value()); }

SubscriberSession sessionWithSent(int count, int32_t first = 1, ResumeLogLimits limits = {}) {
    SubscriberSession session(7, "ann@example.org", "key", first, limits);
    for (int i = 0; i < count; ++i) session.send(numbered(i));
    return session;
}

}  // namespace

TEST(ResumeLog, PacketsAreNumberedFromTheFirstSequence) {
    SubscriberSession session = sessionWithSent(3);
    EXPECT_EQ(session.nextSequence(), 4);
    EXPECT_EQ(session.loggedPackets(), 3u);
}

TEST(ResumeLog, ClientCanResumeFromAnyCountItCouldHave) {
    SubscriberSession session = sessionWithSent(3);
    EXPECT_FALSE(session.canResumeFrom(0)) << "the challenge was not logged";
    for (int32_t received = 1; received <= 4; ++received) EXPECT_TRUE(session.canResumeFrom(received)) << received;
    EXPECT_FALSE(session.canResumeFrom(5));
    EXPECT_FALSE(session.canResumeFrom(-1));
}

TEST(ResumeLog, MissedPacketsComeBackInOrderAndTheCountRewinds) {
    SubscriberSession session = sessionWithSent(4);
    std::vector<SharedBytes> missed = session.takeMissedSince(3);
    ASSERT_EQ(missed.size(), 2u);
    EXPECT_EQ(*missed[0], numbered(2).serialise());
    EXPECT_EQ(*missed[1], numbered(3).serialise());
    EXPECT_EQ(session.nextSequence(), 3);
    EXPECT_FALSE(session.canResumeFrom(2)) << "what came before is acknowledged";
}

TEST(ResumeLog, AcknowledgedPacketsAreDropped) {
    SubscriberSession session = sessionWithSent(5);
    session.acknowledge(4);
    EXPECT_EQ(session.loggedPackets(), 2u);
    EXPECT_FALSE(session.canResumeFrom(3));
    EXPECT_TRUE(session.canResumeFrom(4));
    session.acknowledge(99);
    EXPECT_EQ(session.loggedPackets(), 2u) << "a count beyond what was sent is ignored";
}

TEST(ResumeLog, LimitsDropTheOldestAndRefuseResumesBeforeThem) {
    ResumeLogLimits limits;
    limits.maxPackets = 3;
    SubscriberSession session = sessionWithSent(10, 0, limits);
    EXPECT_EQ(session.loggedPackets(), 3u);
    EXPECT_FALSE(session.canResumeFrom(6));
    EXPECT_TRUE(session.canResumeFrom(7));

    ResumeLogLimits small;
    small.maxBytes = 2 * numbered(0).serialise()->size();
    SubscriberSession bytesBound = sessionWithSent(5, 0, small);
    EXPECT_EQ(bytesBound.loggedPackets(), 2u);
}

TEST(ResumeLog, WithoutAConnectionPacketsAreOnlyLogged) {
    SubscriberSession session = sessionWithSent(2);
    EXPECT_FALSE(session.attached());
    session.resend(shared(numbered(9)));
    EXPECT_EQ(session.nextSequence(), 4);
}

TEST(ResumeLog, APacketForManySessionsIsOneBufferUntilTheLastLetsItGo) {
    SubscriberSession ann = sessionWithSent(1), bob = sessionWithSent(1);
    SharedBytes notice = shared(numbered(5));
    ann.resend(notice);
    bob.resend(notice);
    EXPECT_EQ(notice.use_count(), 3);
    ann.acknowledge(ann.nextSequence());
    EXPECT_EQ(notice.use_count(), 2);
    std::vector<SharedBytes> missed = bob.takeMissedSince(2);
    ASSERT_EQ(missed.size(), 1u);
    EXPECT_EQ(missed[0], notice) << "the same buffer, not a copy";
    missed.clear();
    EXPECT_EQ(notice.use_count(), 1);
}

TEST(Deliveries, AMessageIsDeliveredWhenThePacketWithItsLastChunkIsAcknowledgedEvenAfterAResume) {
    SubscriberSession session = sessionWithSent(2);  // packets 1 and 2
    std::vector<uint64_t> delivered;
    session.setDeliveredHandler([&](const std::vector<uint64_t>& ids) { delivered.insert(delivered.end(), ids.begin(), ids.end()); });
    session.sendMessageChunk(70, shared(numbered(70)), true, false);  // 3
    session.sendMessageChunk(71, shared(numbered(71)), true, true);   // 4
    session.sendMessageChunk(70, shared(numbered(72)), false, true);  // 5
    session.acknowledge(4);
    EXPECT_TRUE(delivered.empty()) << "packet 4 not yet received";
    session.acknowledge(5);
    EXPECT_EQ(delivered, std::vector<uint64_t>{71});

    // The client had packets up to 4 when its line dropped: it gets a
    // greeting first (5), and packet 5 again as 6.
    session.resumeFrom(5, numbered(99));
    EXPECT_TRUE(session.hasDelivery(70));
    session.acknowledge(6);
    EXPECT_EQ(delivered, std::vector<uint64_t>{71}) << "the greeting alone does not complete message 70";
    session.acknowledge(7);
    EXPECT_EQ(delivered, (std::vector<uint64_t>{71, 70}));
    EXPECT_EQ(session.deliveries(), 0u);
}
