// What the standard controls share: their colours and sizes (derived from
// the screen's dpi so they read well at 131 and at 192 dpi), their font, the
// field frame they draw, and the notifications they send their parent.
#pragma once

#include <optional>

#include "kestrova/platform/dc.h"
#include "kestrova/platform/messages.h"
#include "window_system/window_system.h"

namespace kestrova::platform::detail {

namespace look {
inline constexpr Colour kFieldBorder = rgb(127, 146, 170);
inline constexpr Colour kFocusBorder = colours::kHighlight;
inline constexpr Colour kDisabledField = rgb(236, 236, 236);
inline constexpr Colour kReadOnlyField = rgb(246, 246, 246);
inline constexpr Colour kInactiveSelection = rgb(200, 200, 200);
// The band behind a focused row or check box: the system's selection blue.
inline constexpr Colour kFocusBand = rgb(187, 206, 225);
inline constexpr Colour kMark = rgb(30, 60, 120);
} // namespace look

// Inner spacing of fields and rows: 3 pixels at 131 dpi, 4 at 192.
int controlPadding();
// Width of frame lines: 1 pixel up to 180 dpi, then 2.
int controlLine();

// State every standard control keeps: the font WM_SETFONT gave it.
struct ControlBase : ControlState {
    Font font;
};

// The start of every control's procedure: its state, made at WM_CREATE;
// null for a window that has none.
template <typename T> std::shared_ptr<T> stateFor(HWND hwnd, uint32_t message) {
    if (message == WM_CREATE) setControlState(hwnd, std::make_shared<T>());
    return controlStateOf<T>(hwnd);
}

// The notifications a control sends when it gains and loses the focus.
struct FocusNotes {
    int gained = 0;
    int lost = 0;
    bool send = true;
};

// What every control answers alike: WM_SETFONT (wParam: const Font*, null
// for the default) and WM_GETFONT; no separate erase, since it paints its
// whole client area; a redraw when enabled or disabled; a redraw and its
// notification when it gains or loses the focus. nullopt for anything else.
std::optional<LResult> handleCommonMessage(HWND hwnd, ControlBase& state, uint32_t message, WParam wParam,
                                           LParam lParam, FocusNotes focus);
// The control's font: its own, else the system's control font for the dpi.
const Font& fontOf(const ControlBase& state);

// The white field with its frame: highlighted when focused, grey when disabled.
void drawField(DeviceContext& dc, const Rect& rect, bool focused, bool enabled, bool readOnly = false);
// What the parent asks a static or check box to stand on (WM_CTLCOLORSTATIC,
// else the parent's class background, else the window colour). The DC's text
// colour may have been changed by the parent.
Colour backgroundFor(HWND control, DeviceContext& dc);

// WM_COMMAND (id, code) with the control's handle, sent to its parent.
void notifyParent(HWND control, int code);

} // namespace kestrova::platform::detail
