// Messages both ways against the scripted server: chunking and
// acknowledgements of outgoing messages, reassembly, origins, times and
// unread accounting of received ones, history requests.
#include "sync_scene.h"

#include "outgoing_message.h"
#include "shown_messages.h"

#include "kestrova/wire/origin_key.h"

#include <fstream>
#include <unistd.h>

using namespace kestrova;
using namespace kestrova::connection;
using namespace kestrova::testing;

class MessageTransfer : public SyncScene {
protected:
    void SetUp() override {
        SyncScene::SetUp();
        signInWith({});
        ann_ = contact(77);
    }
    // A message to Ann as the chat window builds it; the body may still grow.
    HMESSAGE compose(const std::string& body, bool complete, const char* type = "text/plain") {
        RY_MessageData data{};
        data.size = sizeof data;
        data.flags = RY_MESSAGE_ID | RY_MESSAGE_TARGET | RY_MESSAGE_CONTENT_TYPE | RY_MESSAGE_DATA | RY_MESSAGE_COMPLETE;
        data.messageId = RY_GetLUID();
        data.target = ann_;
        data.contentType = type;
        data.data = body.data();
        data.dataLength = static_cast<int32_t>(body.size());
        data.complete = complete;
        HMESSAGE message = RY_CreateMessage(&data);
        messages_.emplace_back(message);
        return message;
    }
    HMESSAGE send(const std::string& body, bool complete = true) {
        HMESSAGE message = compose(body, complete);
        RY_SendMessageEx(message);
        return message;
    }
    wire::Packet takeChunk() { return parsePacket(takePacket()); }
    void TearDown() override {
        messages_.clear();
        SyncScene::TearDown();
    }

    HCONTACT ann_ = nullptr;
    std::vector<kit::OwnedMessage> messages_;
};

TEST_F(MessageTransfer, ALongMessageGoesOutIn512ByteChunksWithItsHeaders) {
    std::string body(1300, '\0');
    for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>(i * 7);
    HMESSAGE message = send(body);
    uint64_t id = RY_GetMessageID(message);

    std::string first = takePacket();
    std::string originKey = parsePacket(first).header("Origin-Key");
    EXPECT_EQ(first.substr(0, first.size() - 512),
              "MESG\ncontent-length: 512\ncontent-type: text/plain\nmesg-id: " + std::to_string(id) +
                  "\nmesg-target: 0\norigin-key: " + originKey + "\ntarget-id: 77\ntotal-length: 1300\n\n");
    EXPECT_TRUE(wire::parseOriginKey(originKey)) << originKey;
    wire::Packet second = takeChunk();
    wire::Packet third = takeChunk();
    EXPECT_EQ(parsePacket(first).body() + second.body() + third.body(), body);
    EXPECT_EQ(second.body().size(), 512u);
    EXPECT_EQ(third.body().size(), 276u);
    for (const wire::Packet* later : {&second, &third}) {
        EXPECT_EQ(later->headerId("Correlation-Id"), id);
        EXPECT_NE(later->headerId("Mesg-Id"), id);
        EXPECT_FALSE(later->hasHeader("Total-Length"));
        EXPECT_FALSE(later->hasHeader("Origin-Key"));
    }
    EXPECT_FALSE(second.hasHeader("Last"));
    EXPECT_EQ(third.header("Last"), "1");

    serverSends(response(id, 4));
    serverSends(response(second.headerId("Mesg-Id"), 4));
    EXPECT_EQ(messageData(message).totalLength2, 1024) << "acknowledged bytes";
    EXPECT_EQ(sender_->inFlight(), 1u);
    serverSends(response(third.headerId("Mesg-Id"), 4));
    EXPECT_EQ(messageData(message).totalLength2, 1300);
    EXPECT_EQ(sender_->inFlight(), 0u) << "delivered";
    EXPECT_EQ(connection_->pending().size(), 0u);
}

TEST_F(MessageTransfer, SmallAndExactly512ByteMessagesAreOnePacketWithLast) {
    for (size_t size : {5u, 512u}) {
        HMESSAGE message = send(std::string(size, 'x'));
        wire::Packet packet = takeChunk();
        EXPECT_EQ(packet.body().size(), size);
        EXPECT_EQ(packet.headerId("Mesg-Id"), RY_GetMessageID(message));
        EXPECT_EQ(packet.header("Last"), "1");
        EXPECT_FALSE(packet.hasHeader("Total-Length"));
        EXPECT_FALSE(packet.hasHeader("Correlation-Id"));
        EXPECT_TRUE(serverHeardNothing());
    }
}

TEST_F(MessageTransfer, AGrowingMessageSendsWholeChunksAndItsLengthOnceComplete) {
    HMESSAGE message = compose("", false);
    RY_SendMessageEx(message);
    std::string piece(100, 'v');
    for (int i = 0; i < 5; ++i) RY_ContinueMessage(message, piece.data(), 100, 0);
    EXPECT_TRUE(serverHeardNothing()) << "500 bytes pending";
    RY_ContinueMessage(message, piece.data(), 100, 0);
    wire::Packet first = takeChunk();
    EXPECT_EQ(first.body().size(), 512u);
    EXPECT_FALSE(first.hasHeader("Total-Length"));
    EXPECT_FALSE(first.hasHeader("Last"));
    EXPECT_TRUE(serverHeardNothing()) << "88 bytes pending";

    std::string rest(1000, 'w');
    RY_ContinueMessage(message, rest.data(), 1000, 1);
    wire::Packet second = takeChunk();
    wire::Packet third = takeChunk();
    wire::Packet fourth = takeChunk();
    EXPECT_EQ(second.header("Total-Length"), "1600") << "sent once, on the first chunk after completion";
    EXPECT_FALSE(third.hasHeader("Total-Length"));
    EXPECT_FALSE(fourth.hasHeader("Total-Length"));
    EXPECT_EQ(second.body().size() + third.body().size() + fourth.body().size(), 1088u);
    EXPECT_EQ(fourth.body().size(), 64u);
    EXPECT_FALSE(third.hasHeader("Last"));
    EXPECT_EQ(fourth.header("Last"), "1");
}

TEST_F(MessageTransfer, SessionEndedRestartsUnderANewIdAndOtherCodesFail) {
    HMESSAGE restarted = send("hello");
    uint64_t oldId = RY_GetMessageID(restarted);
    takeChunk();
    serverSends(response(oldId, 100));
    wire::Packet again = takeChunk();
    EXPECT_NE(RY_GetMessageID(restarted), oldId);
    EXPECT_EQ(again.headerId("Mesg-Id"), RY_GetMessageID(restarted));
    EXPECT_EQ(again.body(), "hello");

    HMESSAGE growing = compose(std::string(600, 'g'), false);
    RY_SendMessageEx(growing);
    wire::Packet chunk = takeChunk();
    serverSends(response(chunk.headerId("Mesg-Id"), 7));
    EXPECT_EQ(messageData(growing).mark1, 1) << "failed";
    RY_ContinueMessage(growing, "more", 4, 1);
    EXPECT_TRUE(serverHeardNothing()) << "a failed message sends nothing more";
    EXPECT_EQ(sender_->find(growing), nullptr);
}

TEST_F(MessageTransfer, NothingIsSentWhileTheServiceIsOfflineOrRemoved) {
    HSERVICE service = RY_GetPrimaryService();
    auto setPresence = [&](int32_t presence) {
        RY_ServiceData data{};
        data.size = sizeof data;
        data.flags = RY_SERVICE_PRESENCE;
        data.presence = presence;
        RY_SetServiceData(service, &data);
    };
    setPresence(kStatusServiceRemoved);
    send("wait for me");
    EXPECT_TRUE(serverHeardNothing());
    setPresence(RY_PRESENCE_ONLINE);
    EXPECT_EQ(takeChunk().body(), "wait for me") << "the service change pumps the message";
    RY_ReleaseService(service);
}

TEST_F(MessageTransfer, AMessageCutOffBySessionEndIsSentAnewAfterTheNextLogonUnderItsOriginKey) {
    HMESSAGE message = send("across the gap");
    uint64_t firstId = RY_GetMessageID(message);
    std::string originKey = takeChunk().header("Origin-Key");
    ASSERT_FALSE(originKey.empty());
    send("another");
    std::string otherKey = takeChunk().header("Origin-Key");
    EXPECT_NE(otherKey, originKey);
    reconnect();
    EXPECT_NE(RY_GetMessageID(message), firstId);
    EXPECT_EQ(messageData(message).totalLength2, 0);
    EXPECT_TRUE(serverHeardNothing()) << "not before the logon";
    logOn({});
    // Both go again, in no particular order.
    wire::Packet chunk = takeChunk();
    wire::Packet other = takeChunk();
    if (chunk.body() != "across the gap") std::swap(chunk, other);
    EXPECT_EQ(chunk.headerId("Mesg-Id"), RY_GetMessageID(message));
    EXPECT_EQ(chunk.body(), "across the gap");
    EXPECT_EQ(chunk.header("Origin-Key"), originKey) << "how the receiver knows a resend";
    EXPECT_EQ(other.header("Origin-Key"), otherKey);
}

TEST_F(MessageTransfer, GroupsWithoutServiceAreOursContactsOfOtherServicesAreNot) {
    kit::OwnedGroup group(RY_GetGroup(5));  // known only by id, as from a received message
    HMESSAGE toGroup = nullptr;
    RY_SendMessage(group.get(), 1, "text/plain", "all", 3, 1, &toGroup);
    messages_.emplace_back(toGroup);
    wire::Packet chunk = takeChunk();
    EXPECT_EQ(chunk.header("Mesg-Target"), "1");
    EXPECT_EQ(chunk.header("Target-Id"), "5");

    RY_ServiceData otherData{};
    otherData.size = sizeof otherData;
    kit::OwnedService other(RY_CreateService(&otherData));
    RY_ContactData elsewhere{};
    elsewhere.size = sizeof elsewhere;
    elsewhere.flags = RY_CONTACT_ID | RY_CONTACT_SERVICE;
    elsewhere.contactId = 90;
    elsewhere.service = other.get();
    kit::OwnedContact stranger(RY_CreateContact(&elsewhere));
    HMESSAGE toStranger = nullptr;
    RY_SendMessage(stranger.get(), 0, "text/plain", "psst", 4, 1, &toStranger);
    messages_.emplace_back(toStranger);
    EXPECT_TRUE(serverHeardNothing());
    EXPECT_EQ(sender_->find(toStranger), nullptr) << "not ours: let go";
}

class MessageReception : public SyncScene {
protected:
    void SetUp() override {
        SyncScene::SetUp();
        clock_->setUnixTime({1'700'000'000, 500'000});
        signInWith({}, "timestamp: 1700000100.250000\n");
        watchMessages();
    }
    void chunk(const std::string& headers, const std::string& body = "hi") {
        serverSends(packetWithBody("MESG\n" + headers, body));
    }
    int32_t unreadFrom(uint64_t id) { return RY_GetUnreadMessageCount(contact(id), 0); }
};

TEST_F(MessageReception, AMessageInChunksIsAnnouncedOnceAndCompletedByItsLastChunk) {
    chunk("mesg-id: 900\nsource-id: 77\ncontent-type: text/plain\ntotal-length: 9\nname: Ann\n"
          "timestamp: 1700000200.100000\n",
          "abc");
    ASSERT_EQ(events_->fresh.size(), 1u);
    EXPECT_TRUE(events_->complete.empty());
    HMESSAGE message = events_->fresh[0];
    chunk("mesg-id: 901\ncorrelation-id: 900\nsource-id: 78\n", "zzz");  // someone else's
    chunk("mesg-id: 902\ncorrelation-id: 999\nsource-id: 77\n", "zzz");  // never began
    chunk("mesg-id: 903\ncorrelation-id: 900\nsource-id: 77\n", "def");
    chunk("mesg-id: 904\ncorrelation-id: 900\nsource-id: 77\nlast: 1\n", "ghi");
    ASSERT_EQ(events_->complete.size(), 1u);
    EXPECT_EQ(events_->complete[0], message);
    EXPECT_EQ(events_->fresh.size(), 1u);

    RY_MessageData data = messageData(message);
    EXPECT_EQ(std::string(static_cast<const char*>(data.data), data.dataLength), "abcdefghi");
    EXPECT_TRUE(data.complete);
    EXPECT_EQ(data.messageId, 900u);
    EXPECT_EQ(RY_GetContactID(data.contact), 77u);
    EXPECT_STREQ(contactData(data.contact).nickname, "Ann");
    EXPECT_EQ(RY_GetContactID(static_cast<HCONTACT>(data.target)), kMyId) << "a private message to us";
    EXPECT_FALSE(data.isGroup);
    EXPECT_EQ(data.origin, RY_ORIGIN_LIVE);
    EXPECT_EQ(data.serverTime.seconds, 1'700'000'200u);
    // The server's clock runs 99.75 s ahead of ours.
    EXPECT_EQ(data.localTime.seconds, 1'700'000'100u);
    EXPECT_EQ(data.localTime.microseconds, 350'000u);
    EXPECT_EQ(sync_.incoming().partialCount(), 0u);
    EXPECT_EQ(unreadFrom(77), 1);
}

TEST_F(MessageReception, HistoryIsNeverUnreadAndSubscribersMayKeepMessagesOffTheList) {
    chunk("mesg-id: 1\nsource-id: 77\nlast: 1\n");
    chunk("mesg-id: 2\nsource-id: 77\nlast: 1\nhist: 1\n");
    ASSERT_EQ(events_->complete.size(), 2u);
    EXPECT_EQ(messageData(events_->complete[1]).origin, RY_ORIGIN_HISTORY);
    EXPECT_EQ(unreadFrom(77), 1);
    events_->markNoUnread = true;
    chunk("mesg-id: 3\nsource-id: 77\nlast: 1\n");
    EXPECT_EQ(unreadFrom(77), 1);
    events_->markNoUnread = false;
    chunk("mesg-id: 4\nsource-id: 77\ntarget-id: 5\nlast: 1\n");
    RY_MessageData group = messageData(events_->complete.back());
    EXPECT_TRUE(group.isGroup);
    EXPECT_EQ(RY_GetGroupID(static_cast<HGROUP>(group.target)), 5u);
    EXPECT_EQ(RY_GetUnreadMessageCount(group.target, 1), 1) << "group messages count under the group";
    EXPECT_EQ(unreadFrom(77), 1);
}

TEST_F(MessageReception, StoredMessagesGetTheirOwnOriginAndCount) {
    reconnect();
    logOn({}, "last-online: 1699990000.000000\n", kStateStoredMessages);
    takePacket();  // "MESG STORED"
    chunk("mesg-id: 5\nsource-id: 78\nlast: 1\n");
    EXPECT_EQ(messageData(events_->complete.back()).origin, RY_ORIGIN_WHILE_CONNECTING);
    EXPECT_EQ(unreadFrom(78), 1);
}

TEST_F(MessageReception, UnfinishedMessagesFailWhenTheSessionEndsOrTheSenderGoesOffline) {
    chunk("mesg-id: 10\nsource-id: 77\n");
    chunk("mesg-id: 11\nsource-id: 78\n");
    HMESSAGE fromAnn = events_->fresh[0];
    HMESSAGE fromBob = events_->fresh[1];
    kit::OwnedMessage keepAnn(RY_DuplicateMessageHandle(fromAnn));
    kit::OwnedMessage keepBob(RY_DuplicateMessageHandle(fromBob));
    std::string offline = encode({{"77", encode({{"Online-Status", "0"}})}});
    serverSends(packetWithBody("SUB PROFILE\n", encode({{"contacts", offline}})));
    EXPECT_EQ(messageData(fromAnn).mark1, 1);
    EXPECT_EQ(messageData(fromBob).mark1, 0);
    EXPECT_EQ(sync_.incoming().partialCount(), 1u);
    reconnect();
    EXPECT_EQ(messageData(fromBob).mark1, 1);
    EXPECT_EQ(sync_.incoming().partialCount(), 0u);
    EXPECT_TRUE(events_->complete.empty());
}

TEST_F(MessageReception, APeerCannotGrowUnfinishedMessagesWithoutBound) {
    // A declared length the client would have to reserve up front.
    chunk("mesg-id: 20\nsource-id: 77\ntotal-length: 2000000000\n");
    EXPECT_TRUE(events_->fresh.empty());
    chunk("mesg-id: 21\nsource-id: 77\ntotal-length: -5\n");
    EXPECT_TRUE(events_->fresh.empty());

    for (uint64_t id = 100; id < 100 + IncomingLimits{}.maxPartial + 1; ++id)
        chunk("mesg-id: " + std::to_string(id) + "\nsource-id: 77\n");
    EXPECT_EQ(sync_.incoming().partialCount(), IncomingLimits{}.maxPartial);
    EXPECT_EQ(messageData(events_->fresh[0]).mark1, 1) << "the oldest gave way";
    EXPECT_EQ(messageData(events_->fresh[1]).mark1, 0);
}

TEST_F(MessageReception, AMessageDeliveredAgainInTheNextSessionIsShownOnce) {
    chunk("mesg-id: 30\nsource-id: 77\nlast: 1\n");
    chunk("mesg-id: 31\nsource-id: 77\n", "cut ");
    ASSERT_EQ(events_->fresh.size(), 2u);
    reconnect();
    logOn({});
    // The server stores what was not acknowledged and delivers it again.
    chunk("mesg-id: 30\nsource-id: 77\nlast: 1\n");
    EXPECT_EQ(events_->fresh.size(), 2u) << "shown before: dropped";
    chunk("mesg-id: 31\nsource-id: 77\n", "cut ");
    chunk("mesg-id: 32\ncorrelation-id: 31\nsource-id: 77\nlast: 1\n", "short");
    ASSERT_EQ(events_->fresh.size(), 3u) << "never shown whole: shown";
    ASSERT_EQ(events_->complete.size(), 2u);
    RY_MessageData whole = messageData(events_->complete[1]);
    EXPECT_EQ(std::string(static_cast<const char*>(whole.data), whole.dataLength), "cut short");
    chunk("mesg-id: 31\nsource-id: 77\nlast: 1\n");
    EXPECT_EQ(events_->fresh.size(), 3u);
    chunk("mesg-id: 30\nsource-id: 77\nlast: 1\nhist: 1\n");
    EXPECT_EQ(events_->fresh.size(), 4u) << "history asked for is shown";
    EXPECT_EQ(unreadFrom(77), 3) << "30, the cut 31 and the whole 31; the repeats add nothing";
}

TEST_F(MessageReception, AResendUnderANewIdIsKnownByItsSendersOriginKey) {
    chunk("mesg-id: 40\nsource-id: 77\norigin-key: 555\nlast: 1\n", "once");
    chunk("mesg-id: 41\nsource-id: 77\norigin-key: 556\n", "cut ");
    ASSERT_EQ(events_->fresh.size(), 2u);
    reconnect();
    logOn({});
    // A new server relays the sender's resends under ids of its own.
    chunk("mesg-id: 7\nsource-id: 77\norigin-key: 555\nlast: 1\n", "once");
    EXPECT_EQ(events_->fresh.size(), 2u) << "shown before under its key: dropped";
    chunk("mesg-id: 8\nsource-id: 77\norigin-key: 556\nlast: 1\n", "cut short");
    EXPECT_EQ(events_->fresh.size(), 3u) << "never shown whole: shown";
    chunk("mesg-id: 9\nsource-id: 77\norigin-key: 556\nlast: 1\n", "cut short");
    chunk("mesg-id: 10\nsource-id: 77\norigin-key: 557\nlast: 1\n", "another");
    chunk("mesg-id: 11\nsource-id: 78\norigin-key: 555\nlast: 1\n", "Bob's");
    chunk("mesg-id: 555\nsource-id: 77\nlast: 1\n", "without a key");
    chunk("mesg-id: 40\nsource-id: 77\norigin-key: junk\nlast: 1\n", "an unreadable key");
    ASSERT_EQ(events_->fresh.size(), 7u) << "another key, another sender, an id, no key: all shown";
    RY_MessageData last = messageData(events_->fresh.back());
    EXPECT_EQ(std::string(static_cast<const char*>(last.data), last.dataLength), "an unreadable key");
    chunk("mesg-id: 40\nsource-id: 77\nlast: 1\n", "an unreadable key");
    EXPECT_EQ(events_->fresh.size(), 7u) << "known by its id instead";
}

TEST(ShownMessagesFile, KeysOutliveTheProgramAndStayBounded) {
    std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                   ("kestrova-shown-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::filesystem::path file = folder / "shown";
    {
        ShownMessages shown(file, 3);
        for (uint64_t id = 1; id <= 5; ++id) shown.remember({0, 77, id});
        EXPECT_FALSE(shown.contains({0, 77, 2})) << "the oldest gave way";
        EXPECT_TRUE(shown.contains({0, 77, 3}));
        EXPECT_FALSE(shown.contains({9, 77, 3})) << "another bridge's message";
    }
    EXPECT_EQ(std::filesystem::status(file).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::ofstream(file, std::ios::app) << "0 77 6";  // a write the kill cut short
    {
        ShownMessages restarted(file, 3);
        for (uint64_t id = 3; id <= 5; ++id) EXPECT_TRUE(restarted.contains({0, 77, id}));
        EXPECT_FALSE(restarted.contains({0, 77, 6}));
        restarted.remember({0, 77, 7});
    }
    std::ifstream in(file);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "0 77 3\n0 77 4\n0 77 5\n0 77 7\n") << "rewritten whole, then appended";
    EXPECT_EQ(parseShownKeys("1 2 3\nx 2 3\n1 2\n1 2 3 4\n4 5 6\n").size(), 2u);
    std::vector<ShownKey> kinds = parseShownKeys("1 2 k3\n1 2 3\n1 2 k\n1 2 kk3\n");
    EXPECT_EQ(kinds, (std::vector<ShownKey>{{1, 2, 3, true}, {1, 2, 3, false}})) << "an origin key is no id";
    EXPECT_EQ(formatShownKey(kinds[0]), "1 2 k3\n");
    std::filesystem::remove_all(folder);
}

class IncomingBound : public ConnectionTest {};

TEST_F(IncomingBound, AMessageLongerThanTheBoundFails) {
    // Without a connection: chunks go straight to the session objects.
    SessionSync sync(IncomingLimits{10, 4});
    MessageEvents events;
    wire::Packet first("MESG");
    first.setHeader("Mesg-Id", uint64_t{7});
    first.setHeader("Source-Id", uint64_t{77});
    first.setBody("123456");
    sync.receiveMessageChunk(first);
    ASSERT_EQ(events.fresh.size(), 1u);
    kit::OwnedMessage message(RY_DuplicateMessageHandle(events.fresh[0]));
    wire::Packet next("MESG");
    next.setHeader("Correlation-Id", uint64_t{7});
    next.setHeader("Source-Id", uint64_t{77});
    next.setBody("12345");
    sync.receiveMessageChunk(next);
    EXPECT_EQ(messageData(message.get()).mark1, 1);
    EXPECT_EQ(messageData(message.get()).dataLength, 6);
    EXPECT_EQ(sync.incoming().partialCount(), 0u);
}

TEST(LocalTime, TheServerOffsetIsTakenOffWithMicrosecondsCarried) {
    RY_MessageTime local = toLocalTime({100, 200'000}, platform::UnixTime{-3, 700'000});
    EXPECT_EQ(local.seconds, 102u);
    EXPECT_EQ(local.microseconds, 500'000u);
    local = toLocalTime({100, 900'000}, platform::UnixTime{1, 100'000});
    EXPECT_EQ(local.seconds, 99u);
    EXPECT_EQ(local.microseconds, 800'000u);
}

namespace {

struct HistoryAnswers {
    std::vector<std::pair<int32_t, int32_t>> seen;
    static void callback(void* context, const int32_t* status) {
        static_cast<HistoryAnswers*>(context)->seen.emplace_back(status[0], status[1]);
    }
};

}  // namespace

TEST_F(MessageReception, HistoryIsAskedForAndEveryAnswerReachesTheCaller) {
    HistoryAnswers answers;
    RY_HistoryRequest request{};
    request.count = -20;
    request.conversation = contact(77);
    request.seconds = 1'700'000'000;
    request.microseconds = 5;
    request.flag = 1;
    request.callback = &HistoryAnswers::callback;
    request.context = &answers;
    ASSERT_EQ(bus::call(names::kConnectionRequestMessageHistory, &request), 1);
    wire::Packet sent = parsePacket(takePacket());
    EXPECT_EQ(sent.command(), "MESG HIST");
    EXPECT_EQ(sent.header("From-Private"), "1700000000.5");
    EXPECT_EQ(sent.header("Source-Id"), "77");
    EXPECT_EQ(sent.header("Count"), "-20");
    uint64_t id = sent.headerId("Mesg-Id");

    serverSends(response(id, 0));
    chunk("mesg-id: 30\nsource-id: 77\nhist: 1\nlast: 1\n");
    serverSends(response(id, 4));
    serverSends(response(id, 4));  // the request is over: nobody to tell
    EXPECT_EQ(answers.seen, (std::vector<std::pair<int32_t, int32_t>>{{0, 0}, {4, 0}}));
    EXPECT_EQ(unreadFrom(77), 0);
}
