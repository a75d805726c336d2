#include "controls/popup_menu_window.h"

#include <algorithm>

#include "devices/display_internal.h"
#include "kestrova/platform/dc.h"
#include "kestrova/platform/menu.h"
#include "kestrova/platform/menu_bar.h"
#include "kestrova/platform/modal.h"
#include "kestrova/platform/screen.h"
#include "kestrova/platform/scroll.h"
#include "kestrova/platform/window.h"

namespace kestrova::platform {
namespace {

constexpr char kClass[] = "KestrovaPopupMenu";

struct MenuSession {
    HMENU menu;
    std::vector<MenuItem> items;
    int selected = -1;
    int top = 0;  // the first row shown: a menu taller than the screen scrolls
    int result = 0;
    bool done = false;
    int rowHeight = 20;
};

bool selectable(const MenuItem& item) { return !(item.flags & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED)); }

MenuSession* sessionOf(HWND hwnd) { return reinterpret_cast<MenuSession*>(userData(hwnd)); }

int shownRows(HWND hwnd, const MenuSession& s) {
    return std::max(1, (clientRect(hwnd).height() - 2) / s.rowHeight);
}

void scrollTo(HWND hwnd, MenuSession& s, int top) {
    int last = std::max(0, static_cast<int>(s.items.size()) - shownRows(hwnd, s));
    s.top = std::clamp(top, 0, last);
    invalidateRect(hwnd, nullptr, true);
}

// Keeps the selected row on the screen.
void showSelection(HWND hwnd, MenuSession& s) {
    if (s.selected < s.top)
        scrollTo(hwnd, s, s.selected);
    else if (s.selected >= s.top + shownRows(hwnd, s))
        scrollTo(hwnd, s, s.selected - shownRows(hwnd, s) + 1);
}

void moveSelection(HWND hwnd, MenuSession& s, int step) {
    int n = static_cast<int>(s.items.size());
    for (int i = 1; i <= n; ++i) {
        int candidate = ((s.selected < 0 ? (step > 0 ? -1 : 0) : s.selected) + step * i + n * 2) % n;
        if (selectable(s.items[candidate])) {
            s.selected = candidate;
            break;
        }
    }
    showSelection(hwnd, s);
    invalidateRect(hwnd, nullptr, true);
}

void choose(HWND hwnd, MenuSession& s) {
    if (s.selected < 0 || !selectable(s.items[s.selected])) return;
    const MenuItem& item = s.items[s.selected];
    if (item.popup) {
        Rect r = windowRect(hwnd);
        int command =
            runPopupMenu(item.popup, TPM_RETURNCMD, {r.left + 16, r.top + (s.selected - s.top) * s.rowHeight}, hwnd);
        if (!command) return;
        s.result = command;
    } else {
        s.result = static_cast<int>(item.id);
    }
    s.done = true;
}

void paint(HWND hwnd, MenuSession& s) {
    PaintScope scope(hwnd);
    DeviceContext& dc = scope.dc();
    Rect client = clientRect(hwnd);
    dc.fillRect(client, colours::kWindow);
    dc.frameRect(client, colours::kDarkShadow);
    dc.selectFont(chromeFontForMenus());
    int end = std::min(static_cast<int>(s.items.size()), s.top + shownRows(hwnd, s));
    for (int i = s.top; i < end; ++i) {
        const MenuItem& item = s.items[static_cast<size_t>(i)];
        Rect row = Rect::ofSize(1, 1 + (i - s.top) * s.rowHeight, client.width() - 2, s.rowHeight);
        if (item.flags & MF_SEPARATOR) {
            dc.drawLine({row.left + 4, row.top + s.rowHeight / 2}, {row.right - 4, row.top + s.rowHeight / 2},
                        colours::kShadow);
            continue;
        }
        bool highlighted = i == s.selected;
        if (highlighted) dc.fillRect(row, colours::kHighlight);
        dc.setTextColour(!selectable(item) ? colours::kGrayText
                         : highlighted     ? colours::kHighlightText
                                           : colours::kWindowText);
        if (item.flags & MF_CHECKED) dc.drawText("\u2713", row.inset(4, 0), DT_SINGLELINE | DT_VCENTER);
        dc.drawText(item.text, Rect{row.left + 18, row.top, row.right - 14, row.bottom}, DT_SINGLELINE | DT_VCENTER);
        if (item.popup) dc.drawText("\u25B8", Rect{row.left, row.top, row.right - 4, row.bottom}, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
    }
    // Rows hidden above or below: a small arrow in that corner says so.
    dc.setTextColour(colours::kGrayText);
    Rect corners = client.inset(4, 0);
    if (s.top > 0) dc.drawText("\u25B4", corners, DT_SINGLELINE | DT_TOP | DT_RIGHT);
    if (end < static_cast<int>(s.items.size())) dc.drawText("\u25BE", corners, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT);
}

LResult menuProc(HWND hwnd, uint32_t message, WParam wParam, LParam lParam) {
    MenuSession* s = sessionOf(hwnd);
    if (message == WM_CREATE) {
        setUserData(hwnd, reinterpret_cast<intptr_t>(reinterpret_cast<CreateParams*>(lParam)->createParam));
        return 0;
    }
    if (!s) return defWindowProc(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_PAINT:
        paint(hwnd, *s);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
        switch (wParam) {
        case VK_UP: moveSelection(hwnd, *s, -1); break;
        case VK_DOWN: moveSelection(hwnd, *s, 1); break;
        case VK_RETURN:
        case VK_F1:
        case VK_RIGHT: choose(hwnd, *s); break;
        case VK_ESCAPE:
        case VK_F2:
        case VK_LEFT: s->done = true; break;
        default: break;
        }
        return 0;
    case WM_COMMAND:
        // The soft keys while the menu is open: Select and Cancel.
        if (loWord(wParam) == IDOK) choose(hwnd, *s);
        else s->done = true;
        return 0;
    case WM_MOUSEWHEEL:
        scrollTo(hwnd, *s, s->top - wheelLines(wParam));
        return 0;
    case WM_LBUTTONDOWN: {
        int row = s->top + (yOf(lParam) - 1) / s->rowHeight;
        if (row >= 0 && row < static_cast<int>(s->items.size())) {
            s->selected = row;
            choose(hwnd, *s);
        }
        return 0;
    }
    case WM_ACTIVATE:
        // Clicking elsewhere dismisses the menu, as on the device.
        if (loWord(wParam) == WA_INACTIVE && !isDescendant(hwnd, reinterpret_cast<HWND>(lParam)) &&
            ownerOf(reinterpret_cast<HWND>(lParam)) != hwnd)
            s->done = true;
        return defWindowProc(hwnd, message, wParam, lParam);
    default:
        return defWindowProc(hwnd, message, wParam, lParam);
    }
}

Rect placement(const MenuSession& s, uint32_t flags, Point at) {
    int width = 60;
    for (auto& item : s.items) width = std::max(width, measureText(chromeFontForMenus(), stripMnemonics(item.text)).width + 40);
    Rect area = workArea();
    width = std::min(width, area.width());
    // Whole rows only: a taller menu scrolls.
    int rowsThatFit = std::max(1, (area.height() - 2) / s.rowHeight);
    int height = std::min(static_cast<int>(s.items.size()), rowsThatFit) * s.rowHeight + 2;
    int x = (flags & TPM_RIGHTALIGN) ? at.x - width : at.x;
    int y = (flags & TPM_BOTTOMALIGN) ? at.y - height : at.y;
    x = std::clamp(x, area.left, area.right - width);
    y = std::clamp(y, area.top, area.bottom - height);
    return Rect::ofSize(x, y, width, height);
}

}  // namespace

const Font& chromeFontForMenus() { return detail::chromeFont(); }

int runPopupMenu(HMENU menu, uint32_t flags, Point at, HWND owner) {
    registerClass({kClass, menuProc, 0, std::nullopt});
    MenuSession session;
    session.menu = menu;
    for (int i = 0; i < menuItemCount(menu); ++i) session.items.push_back(*menuItem(menu, i, MF_BYPOSITION));
    if (session.items.empty()) return 0;
    session.rowHeight = detail::chromeFont().lineHeight() + 6;
    HWND previousFocus = focusWindow();
    UniqueWindow window(createWindow({kClass, "", WS_POPUP, placement(session, flags, at), nullptr, owner, 0, &session}));
    if (!window) return 0;
    moveSelection(window.get(), session, 1);
    createMenuBar(window.get(), {{"Select", IDOK}, {"Cancel", IDCANCEL}});
    showWindow(window.get(), SW_SHOW);
    runModalLoop(session.done);
    setUserData(window.get(), 0);
    window.reset();
    if (isWindow(previousFocus)) setFocus(previousFocus);
    return session.result;
}

}  // namespace kestrova::platform
