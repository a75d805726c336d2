#include "kestrova/kit/bindings.h"

namespace kestrova::kit {
namespace {

intptr_t callBody(void* context, void* argument) {
    return static_cast<RegisteredFunction::Body*>(context)->call(argument);
}

intptr_t notifyBody(void* user, void* data, void*, HSUBSCRIPTION) {
    static_cast<Subscription::Body*>(user)->notify(data);
    return 0;
}

}  // namespace

namespace detail {

HSUBSCRIPTION subscribeEvent(SubscriptionCallback callback, const void* name, void* user) {
    return RY_EventSubscribe(callback, static_cast<const char*>(name), user);
}

HSUBSCRIPTION subscribeVariant(SubscriptionCallback callback, const void* name, void* user) {
    return RY_VariantSubscribe(callback, static_cast<const char*>(name), user);
}

HSUBSCRIPTION subscribeContact(SubscriptionCallback callback, const void* contact, void* user) {
    return RY_ContactSubscribe(callback, static_cast<HCONTACT>(const_cast<void*>(contact)), user);
}

HSUBSCRIPTION subscribeGroup(SubscriptionCallback callback, const void* group, void* user) {
    return RY_GroupSubscribe(callback, static_cast<HGROUP>(const_cast<void*>(group)), user);
}

HSUBSCRIPTION subscribeMessage(SubscriptionCallback callback, const void* message, void* user) {
    return RY_MessageSubscribe(callback, static_cast<HMESSAGE>(const_cast<void*>(message)), user);
}

HSUBSCRIPTION subscribeService(SubscriptionCallback callback, const void* service, void* user) {
    return RY_ServiceSubscribe(callback, static_cast<HSERVICE>(const_cast<void*>(service)), user);
}

}  // namespace detail

RegisteredFunction::RegisteredFunction(std::string name, std::unique_ptr<Body> body)
    : name_(std::move(name)),
      body_(std::move(body)) {
    RY_RegisterFunction(name_.c_str(), &callBody, body_.get());
}

RegisteredFunction::~RegisteredFunction() { revoke(); }

RegisteredFunction& RegisteredFunction::operator=(RegisteredFunction&& other) noexcept {
    if (this != &other) {
        revoke();
        name_ = std::move(other.name_);
        body_ = std::move(other.body_);
    }
    return *this;
}

void RegisteredFunction::revoke() {
    if (!body_) return;
    // NOTE: registering a name again replaces the earlier binding silently;
    // the name is only taken off the bus while it is still this binding's.
    NamedFunctionProc proc = nullptr;
    void* context = nullptr;
    if (RY_GetFunctionProcAddress(name_.c_str(), &proc, &context) && proc == &callBody &&
        context == body_.get())
        RY_UnregisterFunction(name_.c_str());
    body_.reset();
}

Subscription::Subscription(std::unique_ptr<Body> body, Subscribe subscribe, const void* target,
                           Unsubscribe unsubscribe)
    : unsubscribe_(unsubscribe),
      body_(std::move(body)) {
    handle_ = subscribe(&notifyBody, target, body_.get());
}

Subscription::~Subscription() { reset(); }

Subscription::Subscription(Subscription&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)),
      unsubscribe_(other.unsubscribe_),
      body_(std::move(other.body_)) {}

Subscription& Subscription::operator=(Subscription&& other) noexcept {
    if (this != &other) {
        reset();
        handle_ = std::exchange(other.handle_, nullptr);
        unsubscribe_ = other.unsubscribe_;
        body_ = std::move(other.body_);
    }
    return *this;
}

void Subscription::reset() {
    // Unsubscribed first: the body must not be called once it is gone.
    if (HSUBSCRIPTION handle = std::exchange(handle_, nullptr)) unsubscribe_(handle);
    body_.reset();
}

}  // namespace kestrova::kit
