// Owned references to core API handles: one reference each, released when
// the owner goes, so that a handle taken is given back on every path.
//
//   kit::OwnedContact own(RY_GetContact...);   // adopts a reference the caller holds
//   auto held = kit::OwnedGroup::share(group);  // takes a reference of its own
#pragma once

#include "kestrova/api.h"

#include <utility>

namespace kestrova::kit {

template <typename Handle, void (*Release)(Handle), Handle (*Duplicate)(Handle) = nullptr>
class Owned {
public:
    Owned() = default;
    // Adopts a reference the caller already holds.
    explicit Owned(Handle handle) : handle_(handle) {}
    ~Owned() { reset(); }
    Owned(Owned&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) reset(std::exchange(other.handle_, nullptr));
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    // Takes a new reference of its own to a handle someone else holds.
    static Owned share(Handle handle) requires(Duplicate != nullptr) {
        return Owned(handle ? Duplicate(handle) : nullptr);
    }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    // Gives the reference to the caller.
    [[nodiscard]] Handle release() { return std::exchange(handle_, nullptr); }
    void reset(Handle handle = nullptr) {
        Handle old = std::exchange(handle_, handle);
        if (old) Release(old);
    }

private:
    Handle handle_ = nullptr;
};

using OwnedContact = Owned<HCONTACT, RY_ReleaseContact, RY_DuplicateContactHandle>;
using OwnedGroup = Owned<HGROUP, RY_ReleaseGroup, RY_DuplicateGroupHandle>;
using OwnedMessage = Owned<HMESSAGE, RY_ReleaseMessage, RY_DuplicateMessageHandle>;
using OwnedService = Owned<HSERVICE, RY_ReleaseService, RY_DuplicateServiceHandle>;
using OwnedDataMap = Owned<HDATAMAP, RY_ReleaseDataMap, RY_DuplicateDataMapHandle>;
// Service types cannot be duplicated; their creator owns the one reference.
using OwnedServiceType = Owned<HSERVICETYPE, RY_ReleaseServiceType>;

}  // namespace kestrova::kit
