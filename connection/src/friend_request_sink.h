// Where friend requests found in a profile go. Profile synchronisation finds
// them; the service functions own the list, its overview items and the
// answers. The interface keeps the two apart.
#pragma once

#include "kestrova/api.h"

#include <cstdint>
#include <string>

namespace kestrova::connection {

class FriendRequestSink {
public:
    virtual ~FriendRequestSink() = default;
    // A contact asked to be added; `id` names the request on its service (the
    // contact's id on the own service, the request's on a bridge); `text` is
    // the request message, possibly empty. The sink takes its own reference
    // to the contact when it keeps it.
    virtual void addFriendRequest(HSERVICE service, HCONTACT contact, uint64_t id, const std::string& text) = 0;
    // The session ended: pending requests and their overview items go.
    virtual void dropFriendRequests() = 0;
};

}  // namespace kestrova::connection
