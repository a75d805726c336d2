// Owners of what a plug-in puts on the bus: a named function registered for
// as long as its owner lives, and an event subscription likewise. Stopping
// the plug-in destroys them, which revokes every registration.
#pragma once

#include "kestrova/api.h"

#include <string>
#include <utility>

namespace kestrova::connection {

class RegisteredFunction {
public:
    RegisteredFunction(std::string name, NamedFunctionProc proc, void* context) : name_(std::move(name)) {
        RY_RegisterFunction(name_.c_str(), proc, context);
    }
    ~RegisteredFunction() {
        if (!name_.empty()) RY_UnregisterFunction(name_.c_str());
    }
    RegisteredFunction(RegisteredFunction&& other) noexcept : name_(std::exchange(other.name_, {})) {}
    RegisteredFunction& operator=(RegisteredFunction&&) = delete;
    RegisteredFunction(const RegisteredFunction&) = delete;

    const std::string& name() const { return name_; }

private:
    std::string name_;
};

class EventSubscription {
public:
    EventSubscription() = default;
    EventSubscription(const char* event, SubscriptionCallback callback, void* user)
        : handle_(RY_EventSubscribe(callback, event, user)) {}
    ~EventSubscription() { RY_EventUnsubscribe(handle_); }
    EventSubscription(EventSubscription&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    EventSubscription& operator=(EventSubscription&& other) noexcept {
        if (this != &other) {
            RY_EventUnsubscribe(handle_);
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    EventSubscription(const EventSubscription&) = delete;

private:
    HSUBSCRIPTION handle_ = nullptr;
};

}  // namespace kestrova::connection
