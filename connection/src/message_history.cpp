#include "message_history.h"

#include "kestrova/wire/protocol.h"

#include <cstdio>

namespace kestrova::connection {

namespace protocol = wire::protocol;

wire::Packet historyRequestPacket(const RY_HistoryRequest& request) {
    wire::Packet packet(protocol::command::kMessageHistory);
    // The microseconds are a whole number, not a fraction: no padding.
    char since[40];
    std::snprintf(since, sizeof since, "%d.%d", request.seconds, request.microseconds);
    packet.setHeader(request.isGroup ? protocol::header::kFromGroup : protocol::header::kFromPrivate, since);
    uint64_t sourceId = request.isGroup ? RY_GetGroupID(static_cast<HGROUP>(request.conversation))
                                        : RY_GetContactID(static_cast<HCONTACT>(request.conversation));
    packet.setHeader(protocol::header::kSourceId, sourceId);
    packet.setHeader(protocol::header::kCount, request.count);
    return packet;
}

MessageHistoryFunction::MessageHistoryFunction(SessionLink& link)
    : link_(link),
      function_(kit::registerFunction(
          names::kConnectionRequestMessageHistory,
          [this](const RY_HistoryRequest* request) { return request ? this->request(*request) : 0; })) {}

MessageHistoryFunction::~MessageHistoryFunction() = default;

int32_t MessageHistoryFunction::request(const RY_HistoryRequest& request) {
    if (!request.conversation) return 0;
    RY_HistoryCallback callback = request.callback;
    void* context = request.context;
    link_.submit(historyRequestPacket(request), [callback, context](int64_t code, const std::string&) {
        if (callback) {
            uint64_t bits = static_cast<uint64_t>(code);
            int32_t status[2] = {static_cast<int32_t>(bits & 0xFFFFFFFFu), static_cast<int32_t>(bits >> 32)};
            callback(context, status);
        }
        // Code 0 says more messages follow; the request stays open.
        return code != kCodeSuccess;
    });
    return 1;
}

}  // namespace kestrova::connection
