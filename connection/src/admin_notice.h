// "GROUP ADMIN": the server tells that a member's rights in a group changed
// ("Action" becomes the member's flags). The change is also shown in the
// group's conversation as a message of type "kestrova/x-admin" whose body is
// the action (4 bytes), the member's id (8 bytes), both little-endian, and
// the member's nickname (no terminator).
#pragma once

#include "contact_directory.h"

#include "kestrova/wire/packet.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrova::connection {

inline constexpr const char kAdminNoticeType[] = "kestrova/x-admin";

std::string adminNoticeBody(int32_t action, uint64_t targetId, std::string_view nickname);

void applyGroupAdmin(ContactDirectory& contacts, const wire::Packet& packet);

}  // namespace kestrova::connection
