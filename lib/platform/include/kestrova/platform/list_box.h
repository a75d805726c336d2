// The list box ("LISTBOX"): rows of text, each with a number of its own
// (item data) and, optionally, an icon. Up/Down, Page Up/Page Down,
// Home/End move the selection and scroll it into view; in a dialog Up on
// the first row and Down on the last move the focus on. A tap selects, a
// double tap also reports LBN_DBLCLK; the wheel scrolls without selecting.
// With LBS_NOTIFY the parent hears LBN_SELCHANGE for every change the user
// makes (not for LB_SETCURSEL), LBN_DBLCLK, LBN_SETFOCUS and LBN_KILLFOCUS.
// Texts are UTF-8; a "\n" in an item starts a second line, drawn in grey,
// when the rows are tall enough (LB_SETITEMHEIGHT).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "kestrova/platform/messages.h"

namespace kestrova::platform {

class Icon;

inline constexpr char kListBoxClass[] = "LISTBOX";

inline constexpr uint32_t LBS_NOTIFY = 0x0001;
inline constexpr uint32_t LBS_SORT = 0x0002;
inline constexpr uint32_t LBS_NOINTEGRALHEIGHT = 0x0100;
inline constexpr uint32_t LBS_HASSTRINGS = 0x0040;

inline constexpr uint32_t LB_ADDSTRING = 0x0180;    // lParam: const char*; returns the index
inline constexpr uint32_t LB_INSERTSTRING = 0x0181; // wParam: index (-1 the end), lParam: const char*
inline constexpr uint32_t LB_DELETESTRING = 0x0182; // returns the count left
inline constexpr uint32_t LB_RESETCONTENT = 0x0184;
inline constexpr uint32_t LB_SETCURSEL = 0x0186; // wParam: index, -1 for none
inline constexpr uint32_t LB_GETCURSEL = 0x0188;
inline constexpr uint32_t LB_GETTEXT = 0x0189;    // wParam index, lParam char* big enough (LB_GETTEXTLEN + 1)
inline constexpr uint32_t LB_GETTEXTLEN = 0x018A; // bytes
inline constexpr uint32_t LB_GETCOUNT = 0x018B;
inline constexpr uint32_t LB_SELECTSTRING = 0x018C; // wParam start (-1 all), lParam prefix; selects it
inline constexpr uint32_t LB_GETTOPINDEX = 0x018E;
inline constexpr uint32_t LB_FINDSTRING = 0x018F; // prefix, case-insensitive
inline constexpr uint32_t LB_SETTOPINDEX = 0x0197;
inline constexpr uint32_t LB_GETITEMRECT = 0x0198; // lParam: Rect*
inline constexpr uint32_t LB_GETITEMDATA = 0x0199;
inline constexpr uint32_t LB_SETITEMDATA = 0x019A;
inline constexpr uint32_t LB_SETITEMHEIGHT = 0x01A0; // lParam: pixels
inline constexpr uint32_t LB_GETITEMHEIGHT = 0x01A1;
inline constexpr uint32_t LB_FINDSTRINGEXACT = 0x01A2;
inline constexpr uint32_t LB_SETITEMICON =
    0x01B8; // ours: wParam index, lParam const Icon* (copied; null removes)

inline constexpr LResult LB_ERR = -1;

inline constexpr int LBN_SELCHANGE = 1;
inline constexpr int LBN_DBLCLK = 2;
inline constexpr int LBN_SELCANCEL = 3;
inline constexpr int LBN_SETFOCUS = 4;
inline constexpr int LBN_KILLFOCUS = 5;

// Typed helpers over the messages of list boxes and drop-down lists alike.
int addItem(HWND control, std::string_view text);
std::vector<std::string> itemTexts(HWND control);
// The selected index, -1 for none (list box or drop-down list).
int selectedItem(HWND control);
// Selects as the user would: the parent hears LBN_SELCHANGE / CBN_SELCHANGE
// when the selection changed. False for an index out of range.
bool chooseItem(HWND control, int index);

} // namespace kestrova::platform
