#include "kestrova/platform/list_box.h"

#include <algorithm>

#include "controls/control_look.h"
#include "controls/control_procs.h"
#include "controls/item_list.h"
#include "kestrova/platform/combo_box.h"
#include "kestrova/platform/dc.h"
#include "kestrova/platform/scroll.h"
#include "kestrova/platform/window.h"

namespace kestrova::platform {
namespace detail {
namespace {

struct ListBoxState : ControlBase {
    ItemList items;
    int top = 0;
    int itemHeight = 0; // 0: one line of the font with padding
    bool chooseOnTap = false;
};

std::optional<ItemOp> itemOpOf(uint32_t message) {
    switch (message) {
    case LB_ADDSTRING:
        return ItemOp::kAdd;
    case LB_INSERTSTRING:
        return ItemOp::kInsert;
    case LB_DELETESTRING:
        return ItemOp::kDelete;
    case LB_RESETCONTENT:
        return ItemOp::kReset;
    case LB_GETTEXT:
        return ItemOp::kGetText;
    case LB_GETTEXTLEN:
        return ItemOp::kGetTextLength;
    case LB_GETCOUNT:
        return ItemOp::kCount;
    case LB_FINDSTRING:
        return ItemOp::kFind;
    case LB_FINDSTRINGEXACT:
        return ItemOp::kFindExact;
    case LB_GETITEMDATA:
        return ItemOp::kGetData;
    case LB_SETITEMDATA:
        return ItemOp::kSetData;
    default:
        return std::nullopt;
    }
}

int rowHeight(const ListBoxState& s) {
    return s.itemHeight > 0 ? s.itemHeight : fontOf(s).lineHeight() + 2 * controlPadding();
}

int visibleRows(HWND hwnd, const ListBoxState& s) {
    return std::max(1, clientRect(hwnd).height() / rowHeight(s));
}

void setTop(HWND hwnd, ListBoxState& s, int top) {
    int last = std::max(0, s.items.count() - visibleRows(hwnd, s));
    s.top = std::clamp(top, 0, last);
    if (windowStyle(hwnd) & WS_VSCROLL) {
        ScrollInfo info;
        info.mask = SIF_RANGE | SIF_PAGE | SIF_POS;
        info.max = std::max(0, s.items.count() - 1);
        info.page = static_cast<unsigned>(visibleRows(hwnd, s));
        info.pos = s.top;
        setScrollInfo(hwnd, SB_VERT, info);
    }
    invalidateRect(hwnd, nullptr, false);
}

void showSelection(HWND hwnd, ListBoxState& s) {
    int sel = s.items.selected();
    int top = s.top, rows = visibleRows(hwnd, s);
    if (sel >= 0 && sel < top)
        top = sel;
    else if (sel >= top + rows)
        top = sel - rows + 1;
    setTop(hwnd, s, top);
}

void select(HWND hwnd, ListBoxState& s, int index) {
    s.items.select(index);
    showSelection(hwnd, s);
}

// A change the user made: the parent hears it when the style asks.
void userSelect(HWND hwnd, ListBoxState& s, int index) {
    index = s.items.count() == 0 ? -1 : std::clamp(index, 0, s.items.count() - 1);
    bool changed = index != s.items.selected();
    select(hwnd, s, index);
    if (changed && (windowStyle(hwnd) & LBS_NOTIFY)) notifyParent(hwnd, LBN_SELCHANGE);
}

void onKeyDown(HWND hwnd, ListBoxState& s, uint32_t key) {
    int sel = s.items.selected(), page = std::max(1, visibleRows(hwnd, s) - 1);
    switch (key) {
    case VK_UP:
        userSelect(hwnd, s, sel < 0 ? 0 : sel - 1);
        break;
    case VK_DOWN:
        userSelect(hwnd, s, sel + 1);
        break;
    case VK_PRIOR:
        userSelect(hwnd, s, sel - page);
        break;
    case VK_NEXT:
        userSelect(hwnd, s, sel + page);
        break;
    case VK_HOME:
        userSelect(hwnd, s, 0);
        break;
    case VK_END:
        userSelect(hwnd, s, s.items.count() - 1);
        break;
    default:
        break;
    }
}

void onChar(HWND hwnd, ListBoxState& s, char32_t c) {
    if (c < 0x20 || c >= 0x80) return;
    char text[2] = {static_cast<char>(c), 0};
    int found = s.items.find(s.items.selected(), text, false);
    if (found >= 0) userSelect(hwnd, s, found);
}

LResult dialogCode(const ListBoxState& s, const Msg* msg) {
    LResult code = DLGC_WANTCHARS;
    if (!msg || msg->message != WM_KEYDOWN) return code | DLGC_WANTARROWS;
    int sel = s.items.selected(), last = s.items.count() - 1;
    // At either end the arrow is left to the dialog, which moves the focus on.
    if (msg->wParam == VK_UP && sel > 0) return code | DLGC_WANTARROWS;
    if (msg->wParam == VK_DOWN && sel < last) return code | DLGC_WANTARROWS;
    return code;
}

void onTap(HWND hwnd, ListBoxState& s, uint32_t message, LParam lParam) {
    if (focusWindow() != hwnd) setFocus(hwnd);
    int row = s.top + yOf(lParam) / rowHeight(s);
    if (!s.items.valid(row)) return;
    userSelect(hwnd, s, row);
    if (message == WM_LBUTTONDBLCLK || s.chooseOnTap) notifyParent(hwnd, LBN_DBLCLK);
}

void scrollRows(HWND hwnd, ListBoxState& s, WParam request) {
    if (auto top = scrollTarget(request, s.top, 1, visibleRows(hwnd, s))) setTop(hwnd, s, *top);
}

void paintRow(DeviceContext& dc, const ListBoxState& s, const ListItem& item, const Rect& row, bool selected,
              bool focused, bool enabled) {
    if (selected) dc.fillRect(row, focused ? colours::kHighlight : look::kFocusBand);
    int pad = controlPadding();
    int x = row.left + 2 * pad;
    if (item.icon) {
        int y = row.top + (row.height() - item.icon->height()) / 2;
        dc.drawIcon(*item.icon, {x, y}, !enabled);
        x += item.icon->width() + 2 * pad;
    }
    Colour text = !enabled              ? colours::kGrayText
                  : selected && focused ? colours::kHighlightText
                                        : colours::kWindowText;
    Rect area{x, row.top, row.right - pad, row.bottom};
    auto lineBreak = item.text.find('\n');
    if (lineBreak == std::string::npos || row.height() < 2 * fontOf(s).lineHeight()) {
        dc.setTextColour(text);
        dc.drawText(item.text.substr(0, lineBreak), area,
                    DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
        return;
    }
    int line = fontOf(s).lineHeight(), top = row.top + (row.height() - 2 * line) / 2;
    dc.setTextColour(text);
    dc.drawText(item.text.substr(0, lineBreak), Rect{area.left, top, area.right, top + line},
                DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    dc.setTextColour(selected && focused ? colours::kHighlightText : colours::kGrayText);
    dc.drawText(item.text.substr(lineBreak + 1), Rect{area.left, top + line, area.right, top + 2 * line},
                DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void paint(HWND hwnd, ListBoxState& s) {
    PaintScope scope(hwnd);
    DeviceContext& dc = scope.dc();
    Rect client = clientRect(hwnd);
    bool focused = focusWindow() == hwnd, enabled = isEnabled(hwnd);
    dc.fillRect(client, enabled ? colours::kWindow : look::kDisabledField);
    dc.selectFont(fontOf(s));
    int height = rowHeight(s);
    for (int i = s.top; i < s.items.count(); ++i) {
        Rect row = Rect::ofSize(0, (i - s.top) * height, client.width(), height);
        if (row.top >= client.bottom) break;
        paintRow(dc, s, s.items.at(i), row, i == s.items.selected(), focused, enabled);
    }
    if (windowStyle(hwnd) & WS_BORDER)
        for (int i = 0; i < controlLine(); ++i)
            dc.frameRect(client.inset(i, i), focused ? look::kFocusBorder : look::kFieldBorder);
}

std::optional<LResult> onListMessage(HWND hwnd, ListBoxState& s, uint32_t message, WParam wParam,
                                     LParam lParam) {
    int index = static_cast<int>(static_cast<intptr_t>(wParam));
    if (auto op = itemOpOf(message)) {
        LResult r = handleItemMessage(s.items, *op, wParam, lParam, windowStyle(hwnd) & LBS_SORT);
        if (*op != ItemOp::kGetText && *op != ItemOp::kGetTextLength && *op != ItemOp::kCount &&
            *op != ItemOp::kFind && *op != ItemOp::kFindExact && *op != ItemOp::kGetData)
            setTop(hwnd, s, s.top);
        return r;
    }
    switch (message) {
    case LB_SETCURSEL:
        if (!s.items.valid(index)) {
            select(hwnd, s, -1);
            return LB_ERR;
        }
        select(hwnd, s, index);
        return index;
    case LB_GETCURSEL:
        return s.items.selected();
    case LB_SELECTSTRING: {
        int found = s.items.find(index, lParam ? reinterpret_cast<const char*>(lParam) : "", false);
        if (found >= 0) select(hwnd, s, found);
        return found;
    }
    case LB_GETTOPINDEX:
        return s.top;
    case LB_SETTOPINDEX:
        setTop(hwnd, s, index);
        return 0;
    case LB_GETITEMRECT:
        if (!s.items.valid(index) || !lParam) return LB_ERR;
        *reinterpret_cast<Rect*>(lParam) =
            Rect::ofSize(0, (index - s.top) * rowHeight(s), clientRect(hwnd).width(), rowHeight(s));
        return 1;
    case LB_SETITEMHEIGHT:
        s.itemHeight = std::max(1, static_cast<int>(lParam));
        setTop(hwnd, s, s.top);
        return 0;
    case LB_GETITEMHEIGHT:
        return rowHeight(s);
    case LB_SETITEMICON:
        if (!s.items.valid(index)) return LB_ERR;
        s.items.at(index).icon =
            lParam ? std::make_shared<Icon>(*reinterpret_cast<const Icon*>(lParam)) : nullptr;
        invalidateRect(hwnd, nullptr, false);
        return 0;
    default:
        return std::nullopt;
    }
}

} // namespace

void setListBoxChoosesOnTap(HWND listBox) {
    if (auto s = controlStateOf<ListBoxState>(listBox)) s->chooseOnTap = true;
}

LResult listBoxProc(HWND hwnd, uint32_t message, WParam wParam, LParam lParam) {
    auto s = stateFor<ListBoxState>(hwnd, message);
    if (!s || message == WM_CREATE) return defWindowProc(hwnd, message, wParam, lParam);
    if (auto r = handleCommonMessage(hwnd, *s, message, wParam, lParam, {LBN_SETFOCUS, LBN_KILLFOCUS}))
        return *r;
    if (auto r = onListMessage(hwnd, *s, message, wParam, lParam)) return *r;
    switch (message) {
    case WM_PAINT:
        paint(hwnd, *s);
        return 0;
    case WM_GETDLGCODE:
        return dialogCode(*s, reinterpret_cast<const Msg*>(lParam));
    case WM_KEYDOWN:
        onKeyDown(hwnd, *s, static_cast<uint32_t>(wParam));
        return 0;
    case WM_CHAR:
        onChar(hwnd, *s, static_cast<char32_t>(wParam));
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        onTap(hwnd, *s, message, lParam);
        return 0;
    case WM_VSCROLL:
        scrollRows(hwnd, *s, wParam);
        return 0;
    case WM_MOUSEWHEEL:
        setTop(hwnd, *s, s->top - wheelLines(wParam));
        return 0;
    case WM_SIZE:
        showSelection(hwnd, *s);
        return 0;
    default:
        return defWindowProc(hwnd, message, wParam, lParam);
    }
}

} // namespace detail

namespace {

// The same requests have other numbers in a drop-down list.
struct ItemMessages {
    uint32_t add, count, getText, getTextLength, getSelection, setSelection;
    int selectionChange;
    bool notifies;
};

ItemMessages messagesOf(HWND control) {
    if (className(control) == kComboBoxClass)
        return {CB_ADDSTRING, CB_GETCOUNT,  CB_GETLBTEXT,  CB_GETLBTEXTLEN,
                CB_GETCURSEL, CB_SETCURSEL, CBN_SELCHANGE, true};
    return {LB_ADDSTRING, LB_GETCOUNT,  LB_GETTEXT,    LB_GETTEXTLEN,
            LB_GETCURSEL, LB_SETCURSEL, LBN_SELCHANGE, (windowStyle(control) & LBS_NOTIFY) != 0};
}

std::string itemText(HWND control, const ItemMessages& m, int index) {
    LResult length = sendMessage(control, m.getTextLength, static_cast<WParam>(index));
    if (length < 0) return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    sendMessage(control, m.getText, static_cast<WParam>(index), reinterpret_cast<LParam>(text.data()));
    text.resize(static_cast<size_t>(length));
    return text;
}

} // namespace

int addItem(HWND control, std::string_view text) {
    std::string copy(text);
    return static_cast<int>(
        sendMessage(control, messagesOf(control).add, 0, reinterpret_cast<LParam>(copy.c_str())));
}

std::vector<std::string> itemTexts(HWND control) {
    ItemMessages m = messagesOf(control);
    std::vector<std::string> out;
    auto count = sendMessage(control, m.count);
    for (int i = 0; i < count; ++i)
        out.push_back(itemText(control, m, i));
    return out;
}

int selectedItem(HWND control) {
    return static_cast<int>(sendMessage(control, messagesOf(control).getSelection));
}

bool chooseItem(HWND control, int index) {
    ItemMessages m = messagesOf(control);
    if (index < 0 || index >= sendMessage(control, m.count)) return false;
    if (selectedItem(control) == index) return true;
    sendMessage(control, m.setSelection, static_cast<WParam>(index));
    if (m.notifies) detail::notifyParent(control, m.selectionChange);
    return true;
}

} // namespace kestrova::platform
