// Texts that come from another network and end up in packet headers or
// contact records: nicknames, roster names, addresses, status lines,
// disconnect reasons. A header value must never hold a line break or a zero
// byte (it would end the header, or start a forged one), so every such text
// passes through here on its way in.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kestrova::server::bridges {

inline constexpr size_t kMaxHeaderText = 256;

// Control characters (CR, LF, NUL, tab and the rest below 0x20, and DEL)
// become spaces, leading and trailing spaces go, and the text is cut to at
// most `maxBytes` without splitting a UTF-8 sequence.
std::string headerSafe(std::string_view text, size_t maxBytes = kMaxHeaderText);
// Whether a text may stand in a header as it is (registration fields are
// refused rather than changed).
bool isHeaderSafe(std::string_view text);
// Cuts to at most `maxBytes` without splitting a UTF-8 sequence.
std::string_view cutUtf8(std::string_view text, size_t maxBytes);

} // namespace kestrova::server::bridges
