// The drop-down list ("COMBOBOX" with CBS_DROPDOWNLIST): one line showing
// the chosen item between two arrows. Left and Right cycle through the items
// (wrapping round); Enter, the action key, or a tap opens the whole list on
// the screen, where Up/Down and Enter or a tap choose and Back cancels.
// The parent hears CBN_SELCHANGE for every choice the user makes (not for
// CB_SETCURSEL), CBN_DROPDOWN and CBN_CLOSEUP around the open list,
// CBN_SELENDOK / CBN_SELENDCANCEL, CBN_SETFOCUS and CBN_KILLFOCUS.
#pragma once

#include <cstdint>

#include "kestrova/platform/messages.h"

namespace kestrova::platform {

inline constexpr char kComboBoxClass[] = "COMBOBOX";

inline constexpr uint32_t CBS_SIMPLE = 0x1;
inline constexpr uint32_t CBS_DROPDOWN = 0x2;
inline constexpr uint32_t CBS_DROPDOWNLIST = 0x3;
inline constexpr uint32_t CBS_SORT = 0x100;

inline constexpr uint32_t CB_ADDSTRING = 0x0143;
inline constexpr uint32_t CB_DELETESTRING = 0x0144;
inline constexpr uint32_t CB_GETCOUNT = 0x0146;
inline constexpr uint32_t CB_GETCURSEL = 0x0147;
inline constexpr uint32_t CB_GETLBTEXT = 0x0148;
inline constexpr uint32_t CB_GETLBTEXTLEN = 0x0149;
inline constexpr uint32_t CB_INSERTSTRING = 0x014A;
inline constexpr uint32_t CB_RESETCONTENT = 0x014B;
inline constexpr uint32_t CB_FINDSTRING = 0x014C;
inline constexpr uint32_t CB_SELECTSTRING = 0x014D;
inline constexpr uint32_t CB_SETCURSEL = 0x014E;
inline constexpr uint32_t CB_SHOWDROPDOWN = 0x014F; // wParam: 1 opens the list, 0 closes it (no choice)
inline constexpr uint32_t CB_GETITEMDATA = 0x0150;
inline constexpr uint32_t CB_SETITEMDATA = 0x0151;
inline constexpr uint32_t CB_GETDROPPEDSTATE = 0x0157;
inline constexpr uint32_t CB_FINDSTRINGEXACT = 0x0158;

inline constexpr LResult CB_ERR = -1;

inline constexpr int CBN_SELCHANGE = 1;
inline constexpr int CBN_DBLCLK = 2;
inline constexpr int CBN_SETFOCUS = 3;
inline constexpr int CBN_KILLFOCUS = 4;
inline constexpr int CBN_DROPDOWN = 7;
inline constexpr int CBN_CLOSEUP = 8;
inline constexpr int CBN_SELENDOK = 9;
inline constexpr int CBN_SELENDCANCEL = 10;

// The window showing the open list of a drop-down list, or null.
HWND droppedList(HWND comboBox);

} // namespace kestrova::platform
