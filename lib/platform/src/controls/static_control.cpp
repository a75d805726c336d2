#include "kestrova/platform/static_control.h"

#include "controls/control_look.h"
#include "controls/control_procs.h"
#include "kestrova/platform/dc.h"
#include "kestrova/platform/window.h"

namespace kestrova::platform::detail {
namespace {

struct StaticState : ControlBase {};

uint32_t textFlags(uint32_t style) {
    uint32_t type = style & SS_TYPEMASK;
    uint32_t flags = DT_EXPANDTABS;
    if (type == SS_LEFTNOWORDWRAP)
        flags |= DT_SINGLELINE | DT_END_ELLIPSIS;
    else
        flags |= DT_WORDBREAK;
    if (type == SS_CENTER) flags |= DT_CENTER;
    if (type == SS_RIGHT) flags |= DT_RIGHT;
    if (style & SS_NOPREFIX) flags |= DT_NOPREFIX;
    if (style & SS_CENTERIMAGE) flags = (flags & ~DT_WORDBREAK) | DT_SINGLELINE | DT_VCENTER;
    return flags;
}

void paint(HWND hwnd, StaticState& state) {
    PaintScope scope(hwnd);
    DeviceContext& dc = scope.dc();
    dc.setTextColour(isEnabled(hwnd) ? colours::kWindowText : colours::kGrayText);
    dc.selectFont(fontOf(state));
    Colour background = backgroundFor(hwnd, dc);
    Rect client = clientRect(hwnd);
    dc.fillRect(client, background);
    dc.drawText(windowText(hwnd), client, textFlags(windowStyle(hwnd)));
}

} // namespace

LResult staticProc(HWND hwnd, uint32_t message, WParam wParam, LParam lParam) {
    auto state = stateFor<StaticState>(hwnd, message);
    if (!state || message == WM_CREATE) return defWindowProc(hwnd, message, wParam, lParam);
    if (auto r = handleCommonMessage(hwnd, *state, message, wParam, lParam, {0, 0, false})) return *r;
    switch (message) {
    case WM_PAINT:
        paint(hwnd, *state);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    case WM_LBUTTONDOWN:
        if (windowStyle(hwnd) & SS_NOTIFY) notifyParent(hwnd, STN_CLICKED);
        return 0;
    default:
        return defWindowProc(hwnd, message, wParam, lParam);
    }
}

} // namespace kestrova::platform::detail
