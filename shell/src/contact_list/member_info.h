// What a group page knows of one member while its row lives: the contact
// with its fields, its flags in the group, its place and its distance,
// read once when the page is rebuilt (any change rebuilds the page).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "kestrova/api.h"
#include "kestrova/kit/handles.h"
#include "member_rules.h"

namespace kestrova::shell {

struct MemberInfo {
    kit::OwnedContact contact;
    uint32_t memberFlags = 0;
    HSERVICE service = nullptr; // held by the contact
    uint64_t contactId = 0;
    std::string nickname;
    std::string statusText;
    int32_t presence = RY_PRESENCE_OFFLINE;
    RY_LocationData location{}; // flags 0 when the contact has none
    std::optional<float> distance;

    MemberSection section() const { return chooseSection(presence, memberFlags, distance); }
    // The place line is shown for members who are not offline.
    bool showsPlace() const { return presence != RY_PRESENCE_OFFLINE && hasPlaceName(location); }
};

// Reads the contact (a new reference is taken) and, for a member who is not
// offline and has a position, its distance from the user.
MemberInfo readMember(HCONTACT contact, uint32_t memberFlags);

} // namespace kestrova::shell
