// What the home screen's rows draw with: their colours, the program's own
// icons (loaded once per name and size), an icon centred in its cell and a
// line of text that says how far it reached.
#pragma once

#include <string_view>

#include "kestrova/platform/dc.h"
#include "kestrova/platform/icon.h"

namespace kestrova::shell {

namespace rowColours {
inline constexpr platform::Colour kSelection{187, 206, 225};
inline constexpr platform::Colour kText{0, 0, 0};
inline constexpr platform::Colour kGrey{124, 125, 127};
inline constexpr platform::Colour kPlace{62, 62, 58};
inline constexpr platform::Colour kAdmin{192, 0, 0};
inline constexpr platform::Colour kModerator{0, 192, 0};
inline constexpr platform::Colour kLightGrey{192, 192, 192};
} // namespace rowColours

// One of the program's icons at size by size pixels; null when the program
// has none by that name. Kept for the life of the process.
const platform::Icon* programIcon(std::string_view name, int size);
// The same, by number.
const platform::Icon* programIcon(uint32_t number, int size);

// Draws the icon centred in cell (nothing for a null icon).
void drawCentredIcon(platform::DeviceContext& dc, const platform::Icon* icon, const platform::Rect& cell,
                     bool disabled = false);

// Draws one line of text from x in the band [top, top + height), vertically
// centred and cut with an ellipsis at right. Returns where the text ended.
int drawTextLine(platform::DeviceContext& dc, std::string_view text, int x, int top, int right, int height,
                 const platform::Font& font, platform::Colour colour);

} // namespace kestrova::shell
