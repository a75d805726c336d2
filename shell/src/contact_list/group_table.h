// The groups of the core API's table as the home screen walks them: in
// enumeration order, the user's contacts (identifier 0) first.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "kestrova/api.h"

namespace kestrova::shell {

inline constexpr uint64_t kContactsGroupId = 0;

// Every identifier in the table, in enumeration order.
std::vector<uint64_t> groupIds();
// Those after the user's contacts: the chat groups.
std::vector<uint64_t> chatGroupIds();
std::string groupName(HGROUP group);

} // namespace kestrova::shell
