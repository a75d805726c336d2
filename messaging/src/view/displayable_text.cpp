#include "displayable_text.h"

#include <glib.h>

namespace kestrova::messaging {

std::string displayableText(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    while (!bytes.empty()) {
        const gchar* end = nullptr;
        g_utf8_validate(bytes.data(), static_cast<gssize>(bytes.size()), &end);
        size_t good = static_cast<size_t>(end - bytes.data());
        out.append(bytes.substr(0, good));
        if (good == bytes.size()) break;
        // A NUL is valid UTF-8 to us but ends the text for Pango; both it and
        // a damaged byte become the replacement character.
        out += "\xEF\xBF\xBD";
        bytes.remove_prefix(good + 1);
    }
    return out;
}

} // namespace kestrova::messaging
