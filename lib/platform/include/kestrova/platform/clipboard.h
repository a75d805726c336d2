// The clipboard, for text. With the desktop display it is the desktop's own
// clipboard; otherwise one inside the process, which the automation reads.
// Call on the user-interface thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kestrova::platform {

// Replaces the clipboard's content. False (and nothing changes) when the text
// is not valid UTF-8 or the desktop refuses it.
bool setClipboardText(std::string_view text);
// Nothing when the clipboard holds no text.
std::optional<std::string> clipboardText();

} // namespace kestrova::platform
