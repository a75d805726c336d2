#include "input_button.h"

#include "kestrova/platform/window.h"

namespace kestrova::messaging {

using namespace kestrova::platform;

namespace {
constexpr Colour kFace = rgb(192, 192, 192);
}

bool InputButton::make(HWND parent, const Rect& rect, uintptr_t id) {
    return create(label(), WS_CHILD | WS_VISIBLE | WS_TABSTOP, rect, parent, nullptr, id);
}

void InputButton::onPaint(HWND hwnd) {
    PaintScope scope(hwnd);
    DeviceContext& dc = scope.dc();
    Rect client = clientRect(hwnd);
    dc.fillRect(client, kFace);
    dc.drawEdge(client, sunken() ? Edge::kSunken : Edge::kRaised);
    dc.selectFont(metrics_.boldFont);
    dc.setTextColour(colours::kWindowText);
    dc.drawText(label(), client, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (focusWindow() == hwnd) dc.frameRect(client.inset(4, 4), colours::kDarkShadow);
}

LResult InputButton::onGetDialogCode(HWND, const Msg*) {
    return DLGC_WANTARROWS | DLGC_WANTALLKEYS;
}

void InputButton::onKey(HWND hwnd, uint32_t key, bool down, int, uint32_t flags) {
    bool autoRepeat = down && (flags & kKeyWasDown);
    if (autoRepeat) return;
    if (onActionKey(key, down) || !down) return;
    switch (key) {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_ESCAPE:
    case VK_BACK:
        sendMessage(parentOf(hwnd), WM_KEYDOWN, key, 0);
        return;
    case VK_UP:
    case VK_DOWN:
        sendMessage(parentOf(hwnd), WM_NEXTDLGCTL, key == VK_UP ? 1 : 0, 0);
        return;
    default:
        return;
    }
}

void InputButton::onSetFocus(HWND hwnd, HWND) {
    invalidateRect(hwnd, nullptr, false);
}

void InputButton::onKillFocus(HWND hwnd, HWND) {
    invalidateRect(hwnd, nullptr, false);
}

// The window's text follows the label, so automation reads what is shown.
void InputButton::repaintNow() {
    setWindowText(hwnd(), label());
    invalidateRect(hwnd(), nullptr, false);
    updateWindow(hwnd());
}

} // namespace kestrova::messaging
