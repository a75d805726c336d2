// Follows the messages the harness sends until the server has acknowledged
// every byte ("delivered") or the connection gave up on them ("failed").
// Each send gets a reference number of the harness, stable even when the
// connection resends the message under a new id after a reconnect.
#pragma once

#include <cstdint>
#include <map>

#include <memory>

#include "kestrova/api.h"
#include "kestrova/kit/bindings.h"
#include "kestrova/kit/handles.h"

namespace kestrova::harness {

class OutgoingWatch {
public:
    OutgoingWatch() = default;
    OutgoingWatch(const OutgoingWatch&) = delete;
    OutgoingWatch& operator=(const OutgoingWatch&) = delete;

    // Takes over the caller's reference to the message; prints "sent ref=N ...".
    void watch(HMESSAGE message);
    size_t watching() const { return watched_.size(); }
    // The message of a reference still being followed, or null.
    HMESSAGE message(uint32_t ref) const;

private:
    struct Watched {
        uint32_t ref;
        kit::OwnedMessage message;
        kit::Subscription subscription;
    };
    // Prints the outcome and forgets the message once it has one.
    void check(uint32_t ref);

    uint32_t nextRef_ = 1;
    std::map<uint32_t, std::unique_ptr<Watched>> watched_;
};

}  // namespace kestrova::harness
