// What a plug-in puts on the bus, owned: a registered function and a
// subscription (to an event, a variant, or one contact, group, message or
// service) each live exactly as long as their owner object, and are revoked
// when it goes. A plug-in that keeps its bindings as members of the objects
// its Start creates revokes all of them at Stop by destroying those objects.
//
// The handlers are typed by the names of kestrova/bus_names.h:
//
//   functions_.push_back(kit::registerFunction(names::kServiceLeaveGroup, service,
//                                              [this](HGROUP group) { return leave(group); }));
//   onState_ = kit::subscribe(names::kConnectionState, [this](int32_t state) { show(state); });
//
// A handler that takes the wrong type does not compile.
//
// NOTE: a binding may be destroyed from inside its own handler (the bus
// allows it); the handler must then touch nothing of its own captures after
// the call that destroyed it.
#pragma once

#include "kestrova/api.h"
#include "kestrova/bus.h"

#include <concepts>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>

namespace kestrova::kit {

// One named function registered on the bus until this object goes. When
// another registration has since taken the name over, that one is left alone.
class RegisteredFunction {
public:
    struct Body {
        virtual ~Body() = default;
        virtual intptr_t call(void* argument) = 0;
    };

    RegisteredFunction() = default;
    RegisteredFunction(std::string name, std::unique_ptr<Body> body);
    ~RegisteredFunction();
    RegisteredFunction(RegisteredFunction&& other) noexcept = default;
    RegisteredFunction& operator=(RegisteredFunction&& other) noexcept;
    RegisteredFunction(const RegisteredFunction&) = delete;
    RegisteredFunction& operator=(const RegisteredFunction&) = delete;

    const std::string& name() const { return name_; }
    explicit operator bool() const { return body_ != nullptr; }

private:
    void revoke();

    std::string name_;
    std::unique_ptr<Body> body_;
};

// One subscription on the bus until this object goes.
class Subscription {
public:
    struct Body {
        virtual ~Body() = default;
        virtual void notify(void* data) = 0;
    };
    using Unsubscribe = void (*)(HSUBSCRIPTION);
    using Subscribe = HSUBSCRIPTION (*)(SubscriptionCallback, const void* target, void* user);

    Subscription() = default;
    Subscription(std::unique_ptr<Body> body, Subscribe subscribe, const void* target,
                 Unsubscribe unsubscribe);
    ~Subscription();
    Subscription(Subscription&& other) noexcept;
    Subscription& operator=(Subscription&& other) noexcept;
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;

    explicit operator bool() const { return handle_ != nullptr; }
    void reset();

private:
    HSUBSCRIPTION handle_ = nullptr;
    Unsubscribe unsubscribe_ = nullptr;
    std::unique_ptr<Body> body_;
};

namespace detail {

template <typename Arg, typename Result, typename Handler>
struct FunctionBody final : RegisteredFunction::Body {
    explicit FunctionBody(Handler handler) : handler(std::move(handler)) {}
    intptr_t call(void* argument) override {
        if constexpr (std::is_void_v<Arg>)
            return bus::toResult<Result>(handler());
        else
            return bus::toResult<Result>(handler(bus::fromPointer<Arg>(argument)));
    }
    Handler handler;
};

template <typename Arg, typename Result, typename Handler>
std::unique_ptr<RegisteredFunction::Body> functionBody(Handler handler) {
    if constexpr (std::is_void_v<Arg>)
        static_assert(std::is_convertible_v<std::invoke_result_t<Handler&>, Result>,
                      "the handler must take no argument and return the function's result");
    else
        static_assert(std::is_convertible_v<std::invoke_result_t<Handler&, Arg>, Result>,
                      "the handler must take the function's argument and return its result");
    return std::make_unique<FunctionBody<Arg, Result, Handler>>(std::move(handler));
}

// Data: what the handler is given, taken from the notification's data
// pointer. Void: nothing.
template <typename Data, typename Handler>
struct NotifyBody final : Subscription::Body {
    explicit NotifyBody(Handler handler) : handler(std::move(handler)) {}
    void notify(void* data) override {
        if constexpr (std::is_void_v<Data>)
            handler();
        else
            handler(bus::fromPointer<Data>(data));
    }
    Handler handler;
};

// A variant's subscribers hear no data; the handler is given the new value.
template <typename Value, typename Handler>
struct VariantBody final : Subscription::Body {
    VariantBody(bus::Variant<Value> variant, Handler handler)
        : variant(variant),
          handler(std::move(handler)) {}
    void notify(void*) override { handler(bus::get(variant)); }
    bus::Variant<Value> variant;
    Handler handler;
};

HSUBSCRIPTION subscribeEvent(SubscriptionCallback callback, const void* name, void* user);
HSUBSCRIPTION subscribeVariant(SubscriptionCallback callback, const void* name, void* user);
HSUBSCRIPTION subscribeContact(SubscriptionCallback callback, const void* contact, void* user);
HSUBSCRIPTION subscribeGroup(SubscriptionCallback callback, const void* group, void* user);
HSUBSCRIPTION subscribeMessage(SubscriptionCallback callback, const void* message, void* user);
HSUBSCRIPTION subscribeService(SubscriptionCallback callback, const void* service, void* user);

template <typename Data, typename Handler>
Subscription objectSubscription(Handler handler, Subscription::Subscribe subscribe, const void* object,
                                Subscription::Unsubscribe unsubscribe) {
    static_assert(std::is_invocable_v<Handler&, Data>, "the handler must take the object's handle");
    return Subscription(std::make_unique<NotifyBody<Data, Handler>>(std::move(handler)), subscribe, object,
                        unsubscribe);
}

}  // namespace detail

// --- Functions -------------------------------------------------------------------

template <typename Arg, typename Result, typename Handler>
RegisteredFunction registerFunction(bus::Function<Arg, Result> function, Handler handler) {
    return RegisteredFunction(function.name, detail::functionBody<Arg, Result>(std::move(handler)));
}

template <typename Arg, typename Result, typename Handler>
RegisteredFunction registerFunction(bus::ServiceOperation<Arg, Result> operation, HSERVICE service,
                                    Handler handler) {
    return RegisteredFunction(bus::nameFor(operation, service),
                              detail::functionBody<Arg, Result>(std::move(handler)));
}

template <typename Arg, typename Result, typename Handler>
RegisteredFunction registerFunction(bus::ServiceTypeOperation<Arg, Result> operation, HSERVICETYPE type,
                                    Handler handler) {
    return RegisteredFunction(bus::nameFor(operation, type),
                              detail::functionBody<Arg, Result>(std::move(handler)));
}

// --- Events and variants -----------------------------------------------------------

// handler(Data), or handler() for an event without data.
template <typename Data, typename Handler>
Subscription subscribe(bus::Event<Data> event, Handler handler) {
    if constexpr (std::is_void_v<Data>)
        static_assert(std::is_invocable_v<Handler&>, "the handler of an event without data takes nothing");
    else
        static_assert(std::is_invocable_v<Handler&, Data>, "the handler must take the event's data");
    return Subscription(std::make_unique<detail::NotifyBody<Data, Handler>>(std::move(handler)),
                        &detail::subscribeEvent, event.name, &RY_EventUnsubscribe);
}

// handler(new value), called on every change of the variant's text.
template <typename Value, typename Handler>
Subscription subscribe(bus::Variant<Value> variant, Handler handler) {
    static_assert(std::is_invocable_v<Handler&, Value>, "the handler must take the variant's value");
    return Subscription(std::make_unique<detail::VariantBody<Value, Handler>>(variant, std::move(handler)),
                        &detail::subscribeVariant, variant.name, &RY_VariantUnsubscribe);
}

// --- One object's changes ----------------------------------------------------------
// handler(the object's handle); a group's membership changes give null. The
// subscription does not keep the object alive; once the object is gone it is
// never called again.

template <typename Handler>
Subscription subscribe(HCONTACT contact, Handler handler) {
    return detail::objectSubscription<HCONTACT>(std::move(handler), &detail::subscribeContact, contact,
                                                &RY_ContactUnsubscribe);
}

template <typename Handler>
Subscription subscribe(HGROUP group, Handler handler) {
    return detail::objectSubscription<HGROUP>(std::move(handler), &detail::subscribeGroup, group,
                                              &RY_GroupUnsubscribe);
}

template <typename Handler>
Subscription subscribe(HMESSAGE message, Handler handler) {
    return detail::objectSubscription<HMESSAGE>(std::move(handler), &detail::subscribeMessage, message,
                                                &RY_MessageUnsubscribe);
}

template <typename Handler>
Subscription subscribe(HSERVICE service, Handler handler) {
    return detail::objectSubscription<HSERVICE>(std::move(handler), &detail::subscribeService, service,
                                                &RY_ServiceUnsubscribe);
}

}  // namespace kestrova::kit
