// Where message transfer, contact and profile synchronisation meet the
// bridges to other networks. The bridge manager (bridging/bridge_manager.h)
// answers it; without one, chunks that name a "Bridge-Id" find no contact and
// are dropped, and messages to contacts of other services are not ours to
// send.
#pragma once

#include "kestrova/api.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace kestrova::connection {

class BridgeLookup {
public:
    virtual ~BridgeLookup() = default;
    // The bridged contact with that id on that bridge (made on first use),
    // with a new reference; null when the bridge is not known.
    virtual HCONTACT bridgedContact(uint64_t bridgeId, uint64_t contactId) = 0;
    // The group that stands for a bridged chat (made on first use), with a
    // new reference; null when the bridge is not known.
    virtual HGROUP bridgedChat(uint64_t bridgeId, uint64_t chatId) = 0;
    // The bridge that carries a service, when the service is a bridged one.
    virtual std::optional<uint64_t> bridgeOf(HSERVICE service) = 0;
    // The profile's "BRIDGE" map: the account's bridges (encoded data map).
    virtual void applyProfileEntries(std::string_view encoded) = 0;
};

}  // namespace kestrova::connection
