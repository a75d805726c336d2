// Tab controls are drawn by their owners (the tab strip, the chat mode
// selector); what the system fixes is how they are asked and how they tell:
// the tab query TCM_GETCURSEL (0x130B) answers the selected tab's index, and
// a change of selection or a key press reaches the parent as WM_NOTIFY with
// TCN_SELCHANGE or TCN_KEYDOWN.
#pragma once

#include <cstdint>

#include "kestrova/platform/messages.h"

namespace kestrova::platform {

inline constexpr uint32_t TCM_FIRST = 0x1300;
inline constexpr uint32_t TCM_GETCURSEL = 0x130B; // returns the selected index, -1 for none
inline constexpr uint32_t TCM_SETCURSEL = 0x130C; // wParam: the index; returns the previous one

// Notification codes (negative numbers, as unsigned).
inline constexpr uint32_t TCN_FIRST = 0u - 550u;
inline constexpr uint32_t TCN_KEYDOWN = TCN_FIRST - 0;
inline constexpr uint32_t TCN_SELCHANGE = TCN_FIRST - 1;
inline constexpr uint32_t TCN_SELCHANGING = TCN_FIRST - 2;

// lParam of TCN_KEYDOWN.
struct TabKeyDown {
    NotifyHeader header;
    uint16_t key = 0;
    uint32_t flags = 0;
};

// The tab query: the selected tab of the window. A window that does not
// answer the query gives 0, the default procedure's answer.
int currentTab(HWND hwnd);
// Sends the parent WM_NOTIFY with the header filled from the control.
LResult notifyTabParent(HWND tabControl, uint32_t code);

} // namespace kestrova::platform
