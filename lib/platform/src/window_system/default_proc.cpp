#include <cstdlib>
#include <cstring>

#include "controls/thumb_drag.h"
#include "kestrova/platform/dc.h"
#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/scroll.h"
#include "kestrova/platform/window.h"
#include "window_system/window_system.h"

namespace kestrova::platform {
namespace {

void collectTabStops(HWND hwnd, std::vector<HWND>& out) {
    for (HWND child : childrenOf(hwnd)) {
        if (!isVisible(child) || !isEnabled(child)) continue;
        if (windowStyle(child) & WS_TABSTOP) out.push_back(child);
        collectTabStops(child, out);
    }
}

// Moves the focus to the next (or previous) tab stop inside the dialog.
void nextDialogControl(HWND dialog, bool backwards) {
    std::vector<HWND> stops;
    collectTabStops(dialog, stops);
    if (stops.empty()) return;
    HWND focus = focusWindow();
    auto it = std::find_if(stops.begin(), stops.end(), [&](HWND s) { return isDescendant(s, focus); });
    size_t index;
    if (it == stops.end()) index = backwards ? stops.size() - 1 : 0;
    else {
        size_t at = static_cast<size_t>(it - stops.begin());
        index = backwards ? (at + stops.size() - 1) % stops.size() : (at + 1) % stops.size();
    }
    setFocus(stops[index]);
}

// A window keeps its own copies of its icons, so the caller may destroy its
// icon at once. Returns 1 when the window had an icon of that size before.
LResult setIcon(HWND hwnd, WParam which, const Icon* icon) {
    auto* w = detail::find(hwnd);
    if (!w) return 0;
    auto& slot = which == ICON_BIG ? w->largeIcon : w->smallIcon;
    LResult had = slot ? 1 : 0;
    slot = icon ? std::make_shared<const Icon>(*icon) : nullptr;
    detail::markScreenChanged();
    return had;
}

LResult getIcon(HWND hwnd, WParam which) {
    auto* w = detail::find(hwnd);
    if (!w) return 0;
    return reinterpret_cast<LResult>((which == ICON_BIG ? w->largeIcon : w->smallIcon).get());
}

// The wheel scrolls a window whose vertical bar has something to scroll, by
// three lines a notch; any other window hands it to its parent.
LResult wheel(HWND hwnd, WParam wParam, LParam lParam) {
    ScrollInfo info;
    bool scrolls = (windowStyle(hwnd) & WS_VSCROLL) && getScrollInfo(hwnd, SB_VERT, info) && canScroll(info);
    if (!scrolls) {
        HWND parent = parentOf(hwnd);
        return parent ? sendMessage(parent, WM_MOUSEWHEEL, wParam, lParam) : 0;
    }
    int lines = wheelLines(wParam);
    for (int i = 0; i < std::abs(lines); ++i) sendMessage(hwnd, WM_VSCROLL, lines > 0 ? SB_LINEUP : SB_LINEDOWN, 0);
    sendMessage(hwnd, WM_VSCROLL, SB_ENDSCROLL, 0);
    return 0;
}

LResult eraseBackground(HWND hwnd, DeviceContext* dc) {
    auto* w = detail::find(hwnd);
    if (!w || !w->cls->background || !dc) return 0;
    dc->fillRect(clientRect(hwnd), Colour(*w->cls->background));
    return 1;
}

}  // namespace

LResult defWindowProc(HWND hwnd, uint32_t message, WParam wParam, LParam lParam) {
    switch (message) {
    case WM_CLOSE:
        destroyWindow(hwnd);
        return 0;
    case WM_ERASEBKGND:
        return eraseBackground(hwnd, reinterpret_cast<DeviceContext*>(wParam));
    case WM_PAINT: {
        PaintScope paint(hwnd);
        return 0;
    }
    case WM_ACTIVATE:
        if (loWord(wParam) != WA_INACTIVE && !isDescendant(hwnd, focusWindow())) setFocus(hwnd);
        return 0;
    case WM_CONTEXTMENU:
        if (HWND parent = parentOf(hwnd)) return sendMessage(parent, WM_CONTEXTMENU, wParam, lParam);
        return 0;
    case WM_NEXTDLGCTL:
        if (!lParam) nextDialogControl(hwnd, wParam != 0);
        // NOTE: a focus request for a window that is not in front (often one
        // posted before another window came up) leaves the window in front
        // alone: moving the focus would take the activation from it.
        else if (!activeWindow() || topLevelOf(hwnd) == activeWindow())
            setFocus(reinterpret_cast<HWND>(wParam));
        return 0;
    case WM_SETTEXT:
        setWindowText(hwnd, lParam ? reinterpret_cast<const char*>(lParam) : "");
        invalidateRect(hwnd, nullptr, true);
        return 1;
    case WM_GETTEXT: {
        if (wParam == 0 || !lParam) return 0;
        std::string text = windowText(hwnd);
        size_t n = std::min<size_t>(text.size(), wParam - 1);
        std::memcpy(reinterpret_cast<char*>(lParam), text.data(), n);
        reinterpret_cast<char*>(lParam)[n] = '\0';
        return static_cast<LResult>(n);
    }
    case WM_GETTEXTLENGTH:
        return static_cast<LResult>(windowText(hwnd).size());
    case WM_SETICON:
        return setIcon(hwnd, wParam, reinterpret_cast<const Icon*>(lParam));
    case WM_GETICON:
        return getIcon(hwnd, wParam);
    case WM_CAPTURECHANGED:
        detail::endThumbDrag(hwnd); // a window's own bar lets its thumb go
        return 0;
    case WM_MOUSEWHEEL:
        return wheel(hwnd, wParam, lParam);
    default:
        return 0;
    }
}

bool isDialogMessage(HWND dialog, const Msg& msg) {
    if (!msg.hwnd || !isDescendant(dialog, msg.hwnd)) return false;
    if (msg.message != WM_KEYDOWN && msg.message != WM_CHAR) return false;
    uint32_t key = static_cast<uint32_t>(msg.wParam);
    bool navigation = key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE || key == VK_UP || key == VK_DOWN ||
                      key == VK_LEFT || key == VK_RIGHT;
    if (!navigation) return false;
    if (msg.message == WM_CHAR && (key != VK_TAB && key != VK_RETURN && key != VK_ESCAPE)) return false;

    auto code = static_cast<uint32_t>(
        sendMessage(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LParam>(&msg)));
    if (code & DLGC_WANTALLKEYS) return false;
    bool arrow = key == VK_UP || key == VK_DOWN || key == VK_LEFT || key == VK_RIGHT;
    if (arrow && (code & DLGC_WANTARROWS)) return false;
    if (key == VK_TAB && (code & DLGC_WANTTAB)) return false;
    if (msg.message == WM_CHAR) return true;  // the key press was taken already

    if (arrow || key == VK_TAB) {
        bool backwards = key == VK_UP || key == VK_LEFT;
        sendMessage(dialog, WM_NEXTDLGCTL, backwards ? 1 : 0, 0);
    } else {
        sendMessage(dialog, WM_COMMAND, makeWParam(key == VK_RETURN ? IDOK : IDCANCEL, 0), 0);
    }
    return true;
}

}  // namespace kestrova::platform
