#include "controls/control_look.h"

#include "devices/display_internal.h"
#include "kestrova/platform/controls.h"
#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/screen.h"

namespace kestrova::platform::detail {

int controlPadding() {
    return screenDpi() / 40;
}
int controlLine() {
    return screenDpi() > 180 ? 2 : 1;
}

std::optional<LResult> handleCommonMessage(HWND hwnd, ControlBase& state, uint32_t message, WParam wParam,
                                           LParam lParam, FocusNotes focus) {
    switch (message) {
    case WM_GETFONT:
        return reinterpret_cast<LResult>(&fontOf(state));
    case WM_SETFONT: {
        const Font* font = reinterpret_cast<const Font*>(wParam);
        state.font = font ? *font : Font();
        if (lParam) invalidateRect(hwnd, nullptr, true);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_ENABLE:
        invalidateRect(hwnd, nullptr, false);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        invalidateRect(hwnd, nullptr, false);
        if (focus.send) notifyParent(hwnd, message == WM_SETFOCUS ? focus.gained : focus.lost);
        return 0;
    default:
        return std::nullopt;
    }
}

const Font& fontOf(const ControlBase& state) {
    return state.font.valid() ? state.font : chromeFont();
}

void drawField(DeviceContext& dc, const Rect& rect, bool focused, bool enabled, bool readOnly) {
    int line = controlLine();
    Colour fill = !enabled ? look::kDisabledField : readOnly ? look::kReadOnlyField : colours::kWindow;
    dc.fillRect(rect, fill);
    Colour border = focused ? look::kFocusBorder : look::kFieldBorder;
    for (int i = 0; i < line; ++i)
        dc.frameRect(rect.inset(i, i), border);
    // A focused field gets a second ring, so the focus is seen at a glance.
    if (focused)
        for (int i = line; i < 2 * line; ++i)
            dc.frameRect(rect.inset(i, i), look::kFocusBand);
}

Colour backgroundFor(HWND control, DeviceContext& dc) {
    HWND parent = parentOf(control);
    LResult asked = parent ? sendMessage(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WParam>(&dc),
                                         reinterpret_cast<LParam>(control))
                           : 0;
    if (auto colour = controlColourOf(asked)) return *colour;
    Window* p = find(parent);
    if (p && p->cls->background) return Colour(*p->cls->background);
    return colours::kWindow;
}

void notifyParent(HWND control, int code) {
    HWND parent = parentOf(control);
    if (!parent) return;
    sendMessage(parent, WM_COMMAND, makeWParam(static_cast<int>(controlIdOf(control)), code),
                reinterpret_cast<LParam>(control));
}

} // namespace kestrova::platform::detail
