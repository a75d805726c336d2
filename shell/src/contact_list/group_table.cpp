#include "group_table.h"

namespace kestrova::shell {

std::vector<uint64_t> groupIds() {
    std::vector<uint64_t> ids;
    uint64_t id = 0;
    if (!RY_EnumGroupsBegin(&id)) return ids;
    ids.push_back(id);
    // The identifiers are not negative, so the contacts come first and a 0
    // from Next is the end.
    while ((id = RY_EnumGroupsNext(id)) != 0)
        ids.push_back(id);
    return ids;
}

std::vector<uint64_t> chatGroupIds() {
    std::vector<uint64_t> ids = groupIds();
    std::erase(ids, kContactsGroupId);
    return ids;
}

std::string groupName(HGROUP group) {
    RY_GroupData data{};
    data.size = sizeof data;
    RY_GetGroupData(group, &data);
    return data.name ? data.name : "";
}

} // namespace kestrova::shell
