// A group administration notice ("kestrova/x-admin"): who did what to whom.
// Its body is the action (4 bytes, little-endian; the view reads the first),
// the member's id (8 bytes) and the member's name from byte 12 to a NUL or
// the end of the body.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrova::messaging {

inline constexpr char kAdminNoticeType[] = "kestrova/x-admin";

struct AdminNotice {
    uint8_t action = 0;
    std::string member; // valid UTF-8 (a damaged name shows U+FFFD)
};

// A body too short for the action reads as action 0 ("reset"); one too
// short for a name has an empty name.
AdminNotice parseAdminNotice(std::string_view body);

// "<actor> <what was done> <member>"; an action without a word leaves two
// blanks between the names.
std::string adminNoticeText(std::string_view actor, const AdminNotice& notice);

} // namespace kestrova::messaging
