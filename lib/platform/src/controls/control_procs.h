// The window procedures of the standard controls, registered together.
#pragma once

#include "kestrova/platform/messages.h"

namespace kestrova::platform::detail {

LResult staticProc(HWND hwnd, uint32_t message, WParam wParam, LParam lParam);
LResult editProc(HWND hwnd, uint32_t message, WParam wParam, LParam lParam);
LResult buttonProc(HWND hwnd, uint32_t message, WParam wParam, LParam lParam);
LResult listBoxProc(HWND hwnd, uint32_t message, WParam wParam, LParam lParam);
LResult comboBoxProc(HWND hwnd, uint32_t message, WParam wParam, LParam lParam);
LResult dropListProc(HWND hwnd, uint32_t message, WParam wParam, LParam lParam);
LResult scrollBarProc(HWND hwnd, uint32_t message, WParam wParam, LParam lParam);
LResult busyIndicatorProc(HWND hwnd, uint32_t message, WParam wParam, LParam lParam);

// A list box that reports LBN_DBLCLK for a single tap too (the open list of
// a drop-down list, where a tap chooses).
void setListBoxChoosesOnTap(HWND listBox);

// The class of the window that shows a drop-down list's open list.
inline constexpr char kDropListClass[] = "KestrovaDropList";

} // namespace kestrova::platform::detail
