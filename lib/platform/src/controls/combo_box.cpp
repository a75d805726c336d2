#include "kestrova/platform/combo_box.h"
#include "kestrova/platform/controls.h"

#include <cairo.h>

#include <algorithm>

#include "controls/control_look.h"
#include "controls/control_procs.h"
#include "controls/item_list.h"
#include "kestrova/platform/dc.h"
#include "kestrova/platform/list_box.h"
#include "kestrova/platform/menu_bar.h"
#include "kestrova/platform/screen.h"
#include "kestrova/platform/window.h"

namespace kestrova::platform {
namespace detail {
namespace {

// Posted by the open list to its drop-down list: wParam the chosen index,
// or -1 when the list was cancelled.
constexpr uint32_t kCloseList = WM_USER + 1;
constexpr uintptr_t kListId = 100;

struct ComboState : ControlBase {
    ItemList items;
    HWND dropped = nullptr;
};

std::optional<ItemOp> itemOpOf(uint32_t message) {
    switch (message) {
    case CB_ADDSTRING:
        return ItemOp::kAdd;
    case CB_INSERTSTRING:
        return ItemOp::kInsert;
    case CB_DELETESTRING:
        return ItemOp::kDelete;
    case CB_RESETCONTENT:
        return ItemOp::kReset;
    case CB_GETLBTEXT:
        return ItemOp::kGetText;
    case CB_GETLBTEXTLEN:
        return ItemOp::kGetTextLength;
    case CB_GETCOUNT:
        return ItemOp::kCount;
    case CB_FINDSTRING:
        return ItemOp::kFind;
    case CB_FINDSTRINGEXACT:
        return ItemOp::kFindExact;
    case CB_GETITEMDATA:
        return ItemOp::kGetData;
    case CB_SETITEMDATA:
        return ItemOp::kSetData;
    default:
        return std::nullopt;
    }
}

int arrowWidth(HWND hwnd) {
    return clientRect(hwnd).height() * 3 / 5;
}

void userSelect(HWND hwnd, ComboState& s, int index) {
    if (index == s.items.selected() || !s.items.valid(index)) return;
    s.items.select(index);
    invalidateRect(hwnd, nullptr, false);
    notifyParent(hwnd, CBN_SELCHANGE);
}

void cycle(HWND hwnd, ComboState& s, int step) {
    int n = s.items.count();
    if (n == 0) return;
    int from = s.items.selected() < 0 ? (step > 0 ? -1 : 0) : s.items.selected();
    userSelect(hwnd, s, ((from + step) % n + n) % n);
}

bool isDropped(const ComboState& s) {
    return s.dropped && isWindow(s.dropped);
}

// The whole list on the screen, as the phone shows a choice: over the work
// area, with Select and Cancel on the soft keys.
void openList(HWND hwnd, ComboState& s) {
    if (isDropped(s) || s.items.count() == 0) return;
    notifyParent(hwnd, CBN_DROPDOWN);
    s.dropped = createWindow({kDropListClass, "", WS_POPUP, workArea(), nullptr, topLevelOf(hwnd), 0, hwnd});
    if (!s.dropped) return;
    HWND list = childById(s.dropped, kListId);
    sendMessage(list, WM_SETFONT, reinterpret_cast<WParam>(&fontOf(s)), 0);
    for (int i = 0; i < s.items.count(); ++i) {
        int at = addItem(list, s.items.at(i).text);
        if (s.items.at(i).icon)
            sendMessage(list, LB_SETITEMICON, static_cast<WParam>(at),
                        reinterpret_cast<LParam>(s.items.at(i).icon.get()));
    }
    sendMessage(list, LB_SETCURSEL, static_cast<WParam>(std::max(0, s.items.selected())));
    createMenuBar(s.dropped, {{"Select", IDOK}, {"Cancel", IDCANCEL}});
    showWindow(s.dropped, SW_SHOW);
    setFocus(list);
}

void closeList(HWND hwnd, ComboState& s, int chosen) {
    if (!isDropped(s)) return;
    HWND dropped = std::exchange(s.dropped, nullptr);
    destroyWindow(dropped);
    setFocus(hwnd);
    notifyParent(hwnd, chosen >= 0 ? CBN_SELENDOK : CBN_SELENDCANCEL);
    notifyParent(hwnd, CBN_CLOSEUP);
    if (chosen >= 0) userSelect(hwnd, s, chosen);
}

void fillTriangle(DeviceContext& dc, Point a, Point b, Point c, Colour colour) {
    cairo_t* cr = dc.cairo();
    cairo_set_source_rgb(cr, colour.r / 255.0, colour.g / 255.0, colour.b / 255.0);
    cairo_move_to(cr, a.x, a.y);
    cairo_line_to(cr, b.x, b.y);
    cairo_line_to(cr, c.x, c.y);
    cairo_close_path(cr);
    cairo_fill(cr);
}

// Arrows at both ends say that Left and Right change the choice.
void drawArrows(DeviceContext& dc, const Rect& client, int width, Colour colour) {
    int h = client.height(), mid = client.top + h / 2, half = std::max(3, h / 5),
        depth = std::max(4, h * 3 / 10);
    int lx = client.left + (width - depth) / 2, rx = client.right - (width - depth) / 2;
    fillTriangle(dc, {lx, mid}, {lx + depth, mid - half}, {lx + depth, mid + half}, colour);
    fillTriangle(dc, {rx, mid}, {rx - depth, mid - half}, {rx - depth, mid + half}, colour);
}

void paint(HWND hwnd, ComboState& s) {
    PaintScope scope(hwnd);
    DeviceContext& dc = scope.dc();
    Rect client = clientRect(hwnd);
    bool focused = focusWindow() == hwnd || isDropped(s), enabled = isEnabled(hwnd);
    drawField(dc, client, focused, enabled);
    int arrows = arrowWidth(hwnd);
    if (s.items.count() > 1)
        drawArrows(dc, client, arrows,
                   enabled ? (focused ? look::kFocusBorder : look::kMark) : colours::kGrayText);
    if (!s.items.valid(s.items.selected())) return;
    dc.selectFont(fontOf(s));
    dc.setTextColour(enabled ? colours::kWindowText : colours::kGrayText);
    Rect text{client.left + arrows, client.top, client.right - arrows, client.bottom};
    std::string shown = s.items.at(s.items.selected()).text;
    dc.drawText(shown.substr(0, shown.find('\n')), text,
                DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

LResult dialogCode(const Msg* msg) {
    LResult code = DLGC_WANTCHARS;
    if (!msg) return code | DLGC_WANTARROWS;
    if (msg->wParam == VK_LEFT || msg->wParam == VK_RIGHT) return code | DLGC_WANTARROWS;
    if (msg->wParam == VK_RETURN) return code | DLGC_WANTMESSAGE;
    return code;
}

void onKeyDown(HWND hwnd, ComboState& s, uint32_t key) {
    if (key == VK_LEFT)
        cycle(hwnd, s, -1);
    else if (key == VK_RIGHT)
        cycle(hwnd, s, 1);
    else if (key == VK_RETURN)
        openList(hwnd, s);
}

void onTap(HWND hwnd, ComboState& s, LParam lParam) {
    setFocus(hwnd);
    int x = xOf(lParam), arrows = arrowWidth(hwnd);
    if (x < arrows && s.items.count() > 1)
        cycle(hwnd, s, -1);
    else if (x >= clientRect(hwnd).right - arrows && s.items.count() > 1)
        cycle(hwnd, s, 1);
    else
        openList(hwnd, s);
}

std::optional<LResult> onComboMessage(HWND hwnd, ComboState& s, uint32_t message, WParam wParam,
                                      LParam lParam) {
    int index = static_cast<int>(static_cast<intptr_t>(wParam));
    if (auto op = itemOpOf(message)) {
        LResult r = handleItemMessage(s.items, *op, wParam, lParam, windowStyle(hwnd) & CBS_SORT);
        invalidateRect(hwnd, nullptr, false);
        return r;
    }
    switch (message) {
    case CB_GETCURSEL:
        return s.items.selected();
    case CB_SETCURSEL: {
        bool ok = s.items.select(s.items.valid(index) ? index : -1) && s.items.valid(index);
        invalidateRect(hwnd, nullptr, false);
        return ok ? index : CB_ERR;
    }
    case CB_SELECTSTRING: {
        int found = s.items.find(index, lParam ? reinterpret_cast<const char*>(lParam) : "", false);
        if (found >= 0) s.items.select(found);
        invalidateRect(hwnd, nullptr, false);
        return found;
    }
    case CB_SHOWDROPDOWN:
        if (wParam)
            openList(hwnd, s);
        else
            closeList(hwnd, s, -1);
        return 1;
    case CB_GETDROPPEDSTATE:
        return isDropped(s) ? 1 : 0;
    case kCloseList:
        closeList(hwnd, s, static_cast<int>(static_cast<intptr_t>(wParam)));
        return 0;
    default:
        return std::nullopt;
    }
}

} // namespace

LResult comboBoxProc(HWND hwnd, uint32_t message, WParam wParam, LParam lParam) {
    auto s = stateFor<ComboState>(hwnd, message);
    if (!s || message == WM_CREATE) return defWindowProc(hwnd, message, wParam, lParam);
    if (auto r = handleCommonMessage(hwnd, *s, message, wParam, lParam,
                                     {CBN_SETFOCUS, CBN_KILLFOCUS, !isDropped(*s)}))
        return *r;
    if (auto r = onComboMessage(hwnd, *s, message, wParam, lParam)) return *r;
    switch (message) {
    case WM_PAINT:
        paint(hwnd, *s);
        return 0;
    case WM_GETDLGCODE:
        return dialogCode(reinterpret_cast<const Msg*>(lParam));
    case WM_KEYDOWN:
        onKeyDown(hwnd, *s, static_cast<uint32_t>(wParam));
        return 0;
    case WM_LBUTTONDOWN:
        onTap(hwnd, *s, lParam);
        return 0;
    case WM_DESTROY:
        if (isDropped(*s)) destroyWindow(std::exchange(s->dropped, nullptr));
        return 0;
    default:
        return defWindowProc(hwnd, message, wParam, lParam);
    }
}

// The open list: a list box over the work area. Enter, Select, a tap choose;
// Back and Cancel close it without a choice. The answer is posted to the
// drop-down list, which then destroys this window.
LResult dropListProc(HWND hwnd, uint32_t message, WParam wParam, LParam lParam) {
    auto combo = [hwnd] { return reinterpret_cast<HWND>(userData(hwnd)); };
    auto answer = [&](int index) {
        postMessage(combo(), kCloseList, static_cast<WParam>(static_cast<intptr_t>(index)));
    };
    HWND list = childById(hwnd, kListId);
    switch (message) {
    case WM_CREATE: {
        auto* params = reinterpret_cast<const CreateParams*>(lParam);
        setUserData(hwnd, reinterpret_cast<intptr_t>(params->createParam));
        HWND created =
            createControl(kListBoxClass, "", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY,
                          Rect::ofSize(0, 0, params->rect.width(), params->rect.height()), hwnd, kListId);
        setListBoxChoosesOnTap(created);
        return 0;
    }
    case WM_SIZE:
        moveWindow(list, Rect::ofSize(0, 0, loWord(static_cast<uintptr_t>(lParam)),
                                      hiWord(static_cast<uintptr_t>(lParam))));
        return 0;
    case WM_COMMAND: {
        // The soft keys and the dialog keys come without a control; the list
        // tells of a tap (or double tap) with LBN_DBLCLK.
        bool fromList = lParam == reinterpret_cast<LParam>(list);
        if (fromList ? hiWord(wParam) == LBN_DBLCLK : loWord(wParam) == IDOK)
            answer(static_cast<int>(sendMessage(list, LB_GETCURSEL)));
        else if (!fromList && loWord(wParam) == IDCANCEL)
            answer(-1);
        return 0;
    }
    default:
        return defWindowProc(hwnd, message, wParam, lParam);
    }
}

} // namespace detail

HWND droppedList(HWND comboBox) {
    auto s = detail::controlStateOf<detail::ComboState>(comboBox);
    return s && detail::isDropped(*s) ? s->dropped : nullptr;
}

} // namespace kestrova::platform
