#include "core_state.h"

#include "data_map.h"
#include "settings.h"

#include <utility>

namespace kestrova::api {
namespace {

CoreState* gCore = nullptr;

template <class Value>
Value& findOrCreate(NameTable<std::unique_ptr<Value>>& table, std::string_view name) {
    auto it = table.find(name);
    if (it == table.end()) it = table.emplace(std::string(name), std::make_unique<Value>()).first;
    return *it->second;
}

void releaseProfileMap(const char* name) {
    Variant& v = variant(name);
    if (void* map = v.getPointer()) {
        v.setPointer(nullptr);
        releaseHandle(static_cast<HandleRecord*>(map));
    }
}

}  // namespace

CoreState& core() {
    if (!gCore) {
        gCore = new CoreState;
        variant(names::kMyProfileUserAcl.name).setPointer(createDataMap());
        variant(names::kMyProfileUserData.name).setPointer(createDataMap());
    }
    return *gCore;
}

CoreState* existingCore() { return gCore; }

void destroyCore() {
    if (!gCore) return;
    CoreState& state = *gCore;
    releaseHandle(std::exchange(state.primaryService, nullptr));
    saveSettings();
    releaseProfileMap(names::kMyProfileUserAcl.name);
    releaseProfileMap(names::kMyProfileUserData.name);
    releaseUnreadLists(state);
    releaseGroupTable(state);
    // The remaining tables go with the state. Subscriptions still held by
    // callers are detached, not freed: their holders unsubscribe them later.
    delete gCore;
    gCore = nullptr;
}

Variant& variant(std::string_view name) { return findOrCreate(core().variants, name); }

EventRecord& event(std::string_view name) { return findOrCreate(core().events, name); }

}  // namespace kestrova::api
