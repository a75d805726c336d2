// The links in a text message, as its menu offers them: each starts at one
// of "www.", "ftp.", "http://", "https://", "ftp://" and runs to the next
// blank or line break, or to the end of the text.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace kestrova::messaging {

// A menu has room for this many links; later ones are not offered.
inline constexpr size_t kMaxLinks = 50;

// The links in the order they appear, as views into body. Linear in the
// length of the body, however many prefixes it holds.
std::vector<std::string_view> findLinks(std::string_view body, size_t maxLinks = kMaxLinks);

} // namespace kestrova::messaging
