// Named functions, events and variants: the bus between the shell and the
// plug-ins. Everything is synchronous and runs on the caller's thread.
#include "core_state.h"

using namespace kestrova::api;

extern "C" {

void RY_RegisterFunction(const char* name, NamedFunctionProc proc, void* context) {
    core().functions[name] = FunctionEntry{proc, context};
}

void RY_UnregisterFunction(const char* name) {
    auto& functions = core().functions;
    if (auto it = functions.find(std::string_view(name)); it != functions.end()) functions.erase(it);
}

intptr_t RY_CallFunction(const char* name, void* arg) {
    auto& functions = core().functions;
    auto it = functions.find(std::string_view(name));
    if (it == functions.end()) return 0;
    // Copy the binding: the procedure may unregister itself while it runs.
    FunctionEntry entry = it->second;
    return entry.proc(entry.context, arg);
}

int32_t RY_GetFunctionProcAddress(const char* name, NamedFunctionProc* procOut, void** contextOut) {
    auto& functions = core().functions;
    auto it = functions.find(std::string_view(name));
    if (it == functions.end()) return 0;
    if (procOut) *procOut = it->second.proc;
    if (contextOut) *contextOut = it->second.context;
    return 1;
}

HSUBSCRIPTION RY_EventSubscribe(SubscriptionCallback callback, const char* name, void* user) {
    return event(name).subscribers.subscribe(callback, user);
}

void RY_EventUnsubscribe(HSUBSCRIPTION subscription) { unsubscribe(subscription); }

int32_t RY_EventRaise(const char* name, void* data) {
    EventRecord& record = event(name);
    record.lastRaise = kestrova::platform::unixNow();
    record.subscribers.dispatch(data);
    // Event records live until clean-up, so the record is still valid here
    // unless a subscriber tore the whole core state down.
    if (!existingCore()) return 0;
    return record.subscribers.size();
}

HSUBSCRIPTION RY_VariantSubscribe(SubscriptionCallback callback, const char* name, void* user) {
    return variant(name).subscribers().subscribe(callback, user);
}

void RY_VariantUnsubscribe(HSUBSCRIPTION subscription) { unsubscribe(subscription); }

int32_t RY_GetVariantLong(const char* name) { return variant(name).getNumber(); }

void* RY_GetVariantPtr(const char* name) { return variant(name).getPointer(); }

int32_t RY_GetVariantString(const char* name, char* buf) {
    const std::string& text = variant(name).text();
    if (buf) text.copy(buf, text.size()), buf[text.size()] = '\0';
    return static_cast<int32_t>(text.size());
}

void RY_SetVariantLong(const char* name, int32_t value) { variant(name).setNumber(value); }

void RY_SetVariantPtr(const char* name, void* value) { variant(name).setPointer(value); }

void RY_SetVariantString(const char* name, const char* text) { variant(name).setText(text); }

}  // extern "C"
