// A text message's body comes from any peer: the view searches it for links
// to offer in its menu and makes it fit to draw.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "displayable_text.h"
#include "link_finder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1024 * 1024) return 0;
    std::string_view body(reinterpret_cast<const char*>(data), size);
    for (std::string_view link : kestrova::messaging::findLinks(body)) {
        // Every link lies inside the body, starts at a prefix and holds no blank.
        if (link.data() < body.data() || link.data() + link.size() > body.data() + body.size())
            __builtin_trap();
        if (link.find(' ') != std::string_view::npos) __builtin_trap();
        kestrova::messaging::displayableText(link);
    }
    kestrova::messaging::displayableText(body);
    return 0;
}
