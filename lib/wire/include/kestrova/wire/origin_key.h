// The sender's own key of a message ("Origin-Key"): drawn at random once by
// the sending client and kept through every resend, so that a message the
// server relayed before it went down, and relayed again under a new id after
// the sender's client sent it anew, is still known as the same message.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kestrova::wire {

inline constexpr size_t kMaxOriginKeyDigits = 20; // 2^64 - 1 has 20

// The key in a header's text: a plain decimal number of at most
// kMaxOriginKeyDigits digits that fits 64 bits and is not 0. Anything else
// (signs, spaces, hex, leading text) is no key.
std::optional<uint64_t> parseOriginKey(std::string_view text);

} // namespace kestrova::wire
