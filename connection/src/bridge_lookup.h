// Where message transfer and contact synchronisation meet the bridges to
// other networks. The bridge manager is not part of the plug-in yet; until
// it is, no lookup is installed: chunks that name a "Bridge-Id" find no
// contact and are dropped, contact records of bridged accounts are not
// applied, and messages to contacts of other services are not ours to send.
#pragma once

#include "kestrova/api.h"

#include <cstdint>
#include <optional>

namespace kestrova::connection {

class BridgeLookup {
public:
    virtual ~BridgeLookup() = default;
    // The bridged contact with that id on that bridge, with a new reference;
    // null when the bridge is not known.
    virtual HCONTACT bridgedContact(uint64_t bridgeId, uint64_t contactId) = 0;
    // The group that stands for a bridged chat, with a new reference, or null.
    virtual HGROUP bridgedChat(uint64_t bridgeId, uint64_t chatId) = 0;
    // The bridge that carries a service, when the service is a bridged one.
    virtual std::optional<uint64_t> bridgeOf(HSERVICE service) = 0;
};

}  // namespace kestrova::connection
