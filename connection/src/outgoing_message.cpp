#include "outgoing_message.h"

#include "connection.h"
#include "os_random.h"

#include "kestrova/wire/protocol.h"

#include <algorithm>

namespace kestrova::connection {

namespace protocol = wire::protocol;

namespace {

RY_MessageData readMessage(HMESSAGE message) {
    RY_MessageData data{};
    data.size = sizeof data;
    RY_GetMessageData(message, &data);
    return data;
}

HSERVICE serviceOfTarget(const RY_MessageData& message) {
    if (!message.target) return nullptr;
    if (message.isGroup) {
        RY_GroupData group{};
        group.size = sizeof group;
        RY_GetGroupData(static_cast<HGROUP>(message.target), &group);
        return group.service;
    }
    RY_ContactData contact{};
    contact.size = sizeof contact;
    RY_GetContactData(static_cast<HCONTACT>(message.target), &contact);
    return contact.service;
}

uint64_t targetId(const RY_MessageData& message) {
    if (message.isGroup) return RY_GetGroupID(static_cast<HGROUP>(message.target));
    return RY_GetContactID(static_cast<HCONTACT>(message.target));
}

// NOTE: not a LUID: those start over in every process, and the key must not
// meet another message's of the same sender, also one sent before a restart.
std::optional<uint64_t> drawOriginKey() {
    uint64_t key = 0;
    if (!fillFromOsRandom(reinterpret_cast<uint8_t*>(&key), sizeof key) || key == 0) return std::nullopt;
    return key;
}

}  // namespace

OutgoingMessage::OutgoingMessage(HMESSAGE message, HSERVICE ownService, SessionLink& link,
                                 BridgeLookup* bridges, Finished finished)
    : message_(RY_DuplicateMessageHandle(message)), ownService_(ownService), link_(link), bridges_(bridges),
      finished_(std::move(finished)), originKey_(drawOriginKey()) {}

OutgoingMessage::~OutgoingMessage() { stop(); }

void OutgoingMessage::start() {
    RY_MessageData message = readMessage(message_.get());
    HSERVICE service = serviceOfTarget(message);
    // Groups first heard of in a message or a group packet carry no service
    // yet; they are this account's all the same.
    if (message.target && !service) service = ownService_;
    if (service) service_.reset(RY_DuplicateServiceHandle(service));
    messageSubscription_ = kit::subscribe(message_.get(), [this](HMESSAGE) { pump(); });
    if (service_) serviceSubscription_ = kit::subscribe(service_.get(), [this](HSERVICE) { pump(); });
}

void OutgoingMessage::stop() {
    messageSubscription_.reset();
    serviceSubscription_.reset();
}

bool OutgoingMessage::serviceOnline() const {
    // Without a service the chunk step finds the message is not ours.
    if (!service_) return true;
    RY_ServiceData data{};
    data.size = sizeof data;
    RY_GetServiceData(service_.get(), &data);
    return data.presence != RY_PRESENCE_OFFLINE && data.presence != kStatusServiceRemoved;
}

void OutgoingMessage::pump() {
    if (finishedFlag_) return;
    // Sending notifies the message's subscribers, us among them: the pass
    // already running picks the change up.
    if (pumping_) {
        pumpAgain_ = true;
        return;
    }
    auto keep = shared_from_this();
    // Another network's message, with no bridge to carry it: not ours to
    // hold on to, whatever that service's status.
    if (!service_ || (service_.get() != ownService_ && !(bridges_ && bridges_->bridgeOf(service_.get())))) {
        finish();
        return;
    }
    pumping_ = true;
    do {
        pumpAgain_ = false;
        // Offline, a request is answered at once with "session ended", which
        // would restart the message and pump it again, for ever.
        if (!serviceOnline() || link_.state() == kStateOffline) break;
        uint32_t generation = generation_;
        Step result;
        while ((result = step()) == Step::Sent && !finishedFlag_ && generation == generation_) {
        }
        if (result == Step::NotMine) finish();
        if (generation != generation_) break;
    } while (pumpAgain_ && !finishedFlag_);
    pumping_ = false;
}

OutgoingMessage::Step OutgoingMessage::step() {
    if (done_ || finishedFlag_) return Step::Done;
    RY_MessageData message = readMessage(message_.get());
    size_t available = static_cast<size_t>(std::max(message.dataLength, 0));
    size_t pending = available > sentOffset_ ? available - sentOffset_ : 0;
    if (pending < kChunkBytes && !message.complete) return Step::Wait;

    wire::Packet packet(protocol::command::kMessage);
    std::optional<uint64_t> bridge =
        (bridges_ && service_) ? bridges_->bridgeOf(service_.get()) : std::optional<uint64_t>();
    if (bridge) {
        packet.setCommand(protocol::command::kBridgeMessage);
        packet.setHeader(protocol::header::kBridgeId, *bridge);
    } else if (!service_ || service_.get() != ownService_) {
        return Step::NotMine;
    }
    bool first = sentOffset_ == 0;
    packet.setHeader(protocol::header::kMesgId, first ? message.messageId : uint64_t{RY_GetLUID()});
    packet.setHeader(protocol::header::kMesgTarget, int32_t{message.isGroup ? 1 : 0});
    packet.setHeader(protocol::header::kTargetId, targetId(message));
    packet.setHeader(protocol::header::kContentType, message.contentType ? message.contentType : "");
    if (!first) packet.setHeader(protocol::header::kCorrelationId, message.messageId);
    // The bridge relays to another network, which has no use for the key.
    if (first && originKey_ && !bridge) packet.setHeader(protocol::header::kOriginKey, *originKey_);

    size_t length = std::min(pending, kChunkBytes);
    packet.setBody(std::string(static_cast<const char*>(message.data) + sentOffset_, length));
    sentOffset_ += length;
    if (message.complete) {
        if (sentOffset_ == available) {
            packet.setHeader(protocol::header::kLast, int32_t{1});
            done_ = true;
        } else if (!totalLengthSent_) {
            packet.setHeader(protocol::header::kTotalLength, static_cast<int32_t>(available));
            totalLengthSent_ = true;
        }
    }

    std::weak_ptr<OutgoingMessage> weak = weak_from_this();
    uint32_t generation = generation_;
    // The request keeps the message alive until it is answered.
    auto held = std::make_shared<kit::OwnedMessage>(RY_DuplicateMessageHandle(message_.get()));
    link_.submit(std::move(packet), [weak, generation, length, held](int64_t code, const std::string&) {
        if (auto self = weak.lock()) self->acknowledge(generation, code, length);
        return true;
    });
    return done_ ? Step::Done : Step::Sent;
}

void OutgoingMessage::acknowledge(uint32_t generation, int64_t code, size_t length) {
    if (finishedFlag_ || generation != generation_) return;
    RY_MessageData message = readMessage(message_.get());
    RY_MessageData change{};
    change.size = sizeof change;
    if (code == kCodeChunkAcknowledged) {
        int64_t acknowledged = int64_t{message.totalLength2} + static_cast<int64_t>(length);
        bool delivered = message.complete && done_ && acknowledged >= message.dataLength;
        change.flags = RY_MESSAGE_TOTAL_LENGTH2;
        change.totalLength2 = static_cast<int32_t>(acknowledged);
        if (delivered) finishedFlag_ = true;
        RY_SetMessageData(message_.get(), &change);
        if (delivered) finish();
        return;
    }
    if (code == kCodeSessionEnded) {
        ++generation_;
        sentOffset_ = 0;
        done_ = false;
        totalLengthSent_ = false;
        change.flags = RY_MESSAGE_ID | RY_MESSAGE_TOTAL_LENGTH2;
        change.messageId = RY_GetLUID();
        change.totalLength2 = 0;
        RY_SetMessageData(message_.get(), &change);
        return;
    }
    finishedFlag_ = true;
    change.flags = RY_MESSAGE_MARK1;
    change.mark1 = 1;
    RY_SetMessageData(message_.get(), &change);
    finish();
}

void OutgoingMessage::finish() {
    finishedFlag_ = true;
    stop();
    if (finished_) finished_(message_.get());
}

}  // namespace kestrova::connection
