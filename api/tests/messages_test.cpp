#include "object_helpers.h"

#include "kestrova/platform/clock.h"

#include <cstring>

namespace {

RY_MessageData messageRecord(uint32_t flags = 0) {
    RY_MessageData data{};
    data.size = sizeof data;
    data.flags = flags;
    return data;
}

RY_MessageData readMessage(HMESSAGE message) {
    RY_MessageData out = messageRecord();
    RY_GetMessageData(message, &out);
    return out;
}

std::string bodyOf(HMESSAGE message) {
    const RY_MessageData data = readMessage(message);
    return std::string(static_cast<const char*>(data.data), size_t(data.dataLength));
}

}  // namespace

using Messages = CoreTest;

TEST_F(Messages, BothTimesStartAtTheCurrentTimeAndAreSetTogether) {
    kestrova::platform::VirtualClock clock({1'800'000'000, 250'000});
    const RY_MessageData empty = messageRecord();
    HMESSAGE message = RY_CreateMessage(&empty);
    RY_MessageData out = readMessage(message);
    EXPECT_EQ(out.serverTime.seconds, 1'800'000'000u);
    EXPECT_EQ(out.serverTime.microseconds, 250'000u);
    EXPECT_EQ(out.localTime.seconds, 1'800'000'000u);

    RY_MessageData times = messageRecord(RY_MESSAGE_TIMES);
    times.serverTime = {100, 1};
    times.localTime = {103, 2};
    RY_SetMessageData(message, &times);
    out = readMessage(message);
    EXPECT_EQ(out.serverTime.seconds, 100u);
    EXPECT_EQ(out.localTime.seconds, 103u);
    EXPECT_EQ(out.localTime.microseconds, 2u);
    RY_ReleaseMessage(message);
}

TEST_F(Messages, FieldsReadBackAndTotalLengthHasTwoPositions) {
    RY_MessageData data = messageRecord(RY_MESSAGE_ID | RY_MESSAGE_CONTENT_TYPE | RY_MESSAGE_DATA | RY_MESSAGE_ORIGIN |
                                        RY_MESSAGE_MARK1 | RY_MESSAGE_NO_UNREAD | RY_MESSAGE_TOTAL_LENGTH |
                                        RY_MESSAGE_TOTAL_LENGTH2 | RY_MESSAGE_COMPLETE);
    data.messageId = 0x1234567890ull;
    data.contentType = "audio/x-speex";
    data.data = "\x01\x00\x02";
    data.dataLength = 3;
    data.origin = RY_ORIGIN_HISTORY;
    data.mark1 = 7;
    data.noUnread = 1;
    data.totalLength = 10;
    data.totalLength2 = 20;  // the second position wins
    data.complete = 1;
    HMESSAGE message = RY_CreateMessage(&data);
    const RY_MessageData out = readMessage(message);
    EXPECT_EQ(out.messageId, 0x1234567890ull);
    EXPECT_EQ(RY_GetMessageID(message), 0x1234567890ull);
    EXPECT_STREQ(out.contentType, "audio/x-speex");
    EXPECT_EQ(bodyOf(message), std::string("\x01\x00\x02", 3));
    EXPECT_EQ(out.origin, RY_ORIGIN_HISTORY);
    EXPECT_EQ(out.mark1, 7);
    EXPECT_EQ(out.noUnread, 1);
    EXPECT_EQ(out.complete, 1);
    EXPECT_EQ(out.totalLength, 20);
    EXPECT_EQ(out.totalLength2, 20);
    RY_ReleaseMessage(message);
}

TEST_F(Messages, NegativeLengthTakesTheBodyUpToItsNul) {
    RY_MessageData data = messageRecord(RY_MESSAGE_DATA);
    data.data = "hello\0world";
    data.dataLength = -1;
    HMESSAGE message = RY_CreateMessage(&data);
    EXPECT_EQ(bodyOf(message), "hello");
    RY_ReleaseMessage(message);
}

TEST_F(Messages, ContactAndTargetAreHeldAndReleasedWithTheMessage) {
    HCONTACT sender = newContact();
    HGROUP group = RY_GetGroup(4);
    HMESSAGE message = incomingMessage(sender, group, true);
    EXPECT_EQ(refs(sender), 2);
    EXPECT_EQ(refs(group), 3);
    const RY_MessageData out = readMessage(message);
    EXPECT_EQ(out.contact, sender);
    EXPECT_EQ(out.target, group);
    EXPECT_EQ(out.isGroup, 1);
    EXPECT_EQ(refs(sender), 2);  // get hands out no references

    HCONTACT other = newContact();
    RY_MessageData moved = messageRecord(RY_MESSAGE_CONTACT);
    moved.contact = other;
    RY_SetMessageData(message, &moved);
    EXPECT_EQ(refs(sender), 1);  // the replaced contact is released
    EXPECT_EQ(refs(other), 2);

    RY_ReleaseMessage(message);
    EXPECT_EQ(refs(other), 1);
    EXPECT_EQ(refs(group), 2);
    RY_ReleaseGroup(group);
    RY_ReleaseContact(sender);
    RY_ReleaseContact(other);
}

TEST_F(Messages, ContinuationAppendsCompletesAndNotifies) {
    RY_MessageData data = messageRecord(RY_MESSAGE_DATA | RY_MESSAGE_ORIGIN | RY_MESSAGE_TOTAL_LENGTH);
    data.data = "abc";
    data.dataLength = 3;
    data.origin = RY_ORIGIN_LIVE;
    data.totalLength = 9;
    HMESSAGE message = RY_CreateMessage(&data);
    CallLog subscriber;
    HSUBSCRIPTION s = RY_MessageSubscribe(&CallLog::record, message, &subscriber);

    RY_ContinueMessage(message, nullptr, 0, 0);
    EXPECT_EQ(subscriber.count(), 0u);
    RY_ContinueMessage(message, "def", 3, 0);
    EXPECT_EQ(bodyOf(message), "abcdef");
    EXPECT_EQ(readMessage(message).complete, 0);
    RY_ContinueMessage(message, nullptr, 0, 1);
    EXPECT_EQ(readMessage(message).complete, 1);
    EXPECT_EQ(subscriber.data, (std::vector<void*>{message, message}));

    RY_MessageUnsubscribe(s);
    RY_ReleaseMessage(message);
}

TEST_F(Messages, AnAbsurdExpectedLengthDoesNotStopTheBodyGrowing) {
    RY_MessageData data = messageRecord(RY_MESSAGE_ORIGIN | RY_MESSAGE_TOTAL_LENGTH);
    data.origin = RY_ORIGIN_LIVE;
    data.totalLength = 0x7fffffff;
    HMESSAGE message = RY_CreateMessage(&data);
    RY_ContinueMessage(message, "xy", 2, 1);
    EXPECT_EQ(bodyOf(message), "xy");
    RY_ReleaseMessage(message);
}

TEST_F(Messages, SendingRaisesOutgoingBeforeReturningWithTheNewMessage) {
    CallLog outgoing;
    HSUBSCRIPTION s =
        RY_EventSubscribe(&CallLog::record, kestrova::names::kMessagesNewOutgoing.name, &outgoing);
    HCONTACT peer = newContact();
    HMESSAGE sent = nullptr;
    RY_SendMessage(peer, 0, "text/plain", "hi there", 8, 1, &sent);
    ASSERT_EQ(outgoing.count(), 1u);
    EXPECT_EQ(outgoing.data[0], sent);
    EXPECT_EQ(refs(sent), 1);

    const RY_MessageData out = readMessage(sent);
    EXPECT_EQ(out.messageId, 32768u);  // the first local identifier of the run
    EXPECT_EQ(out.contact, nullptr);
    EXPECT_EQ(out.target, peer);
    EXPECT_EQ(out.isGroup, 0);
    EXPECT_EQ(out.complete, 1);
    EXPECT_STREQ(out.contentType, "text/plain");
    EXPECT_EQ(bodyOf(sent), "hi there");
    EXPECT_EQ(refs(peer), 2);

    RY_SendMessageEx(sent);
    EXPECT_EQ(outgoing.count(), 2u);
    EXPECT_EQ(refs(sent), 1);
    RY_ReleaseMessage(sent);
    EXPECT_EQ(refs(peer), 1);
    RY_EventUnsubscribe(s);
    RY_ReleaseContact(peer);
}

TEST_F(Messages, SendingWithoutBodyOrOutReleasesTheMessageAfterTheEvent) {
    HCONTACT peer = newContact();
    struct Seen {
        uint64_t id = 0;
        int32_t length = -1;
    } seen;
    auto look = [](void* user, void* data, void*, HSUBSCRIPTION) -> intptr_t {
        RY_MessageData out{};
        out.size = sizeof out;
        RY_GetMessageData(static_cast<HMESSAGE>(data), &out);
        static_cast<Seen*>(user)->id = out.messageId;
        static_cast<Seen*>(user)->length = out.dataLength;
        return 0;
    };
    HSUBSCRIPTION s = RY_EventSubscribe(look, kestrova::names::kMessagesNewOutgoing.name, &seen);
    EXPECT_EQ(RY_GetLUID(), 32768u);
    RY_SendMessage(peer, 0, "text/plain", nullptr, 0, 1, nullptr);
    EXPECT_EQ(seen.id, 32769u);
    EXPECT_EQ(seen.length, 0);
    EXPECT_EQ(refs(peer), 1);  // the message is gone, and its target reference with it
    RY_EventUnsubscribe(s);
    RY_ReleaseContact(peer);
}
