// Owning wrappers for api handles held inside this plug-in, so that a handle
// taken is released on every path.
#pragma once

#include "kestrova/api.h"

#include <utility>

namespace kestrova::connection {

template <typename Handle, void (*Release)(Handle)>
class Owned {
public:
    Owned() = default;
    // Adopts a reference the caller already holds.
    explicit Owned(Handle handle) : handle_(handle) {}
    ~Owned() { reset(); }
    Owned(Owned&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    Handle release() { return std::exchange(handle_, nullptr); }
    void reset(Handle handle = nullptr) {
        if (handle_) Release(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = nullptr;
};

using OwnedContact = Owned<HCONTACT, RY_ReleaseContact>;
using OwnedGroup = Owned<HGROUP, RY_ReleaseGroup>;
using OwnedMessage = Owned<HMESSAGE, RY_ReleaseMessage>;
using OwnedService = Owned<HSERVICE, RY_ReleaseService>;
using OwnedDataMap = Owned<HDATAMAP, RY_ReleaseDataMap>;

}  // namespace kestrova::connection
