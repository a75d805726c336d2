// Typed calls on the bus: call a named function, raise an event, read and
// set a variant, each through its constant of kestrova/bus_names.h, so the
// argument's type is checked where the call is written. A service's
// operations are called with the service handle; their names are formatted
// here and nowhere else.
//
// Registrations and subscriptions, which must be revoked, are the kit's
// (kestrova/kit/bindings.h).
#pragma once

#include "kestrova/api.h"
#include "kestrova/bus_names.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <type_traits>

namespace kestrova::bus {

// How a value travels in the bus's untyped slots: the void* argument or data
// and the intptr_t result.
template <typename T>
void* toPointer(T value) {
    if constexpr (std::is_pointer_v<T>)
        return const_cast<void*>(static_cast<const void*>(value));
    else {
        static_assert(std::is_integral_v<T>, "bus values are pointers or integers");
        return reinterpret_cast<void*>(static_cast<intptr_t>(value));
    }
}

template <typename T>
T fromPointer(void* value) {
    if constexpr (std::is_pointer_v<T>)
        return static_cast<T>(value);
    else {
        static_assert(std::is_integral_v<T>, "bus values are pointers or integers");
        return static_cast<T>(reinterpret_cast<intptr_t>(value));
    }
}

template <typename T>
intptr_t toResult(T value) {
    if constexpr (std::is_pointer_v<T>)
        return reinterpret_cast<intptr_t>(value);
    else
        return static_cast<intptr_t>(value);
}

template <typename T>
T fromResult(intptr_t value) {
    if constexpr (std::is_pointer_v<T>)
        return reinterpret_cast<T>(value);
    else
        return static_cast<T>(value);
}

// "Service/<handle>/<operation>" and "ServiceType/<handle>/<operation>", the
// handle printed as a pointer exactly as registrar and callers must agree.
inline std::string handleFunctionName(const char* prefix, const void* handle, const char* operation) {
    char name[192];
    std::snprintf(name, sizeof name, "%s/%p/%s", prefix, const_cast<void*>(handle), operation);
    return name;
}

template <typename Arg, typename Result>
std::string nameFor(ServiceOperation<Arg, Result> operation, HSERVICE service) {
    return handleFunctionName("Service", service, operation.operation);
}

template <typename Arg, typename Result>
std::string nameFor(ServiceTypeOperation<Arg, Result> operation, HSERVICETYPE type) {
    return handleFunctionName("ServiceType", type, operation.operation);
}

// --- Functions -----------------------------------------------------------------
// A function nobody registered gives 0 (null); provided() tells the two apart.

template <typename Arg, typename Result>
requires(!std::is_void_v<Arg>) Result
    call(Function<Arg, Result> function, std::type_identity_t<Arg> argument) {
    return fromResult<Result>(RY_CallFunction(function.name, toPointer(argument)));
}

template <typename Result>
Result call(Function<void, Result> function) {
    return fromResult<Result>(RY_CallFunction(function.name, nullptr));
}

template <typename Arg, typename Result>
requires(!std::is_void_v<Arg>) Result
    call(ServiceOperation<Arg, Result> operation, HSERVICE service, std::type_identity_t<Arg> argument) {
    return fromResult<Result>(RY_CallFunction(nameFor(operation, service).c_str(), toPointer(argument)));
}

template <typename Result>
Result call(ServiceOperation<void, Result> operation, HSERVICE service) {
    return fromResult<Result>(RY_CallFunction(nameFor(operation, service).c_str(), nullptr));
}

template <typename Arg, typename Result>
Result call(ServiceTypeOperation<Arg, Result> operation, HSERVICETYPE type,
            std::type_identity_t<Arg> argument) {
    return fromResult<Result>(RY_CallFunction(nameFor(operation, type).c_str(), toPointer(argument)));
}

template <typename Arg, typename Result>
bool provided(Function<Arg, Result> function) {
    NamedFunctionProc proc = nullptr;
    void* context = nullptr;
    return RY_GetFunctionProcAddress(function.name, &proc, &context) != 0;
}

template <typename Arg, typename Result>
bool provided(ServiceOperation<Arg, Result> operation, HSERVICE service) {
    NamedFunctionProc proc = nullptr;
    void* context = nullptr;
    return RY_GetFunctionProcAddress(nameFor(operation, service).c_str(), &proc, &context) != 0;
}

template <typename Arg, typename Result>
bool provided(ServiceTypeOperation<Arg, Result> operation, HSERVICETYPE type) {
    NamedFunctionProc proc = nullptr;
    void* context = nullptr;
    return RY_GetFunctionProcAddress(nameFor(operation, type).c_str(), &proc, &context) != 0;
}

// --- Events --------------------------------------------------------------------
// The result is the number of subscribers called.

template <typename Data>
requires(!std::is_void_v<Data>) int32_t raise(Event<Data> event, std::type_identity_t<Data> data) {
    return RY_EventRaise(event.name, toPointer(data));
}

inline int32_t raise(Event<void> event) { return RY_EventRaise(event.name, nullptr); }

// --- Variants ------------------------------------------------------------------
// An unknown variant reads as 0, null or the empty text.

template <typename Value>
Value get(Variant<Value> variant) {
    if constexpr (std::is_same_v<Value, std::string>) {
        const int32_t length = RY_GetVariantString(variant.name, nullptr);
        std::string text(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
        text.resize(static_cast<size_t>(RY_GetVariantString(variant.name, text.data())));
        return text;
    } else if constexpr (std::is_pointer_v<Value>) {
        return static_cast<Value>(RY_GetVariantPtr(variant.name));
    } else {
        static_assert(std::is_same_v<Value, int32_t>, "variants hold int32_t, pointers or text");
        return RY_GetVariantLong(variant.name);
    }
}

inline void set(Variant<int32_t> variant, int32_t value) { RY_SetVariantLong(variant.name, value); }

inline void set(Variant<std::string> variant, const std::string& text) {
    RY_SetVariantString(variant.name, text.c_str());
}

template <typename Value>
requires std::is_pointer_v<Value>
void set(Variant<Value> variant, std::type_identity_t<Value> value) {
    RY_SetVariantPtr(variant.name, toPointer(value));
}

}  // namespace kestrova::bus
