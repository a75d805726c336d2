#include "kestrova/platform/button.h"

#include "controls/control_look.h"
#include "controls/control_procs.h"
#include "kestrova/platform/dc.h"
#include "kestrova/platform/screen.h"
#include "kestrova/platform/window.h"

namespace kestrova::platform {
namespace detail {
namespace {

struct ButtonState : ControlBase {
    int check = BST_UNCHECKED;
    bool pushed = false;
};

uint32_t typeOf(HWND hwnd) {
    return windowStyle(hwnd) & BS_TYPEMASK;
}
bool isAutomatic(HWND hwnd) {
    return typeOf(hwnd) == BS_AUTOCHECKBOX || typeOf(hwnd) == BS_AUTO3STATE;
}
bool isBox(HWND hwnd) {
    return typeOf(hwnd) >= BS_CHECKBOX && typeOf(hwnd) <= BS_AUTO3STATE;
}

void setCheck(HWND hwnd, ButtonState& s, int check) {
    if (s.check == check) return;
    s.check = check;
    invalidateRect(hwnd, nullptr, false);
}

// What a tap, Space or Enter does: an automatic box turns to its next
// state, and the parent hears of the click.
void click(HWND hwnd, ButtonState& s) {
    if (isAutomatic(hwnd)) {
        int states = typeOf(hwnd) == BS_AUTO3STATE ? 3 : 2;
        setCheck(hwnd, s, (s.check + 1) % states);
    }
    notifyParent(hwnd, BN_CLICKED);
}

void drawBox(DeviceContext& dc, const Rect& box, int check, bool enabled) {
    dc.fillRect(box, enabled ? colours::kWindow : look::kDisabledField);
    int line = controlLine();
    for (int i = 0; i < line; ++i)
        dc.frameRect(box.inset(i, i), look::kFieldBorder);
    Colour mark = enabled ? look::kMark : colours::kGrayText;
    if (check == BST_INDETERMINATE) {
        dc.fillRect(box.inset(box.width() / 4, box.height() / 4), mark);
        return;
    }
    if (check != BST_CHECKED) return;
    // A tick of two strokes, drawn in the box's own proportions.
    int w = box.width(), h = box.height(), stroke = std::max(2, w / 7);
    Point a{box.left + w * 2 / 9, box.top + h / 2};
    Point b{box.left + w * 4 / 9, box.top + h * 3 / 4 - 1};
    Point c{box.left + w * 7 / 9, box.top + h / 4};
    dc.drawLine(a, b, mark, stroke);
    dc.drawLine(b, c, mark, stroke);
}

void paintCheckBox(HWND hwnd, ButtonState& s, DeviceContext& dc) {
    Rect client = clientRect(hwnd);
    bool focused = focusWindow() == hwnd, enabled = isEnabled(hwnd);
    dc.setTextColour(enabled ? colours::kWindowText : colours::kGrayText);
    dc.selectFont(fontOf(s));
    Colour background = backgroundFor(hwnd, dc);
    dc.fillRect(client, focused ? look::kFocusBand : background);
    int pad = controlPadding();
    int size = std::min(client.height() - 2 * pad, screenDpi() / 10 + 1);
    Rect box = Rect::ofSize(client.left + pad, client.top + (client.height() - size) / 2, size, size);
    drawBox(dc, box, s.check, enabled);
    Rect text{box.right + 2 * pad, client.top, client.right - pad, client.bottom};
    dc.drawText(windowText(hwnd), text, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
}

void paintPushButton(HWND hwnd, ButtonState& s, DeviceContext& dc) {
    Rect client = clientRect(hwnd);
    bool focused = focusWindow() == hwnd, enabled = isEnabled(hwnd);
    dc.fillGradient(client, s.pushed ? rgb(200, 210, 225) : rgb(250, 250, 252),
                    s.pushed ? rgb(225, 232, 242) : rgb(222, 226, 234), GradientDirection::kVertical);
    int line = controlLine();
    Colour border = focused ? look::kFocusBorder : look::kFieldBorder;
    for (int i = 0; i < (focused ? 2 * line : line); ++i)
        dc.frameRect(client.inset(i, i), border);
    dc.selectFont(fontOf(s));
    dc.setTextColour(enabled ? colours::kWindowText : colours::kGrayText);
    dc.drawText(windowText(hwnd), client, DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_END_ELLIPSIS);
}

LResult dialogCode(HWND hwnd, const Msg* msg) {
    LResult code = DLGC_BUTTON | (typeOf(hwnd) == BS_DEFPUSHBUTTON ? LResult{DLGC_DEFPUSHBUTTON} : 0);
    // The action key presses the focused button or box.
    if (msg && msg->wParam == VK_RETURN) code |= DLGC_WANTMESSAGE;
    return code;
}

void onKey(HWND hwnd, ButtonState& s, uint32_t message, WParam key) {
    if (message == WM_KEYDOWN && key == VK_RETURN) click(hwnd, s);
    if (message == WM_CHAR && key == U' ') click(hwnd, s);
}

void onPointer(HWND hwnd, ButtonState& s, uint32_t message) {
    if (message == WM_LBUTTONDOWN) {
        setFocus(hwnd);
        setCapture(hwnd);
        s.pushed = true;
        invalidateRect(hwnd, nullptr, false);
        return;
    }
    if (captureWindow() != hwnd) return;
    releaseCapture();
    s.pushed = false;
    invalidateRect(hwnd, nullptr, false);
    click(hwnd, s);
}

} // namespace

LResult buttonProc(HWND hwnd, uint32_t message, WParam wParam, LParam lParam) {
    auto s = stateFor<ButtonState>(hwnd, message);
    if (!s || message == WM_CREATE) return defWindowProc(hwnd, message, wParam, lParam);
    if (auto r = handleCommonMessage(hwnd, *s, message, wParam, lParam,
                                     {BN_SETFOCUS, BN_KILLFOCUS, (windowStyle(hwnd) & BS_NOTIFY) != 0}))
        return *r;
    switch (message) {
    case WM_PAINT: {
        PaintScope scope(hwnd);
        if (isBox(hwnd))
            paintCheckBox(hwnd, *s, scope.dc());
        else
            paintPushButton(hwnd, *s, scope.dc());
        return 0;
    }
    case BM_GETCHECK:
        return isBox(hwnd) ? s->check : BST_UNCHECKED;
    case BM_SETCHECK:
        if (isBox(hwnd))
            setCheck(hwnd, *s,
                     static_cast<int>(wParam) == BST_INDETERMINATE ? BST_INDETERMINATE
                     : wParam                                      ? BST_CHECKED
                                                                   : BST_UNCHECKED);
        return 0;
    case BM_GETSTATE:
        return (isBox(hwnd) ? s->check : 0) | (s->pushed ? 0x4 : 0) | (focusWindow() == hwnd ? 0x8 : 0);
    case BM_SETSTATE:
        s->pushed = wParam != 0;
        invalidateRect(hwnd, nullptr, false);
        return 0;
    case BM_CLICK:
        click(hwnd, *s);
        return 0;
    case WM_GETDLGCODE:
        return dialogCode(hwnd, reinterpret_cast<const Msg*>(lParam));
    case WM_KEYDOWN:
    case WM_CHAR:
        onKey(hwnd, *s, message, wParam);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        onPointer(hwnd, *s, message);
        return 0;
    default:
        return defWindowProc(hwnd, message, wParam, lParam);
    }
}

} // namespace detail

bool isCheckBox(HWND button) {
    if (className(button) != kButtonClass) return false;
    uint32_t type = windowStyle(button) & BS_TYPEMASK;
    return type >= BS_CHECKBOX && type <= BS_AUTO3STATE;
}

} // namespace kestrova::platform
