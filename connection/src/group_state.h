// A group's state as the service functions use it: a group being left is
// marked at once, and the mark is taken back when the server refuses.
#pragma once

#include "kestrova/api.h"

#include <cstdint>

namespace kestrova::connection {

inline constexpr uint64_t kContactListGroup = 0;
inline constexpr int32_t kGroupBeingLeft = 1;

inline int32_t groupStateOf(HGROUP group) {
    RY_GroupData data{};
    data.size = sizeof data;
    RY_GetGroupData(group, &data);
    return data.groupState;
}

inline void setGroupState(HGROUP group, int32_t groupState) {
    RY_GroupData data{};
    data.size = sizeof data;
    data.flags = RY_GROUP_STATE;
    data.groupState = groupState;
    RY_SetGroupData(group, &data);
}

} // namespace kestrova::connection
