// Protocol commands for the standard controls: texts, check states, items
// and selections, scroll positions.
#include <algorithm>
#include <cstdio>

#include "automation/protocol_text.h"
#include "kestrova/platform/controls.h"
#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/window.h"

namespace kestrova::platform::detail {
namespace {

bool isItemControl(HWND hwnd) {
    std::string cls = className(hwnd);
    return cls == kListBoxClass || cls == kComboBoxClass;
}

bool isEdit(HWND hwnd) {
    std::string cls = className(hwnd);
    return cls == kEditClass || cls == kCapEditClass;
}

// A window drawn by its owner as a list (the contact list, the overview, a
// tab strip) answers the list box's item queries, and is read the same way.
bool answersItemQueries(HWND hwnd) { return sendMessage(hwnd, LB_GETCOUNT) > 0; }

std::string items(HWND hwnd) {
    if (!isItemControl(hwnd) && !answersItemQueries(hwnd)) return "ERR not a list";
    std::string out = "OK";
    for (auto& text : itemTexts(hwnd))
        out += " " + quote(text);
    return out;
}

std::string selection(HWND hwnd) {
    if (isEdit(hwnd)) {
        auto [start, end] = editSelection(hwnd);
        return "OK " + std::to_string(start) + " " + std::to_string(end);
    }
    if (isItemControl(hwnd)) return "OK " + std::to_string(selectedItem(hwnd));
    // Anything else is asked the tab query, and a tab strip answers it;
    // other owner-drawn lists answer the list box's.
    if (currentTab(hwnd) == 0 && answersItemQueries(hwnd))
        return "OK " + std::to_string(sendMessage(hwnd, LB_GETCURSEL));
    return "OK " + std::to_string(currentTab(hwnd));
}

std::string select(HWND hwnd, const Args& a) {
    auto first = parseInt(a[2]);
    auto second = a.size() > 3 ? parseInt(a[3]) : std::optional<int>();
    if (!first || (a.size() > 3 && !second)) return "ERR bad number";
    if (isEdit(hwnd) && second) {
        setEditSelection(hwnd, *first, *second);
        return "OK";
    }
    if (second) return "ERR cannot select";
    if (isItemControl(hwnd)) return chooseItem(hwnd, *first) ? "OK" : "ERR no such item";
    if (!answersItemQueries(hwnd)) return "ERR cannot select";
    return sendMessage(hwnd, LB_SETCURSEL, static_cast<WParam>(*first)) == *first ? "OK" : "ERR no such item";
}

std::string describeEdit(HWND hwnd) {
    if (!isEdit(hwnd)) return "ERR not an edit";
    auto [start, end] = editSelection(hwnd);
    char out[160];
    std::snprintf(out, sizeof out, "OK sel=%d,%d limit=%d mode=%d password=%d readonly=%d lines=%d first=%d",
                  start, end, static_cast<int>(sendMessage(hwnd, EM_GETLIMITTEXT)),
                  static_cast<int>(sendMessage(hwnd, EM_GETINPUTMODE)), isPasswordEdit(hwnd) ? 1 : 0,
                  (windowStyle(hwnd) & ES_READONLY) ? 1 : 0,
                  static_cast<int>(sendMessage(hwnd, EM_GETLINECOUNT)),
                  static_cast<int>(sendMessage(hwnd, EM_GETFIRSTVISIBLELINE)));
    return out;
}

std::string scrollState(HWND hwnd, const Args& a) {
    int bar = a.size() > 2 && a[2] == "h" ? SB_HORZ : className(hwnd) == kScrollBarClass ? SB_CTL : SB_VERT;
    ScrollInfo info;
    getScrollInfo(hwnd, bar, info);
    char out[96];
    std::snprintf(out, sizeof out, "OK pos=%d min=%d max=%d page=%u", info.pos, info.min, info.max,
                  info.page);
    return out;
}

std::string checkCommand(HWND hwnd, const Args& a) {
    if (!isCheckBox(hwnd)) return "ERR not a check box";
    if (a[0] == "check") return "OK " + std::to_string(sendMessage(hwnd, BM_GETCHECK));
    auto state = parseInt(a.size() > 2 ? a[2] : "");
    if (!state || *state < 0 || *state > 2) return "ERR bad state";
    sendMessage(hwnd, BM_SETCHECK, static_cast<WParam>(*state));
    return "OK";
}

} // namespace

std::string controlCommand(const Args& a) {
    static const std::vector<std::string> names = {"settext",   "check",  "setcheck", "click", "items",
                                                   "selection", "select", "edit",     "scroll"};
    if (std::find(names.begin(), names.end(), a[0]) == names.end()) return {};
    if (a.size() < 2) return "ERR missing window";
    auto h = windowArg(a[1]);
    if (!h) return "ERR no such window";
    const std::string& c = a[0];
    if (c == "settext" && a.size() == 3) {
        sendMessage(*h, WM_SETTEXT, 0, reinterpret_cast<LParam>(a[2].c_str()));
        return "OK";
    }
    if (c == "check" || (c == "setcheck" && a.size() == 3)) return checkCommand(*h, a);
    if (c == "click") {
        if (className(*h) != kButtonClass) return "ERR not a button";
        sendMessage(*h, BM_CLICK);
        return "OK";
    }
    if (c == "items") return items(*h);
    if (c == "selection") return selection(*h);
    if (c == "select" && (a.size() == 3 || a.size() == 4)) return select(*h, a);
    if (c == "edit") return describeEdit(*h);
    if (c == "scroll") return scrollState(*h, a);
    return "ERR bad arguments";
}

} // namespace kestrova::platform::detail
