// Owned references to core API handles: one reference each, released when
// the owner goes, so that a handle taken is given back on every path.
//
//   kit::OwnedContact own(RY_GetContact...);   // adopts a reference the caller holds
//   auto held = kit::OwnedGroup::share(group);  // takes a reference of its own
#pragma once

#include "kestrova/api.h"

#include <utility>

namespace kestrova::kit {

template <typename Handle, void (*Release)(Handle)>
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

// An owner that can also take a reference of its own to a handle someone else
// holds.
// NOTE: a class of its own rather than a constraint on a defaulted Duplicate
// parameter: comparing a function pointer template argument with null is not
// a constant expression in sanitizer builds.
template <typename Handle, void (*Release)(Handle), Handle (*Duplicate)(Handle)>
class Shareable : public Owned<Handle, Release> {
public:
    using Owned<Handle, Release>::Owned;
    Shareable() = default;
    static Shareable share(Handle handle) { return Shareable(handle ? Duplicate(handle) : nullptr); }
};

using OwnedContact = Shareable<HCONTACT, RY_ReleaseContact, RY_DuplicateContactHandle>;
using OwnedGroup = Shareable<HGROUP, RY_ReleaseGroup, RY_DuplicateGroupHandle>;
using OwnedMessage = Shareable<HMESSAGE, RY_ReleaseMessage, RY_DuplicateMessageHandle>;
using OwnedService = Shareable<HSERVICE, RY_ReleaseService, RY_DuplicateServiceHandle>;
using OwnedDataMap = Shareable<HDATAMAP, RY_ReleaseDataMap, RY_DuplicateDataMapHandle>;
// Service types cannot be duplicated; their creator owns the one reference.
using OwnedServiceType = Owned<HSERVICETYPE, RY_ReleaseServiceType>;

}  // namespace kestrova::kit
