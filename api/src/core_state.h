// The process-wide state of the core API: created by the first export that
// needs it and destroyed by RY_API_Cleanup. The library takes no lock around
// it: everything runs on the user-interface thread (the audio lock, which any
// thread takes, lives outside it for the whole process).
#pragma once

#include "handle.h"
#include "variant.h"

#include "kestrova/api.h"
#include "kestrova/bus.h"
#include "kestrova/platform/clock.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace kestrova::api {

struct EventRecord {
    platform::UnixTime lastRaise;
    SubscriberSet subscribers;
};

struct FunctionEntry {
    NamedFunctionProc proc = nullptr;
    void* context = nullptr;
};

// Name tables match names exactly and case-sensitively, byte by byte.
template <class Value>
using NameTable = std::map<std::string, Value, std::less<>>;

// Unread messages per conversation, in arrival order; each listed message
// carries one reference of the list's own, the keys none.
struct UnreadTables {
    std::map<HandleRecord*, std::vector<HandleRecord*>> byGroup;
    std::map<HandleRecord*, std::vector<HandleRecord*>> byContact;
    int32_t total = 0;
};

struct CoreState {
    std::vector<Plugin*> plugins;  // in the order added
    std::map<int64_t, HandleRecord*> groups;  // by identifier read as signed; one reference each
    NameTable<std::unique_ptr<Setting>> settings;
    NameTable<std::unique_ptr<Variant>> variants;
    UnreadTables unread;
    std::vector<HandleRecord*> services;      // creation order, no references held
    std::vector<HandleRecord*> serviceTypes;  // creation order, no references held
    NameTable<std::unique_ptr<EventRecord>> events;
    NameTable<FunctionEntry> functions;
    uint32_t nextLuid = 0x8000;
    HandleRecord* primaryService = nullptr;  // holds one reference
};

CoreState& core();
// The state if it exists; no creation (clean-up paths use it).
CoreState* existingCore();
void destroyCore();
// Clean-up steps of the object model (unread.cpp, groups.cpp).
void releaseUnreadLists(CoreState& state);
void releaseGroupTable(CoreState& state);

Variant& variant(std::string_view name);
EventRecord& event(std::string_view name);

}  // namespace kestrova::api
