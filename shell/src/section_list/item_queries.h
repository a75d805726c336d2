// The list box's text queries (LB_GETTEXTLEN, LB_GETTEXT) as the home
// screen's owner-drawn lists answer them, so that automation reads their
// rows and tabs as it reads a list box's items.
#pragma once

#include <cstring>
#include <optional>
#include <string>

#include "kestrova/platform/list_box.h"

namespace kestrova::shell {

// text: the item's text, or nothing when there is no such item.
inline platform::LResult answerTextQuery(uint32_t message, const std::optional<std::string>& text,
                                         platform::LParam buffer) {
    if (!text) return platform::LB_ERR;
    if (message == platform::LB_GETTEXT) {
        if (!buffer) return platform::LB_ERR;
        std::memcpy(reinterpret_cast<char*>(buffer), text->c_str(), text->size() + 1);
    }
    return static_cast<platform::LResult>(text->size());
}

} // namespace kestrova::shell
