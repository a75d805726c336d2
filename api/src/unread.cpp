// Unread tracking: per group and per contact, the incoming messages nobody
// has shown yet, with their total published in "messages.unread".
#include "core_state.h"
#include "messages.h"

#include <algorithm>

namespace kestrova::api {
namespace {

using UnreadMap = std::map<HandleRecord*, std::vector<HandleRecord*>>;

UnreadMap& mapFor(UnreadTables& tables, bool isGroup) { return isGroup ? tables.byGroup : tables.byContact; }

void publishTotal(UnreadTables& tables) { variant(names::kMessagesUnread.name).setNumber(tables.total); }

template <class H>
void listConversations(const UnreadMap& map, H* handles, uint32_t* count) {
    uint32_t written = 0;
    for (auto it = map.begin(); it != map.end() && written < *count; ++it)
        if (!it->second.empty()) handles[written++] = as<H>(it->first);
    *count = written;
}

}  // namespace

void releaseUnreadLists(CoreState& state) {
    UnreadTables tables;
    std::swap(tables, state.unread);
    for (UnreadMap* map : {&tables.byGroup, &tables.byContact})
        for (auto& [key, messages] : *map)
            for (HandleRecord* message : messages) releaseHandle(message);
}

}  // namespace kestrova::api

using namespace kestrova::api;

extern "C" {

void RY_UnreadMessageAdd(HMESSAGE handle) {
    const Message& m = *body<Message>(handle);
    UnreadTables& tables = core().unread;
    std::vector<HandleRecord*>& list = mapFor(tables, m.isGroup)[m.isGroup ? m.target : m.contact];
    // NOTE: a second add of a listed message is ignored: it would count the
    // message twice and hold a reference nobody hands back.
    if (std::find(list.begin(), list.end(), record(handle)) != list.end()) return;
    duplicateHandle(record(handle));
    list.push_back(record(handle));
    ++tables.total;
    publishTotal(tables);
}

int32_t RY_GetUnreadMessageCount(void* groupOrContact, int32_t isGroup) {
    const UnreadMap& map = mapFor(core().unread, isGroup != 0);
    auto it = map.find(static_cast<HandleRecord*>(groupOrContact));
    return it == map.end() ? 0 : int32_t(it->second.size());
}

void RY_GetUnreadGroups(HGROUP* groups, uint32_t* count) { listConversations(core().unread.byGroup, groups, count); }

void RY_GetUnreadContacts(HCONTACT* contacts, uint32_t* count) {
    listConversations(core().unread.byContact, contacts, count);
}

void RY_GetUnreadMessageHandles(void* groupOrContact, int32_t isGroup, HMESSAGE* messages, uint32_t* count,
                                uint8_t remove) {
    UnreadTables& tables = core().unread;
    UnreadMap& map = mapFor(tables, isGroup != 0);
    auto it = map.find(static_cast<HandleRecord*>(groupOrContact));
    if (it == map.end()) {
        *count = 0;
        return;
    }
    std::vector<HandleRecord*>& list = it->second;
    const uint32_t written = uint32_t(std::min<size_t>(*count, list.size()));
    for (uint32_t k = 0; k < written; ++k) messages[k] = as<HMESSAGE>(list[k]);
    *count = written;
    if (!remove) return;
    // The handed-over messages leave the list with their references; those
    // that did not fit stay listed, so none is lost.
    list.erase(list.begin(), list.begin() + written);
    if (list.empty()) map.erase(it);
    tables.total -= int32_t(written);
    publishTotal(tables);
}

}  // extern "C"
