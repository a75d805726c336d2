// The desktop services SDL gives besides the display and sound: they work only
// while the SDL display runs. Without SDL they answer that nothing is there.
#pragma once

#include <optional>
#include <string>

namespace kestrova::platform::detail {

bool sdlSetClipboardText(const std::string& text);
std::optional<std::string> sdlClipboardText();

} // namespace kestrova::platform::detail
