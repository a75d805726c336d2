// Update bodies travel xz-compressed. The body format spends 9 bytes on a
// copy and 5 on a literal's header, and a rebuilt binary differs from the
// old one in tens of thousands of short spots, so a raw body is mostly those
// headers and the changed bytes; LZMA takes them down to about a third. The
// server says so in the response header "Content-Encoding: xz"; a response
// without it carries the body as it is. The signature covers the raw body.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kestrova::updates {

inline constexpr char kBodyEncodingHeader[] = "Content-Encoding";
inline constexpr char kXzEncoding[] = "xz";

std::string compressBody(std::string_view body);

// The raw body, or nothing when `packed` is not one whole xz stream, has
// anything after it, or would expand beyond maxBytes.
// NOTE: this runs before the signature can be checked (it covers the raw
// body), so it is bounded in output and in the decoder's memory.
std::optional<std::string> expandBody(std::string_view packed, size_t maxBytes);

} // namespace kestrova::updates
