// The body of the logon "SUB PROFILE": an optional leading IV block, the
// profile's data map, and an optional trailing block with the encrypted
// resume key. The "IV" and "RK" headers give the block lengths.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kestrova::connection {

struct ProfileFrame {
    std::string_view iv;
    std::string_view map;
    std::string_view resumeKey;
};

// nullopt when the blocks do not fit in the body (negative lengths, or
// longer together than the body).
std::optional<ProfileFrame> splitProfileBody(std::string_view body, int32_t ivLength, int32_t rkLength);

}  // namespace kestrova::connection
