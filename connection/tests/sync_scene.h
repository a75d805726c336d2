// The scripted server against a connection with the real session objects:
// contacts, groups and profile maps, message transfer both ways.
#pragma once

#include "friend_request_sink.h"
#include "message_history.h"
#include "message_sender.h"
#include "session_sync.h"
#include "sign_in_scene.h"

#include "kestrova/wire/data_map.h"
#include "kestrova/wire/packet_receiver.h"

#include <memory>
#include <string>
#include <vector>

namespace kestrova::testing {

struct RecordedFriendRequests final : connection::FriendRequestSink {
    struct Request {
        uint64_t id;
        std::string text;
    };
    void addFriendRequest(HSERVICE, HCONTACT, uint64_t id, const std::string& text) override {
        requests.push_back({id, text});
    }
    void dropFriendRequests() override { ++drops; }
    std::vector<Request> requests;
    int drops = 0;
};

// What "messages.new" and "messages.new.complete" announced, in order.
class MessageEvents {
public:
    MessageEvents() {
        fresh_ = RY_EventSubscribe(&MessageEvents::onNew, names::kMessagesNew.name, this);
        complete_ = RY_EventSubscribe(&MessageEvents::onComplete, names::kMessagesNewComplete.name, this);
    }
    ~MessageEvents() {
        RY_EventUnsubscribe(fresh_);
        RY_EventUnsubscribe(complete_);
    }
    // Announced messages, kept alive for the test to look at.
    std::vector<HMESSAGE> fresh;
    std::vector<HMESSAGE> complete;
    bool markNoUnread = false;
    std::vector<kit::OwnedMessage> held;

private:
    static intptr_t onNew(void* user, void* data, void*, HSUBSCRIPTION) {
        auto* self = static_cast<MessageEvents*>(user);
        self->fresh.push_back(static_cast<HMESSAGE>(data));
        self->held.emplace_back(RY_DuplicateMessageHandle(static_cast<HMESSAGE>(data)));
        if (self->markNoUnread) {
            RY_MessageData change{};
            change.size = sizeof change;
            change.flags = RY_MESSAGE_NO_UNREAD;
            change.noUnread = 1;
            RY_SetMessageData(static_cast<HMESSAGE>(data), &change);
        }
        return 0;
    }
    static intptr_t onComplete(void* user, void* data, void*, HSUBSCRIPTION) {
        static_cast<MessageEvents*>(user)->complete.push_back(static_cast<HMESSAGE>(data));
        return 0;
    }
    HSUBSCRIPTION fresh_;
    HSUBSCRIPTION complete_;
};

inline RY_MessageData messageData(HMESSAGE message) {
    RY_MessageData data{};
    data.size = sizeof data;
    RY_GetMessageData(message, &data);
    return data;
}

inline RY_ContactData contactData(HCONTACT contact) {
    RY_ContactData data{};
    data.size = sizeof data;
    RY_GetContactData(contact, &data);
    return data;
}

inline std::string encode(const wire::DataMapEntries& entries) { return wire::encodeDataMap(entries); }

inline wire::Packet parsePacket(const std::string& bytes) {
    wire::PacketReceiver receiver;
    receiver.append(bytes);
    wire::Packet packet;
    EXPECT_EQ(receiver.next(packet), wire::ReadStatus::Complete) << bytes;
    return packet;
}

inline std::string response(uint64_t id, uint32_t code) {
    std::string body{static_cast<char>(code >> 24), static_cast<char>(code >> 16), static_cast<char>(code >> 8),
                     static_cast<char>(code)};
    return "RESPONSE\nmesg-id: " + std::to_string(id) + "\ncontent-length: 4\n\n" + body;
}

inline std::string packetWithBody(const std::string& head, const std::string& body) {
    return head + "content-length: " + std::to_string(body.size()) + "\n\n" + body;
}

class SyncScene : public SignInScene {
protected:
    static constexpr uint64_t kMyId = 4294967301u;

    connection::SessionObjects& sessionObjects() override { return sync_; }
    void started() override {
        sync_.attach(*connection_);
        sync_.setFriendRequestSink(&friendRequests_);
        if (!sender_) sender_ = std::make_unique<connection::MessageSender>(sync_.link());
        if (!history_) history_ = std::make_unique<connection::MessageHistoryFunction>(sync_.link());
    }
    void TearDown() override {
        history_.reset();
        sender_.reset();
        events_.reset();
        owned_.clear();
        SignInScene::TearDown();
    }

    // After "LOGON": plain authentication, then the profile; waits for the
    // state it leads to.
    void logOn(wire::DataMapEntries profile, const std::string& headers = "",
               int32_t expected = connection::kStateOnline) {
        profile.emplace("Sub-Id", std::to_string(kMyId));
        ASSERT_TRUE(peer_.send("AUTH\nencryption-type: 0\n\n"));
        EXPECT_EQ(takePacket().substr(0, 5), "AUTH\n");
        serverSendsAndWait(packetWithBody("SUB PROFILE\n" + headers, encode(profile)),
                           [&] { return state() == expected; });
    }
    void signInWith(wire::DataMapEntries profile, const std::string& headers = "",
                    int32_t expected = connection::kStateOnline) {
        startAndTakeLogon();
        logOn(std::move(profile), headers, expected);
    }
    // The server drops the line; the session (no resume key) ends and the
    // client comes back with a new "LOGON".
    void reconnect() {
        peer_.dropConnection();
        ASSERT_TRUE(until([&] { return state() == connection::kStateReconnectWait; }));
        advance(5);
        EXPECT_EQ(takePacket().substr(0, 6), "LOGON\n");
    }

    HCONTACT contact(uint64_t id) { return owned_.emplace_back(sync_.contacts().get(id)).get(); }
    void watchMessages() { events_ = std::make_unique<MessageEvents>(); }

    connection::SessionSync sync_;
    RecordedFriendRequests friendRequests_;
    std::unique_ptr<connection::MessageSender> sender_;
    std::unique_ptr<connection::MessageHistoryFunction> history_;
    std::unique_ptr<MessageEvents> events_;
    std::vector<kit::OwnedContact> owned_;
};

}  // namespace kestrova::testing
