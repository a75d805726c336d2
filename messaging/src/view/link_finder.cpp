#include "link_finder.h"

#include <array>

namespace kestrova::messaging {
namespace {

constexpr std::array<std::string_view, 5> kPrefixes = {"www.", "ftp.", "http://", "https://", "ftp://"};

// NOTE: a link also ends at a line feed, a tab or any other control
// character, not only at a blank or carriage return: texts from other
// networks break lines with a bare line feed, and a link that ran on into
// the next line could never be opened.
bool endsLink(unsigned char c) {
    return c <= ' ' || c == 0x7F;
}

} // namespace

std::vector<std::string_view> findLinks(std::string_view body, size_t maxLinks) {
    std::vector<std::string_view> links;
    // The next occurrence of each prefix at or after the search position;
    // a prefix is searched again only once the position has passed it.
    std::array<size_t, kPrefixes.size()> next{};
    next.fill(0);
    std::array<bool, kPrefixes.size()> searched{};
    size_t position = 0;
    while (links.size() < maxLinks && position < body.size()) {
        size_t earliest = std::string_view::npos;
        for (size_t i = 0; i < kPrefixes.size(); ++i) {
            if (!searched[i] || (next[i] != std::string_view::npos && next[i] < position)) {
                next[i] = body.find(kPrefixes[i], position);
                searched[i] = true;
            }
            earliest = std::min(earliest, next[i]);
        }
        if (earliest == std::string_view::npos) break;
        size_t end = earliest;
        while (end < body.size() && !endsLink(static_cast<unsigned char>(body[end])))
            ++end;
        links.push_back(body.substr(earliest, end - earliest));
        position = end;
    }
    return links;
}

} // namespace kestrova::messaging
