// Chat groups mirrored from the server: the groups of the profile's
// "group_sub" map, changes by "GROUP UPDATE", and the stale mark that lets a
// new logon remove what the server no longer lists.
//
// groupState: 0 current, 1 being left, 100 stale (not confirmed since the
// session ended).
#pragma once

#include "contact_directory.h"
#include "contact_sync.h"
#include "session_link.h"

#include "kestrova/wire/data_map_view.h"
#include "kestrova/wire/packet.h"

#include <cstdint>
#include <string_view>

namespace kestrova::connection {

inline constexpr int32_t kGroupCurrent = 0;
inline constexpr int32_t kGroupStale = 100;
// A member whose flags carry this bit stays in the group when the server
// says it left.
inline constexpr uint32_t kMemberStays = 0x4;

class GroupSync {
public:
    GroupSync(ContactDirectory& contacts, ContactSync& contactSync, SessionLink& link);

    // The encoded "group_sub" map: group id in decimal -> group map. Each
    // applied group is announced with "groups.changed".
    void applySubscriptions(std::string_view encoded);
    void applyGroup(uint64_t id, const wire::DataMapView& group);
    // "GROUP UPDATE".
    void applyUpdate(const wire::Packet& packet);

    void setState(uint64_t id, int32_t state);
    // Every group of the table becomes stale.
    void markStale();
    // Deletes the groups still stale.
    void deleteStale();

private:
    ContactDirectory& contacts_;
    ContactSync& contactSync_;
    SessionLink& link_;
};

}  // namespace kestrova::connection
