// What the service functions of the own service and of bridged services
// share: the online statuses a user may ask for, and a caller's completion
// callback as the handler of a request.
#pragma once

#include "pending_requests.h"

#include "kestrova/api.h"
#include "kestrova/bus_records.h"

#include <cstdint>
#include <string>

namespace kestrova::connection {

inline bool isOnlineStatus(int32_t status) {
    switch (status) {
    case RY_PRESENCE_OFFLINE:
    case RY_PRESENCE_ONLINE:
    case RY_PRESENCE_AWAY:
    case RY_PRESENCE_INVISIBLE:
    case RY_PRESENCE_BUSY:
        return true;
    default:
        return false;
    }
}

// Every answer goes to the caller's callback and finishes the request.
inline ResponseHandler toCallback(RY_ResponseCallback callback, void* user) {
    return [callback, user](int64_t code, const std::string&) {
        if (callback) callback(user, &code, static_cast<uint32_t>(static_cast<uint64_t>(code) >> 32));
        return true;
    };
}

}  // namespace kestrova::connection
