// The standard controls of the platform: static label, edit (single-line,
// multi-line, password; "CAPEDIT" capitalises), button and check box, list
// box, drop-down list, scroll bar and busy indicator. Each is a window class
// registered by the platform and driven by its messages; each reports to its
// parent with WM_COMMAND (control id in the low word, notification code in
// the high word, the control's handle in lParam). Controls draw themselves at
// the screen's dpi in the control font, or the font WM_SETFONT gave them
// (wParam: const Font*, kept as a copy).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "kestrova/platform/busy_indicator.h"
#include "kestrova/platform/button.h"
#include "kestrova/platform/combo_box.h"
#include "kestrova/platform/edit.h"
#include "kestrova/platform/geometry.h"
#include "kestrova/platform/list_box.h"
#include "kestrova/platform/messages.h"
#include "kestrova/platform/scroll.h"
#include "kestrova/platform/static_control.h"
#include "kestrova/platform/tab_control.h"

namespace kestrova::platform {

// A child control of the parent; WS_CHILD is added to the style.
HWND createControl(std::string_view className, std::string_view text, uint32_t style, const Rect& rect,
                   HWND parent, uintptr_t controlId);

// The answer to WM_CTLCOLORSTATIC (wParam: the control's DeviceContext*,
// lParam: the control): a parent that wants another background returns
// controlColour(rgb(...)) and may set the DC's text colour; 0 keeps the
// default.
constexpr LResult controlColour(uint32_t rgbValue) {
    return static_cast<LResult>(0x1000000u | (rgbValue & 0xFFFFFFu));
}
constexpr std::optional<uint32_t> controlColourOf(LResult answer) {
    if ((static_cast<uint64_t>(answer) & ~0xFFFFFFull) != 0x1000000u) return std::nullopt;
    return static_cast<uint32_t>(answer & 0xFFFFFF);
}

} // namespace kestrova::platform
