// The edit control ("EDIT", and "CAPEDIT", which can capitalise what is
// typed). Positions count characters (Unicode code points), not bytes.
//
// Keys: Left/Right move the caret (Ctrl: by word), Home/End to the line's
// ends (Ctrl: the text's), Up/Down/Page Up/Page Down by lines in a multi-line
// edit; with Shift held they extend the selection. Back (the phone's Back key,
// VK_ESCAPE) and Backspace delete the selection or the character before the
// caret; Back is taken only while the edit has text, so in an empty field it
// still leaves the screen. Delete removes the character after the caret,
// Ctrl+A selects everything. Enter: a single-line edit leaves it to the
// dialog (IDOK); a multi-line edit inserts a line break ("\r\n") with
// ES_WANTRETURN, and otherwise only with Shift or Ctrl held. In a dialog a
// single-line edit lets Up and Down move the focus; a multi-line one does so
// from its first and last line.
//
// Clipboard and undo: Ctrl+C copies the selection, Ctrl+X cuts it, Ctrl+V
// pastes over it, Ctrl+Z undoes the last change and, pressed again, redoes
// it. The keys send the edit WM_COPY, WM_CUT, WM_PASTE and WM_UNDO, which a
// program may send as well (and WM_CLEAR, which deletes the selection).
// Typing or deleting on at one place is one step to undo; WM_SETTEXT starts
// afresh. A read-only edit only copies; a password edit never gives its text
// to the clipboard. A paste is held to the same rules as typing: the limit,
// the case styles, digits only (a text with anything else is refused whole,
// so "12.5" does not turn into "125"); in a single-line edit each line
// break becomes a space.
//
// Notifications: EN_SETFOCUS, EN_KILLFOCUS, EN_UPDATE and then EN_CHANGE
// (after every change of the text, by the user or by WM_SETTEXT), EN_MAXTEXT
// (input cut at the limit), EN_VSCROLL / EN_HSCROLL (the view moved).
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "kestrova/platform/messages.h"

namespace kestrova::platform {

inline constexpr char kEditClass[] = "EDIT";
inline constexpr char kCapEditClass[] = "CAPEDIT";

inline constexpr uint32_t ES_LEFT = 0x0000;
inline constexpr uint32_t ES_CENTER = 0x0001;
inline constexpr uint32_t ES_RIGHT = 0x0002;
inline constexpr uint32_t ES_MULTILINE = 0x0004;
inline constexpr uint32_t ES_UPPERCASE = 0x0008;
inline constexpr uint32_t ES_LOWERCASE = 0x0010;
inline constexpr uint32_t ES_PASSWORD = 0x0020;
inline constexpr uint32_t ES_AUTOVSCROLL = 0x0040;
inline constexpr uint32_t ES_AUTOHSCROLL = 0x0080;
inline constexpr uint32_t ES_NOHIDESEL = 0x0100;
inline constexpr uint32_t ES_READONLY = 0x0800;
inline constexpr uint32_t ES_WANTRETURN = 0x1000;
inline constexpr uint32_t ES_NUMBER = 0x2000;

inline constexpr uint32_t EM_GETSEL =
    0x00B0; // wParam/lParam: int* start, int* end (may be null); returns makeLParam(start, end)
inline constexpr uint32_t EM_SETSEL =
    0x00B1; // wParam anchor, lParam caret; -1 / -1 = the end; anchor -1 clears
inline constexpr uint32_t EM_SCROLL = 0x00B5;     // wParam: SB_LINEUP ... SB_PAGEDOWN
inline constexpr uint32_t EM_LINESCROLL = 0x00B6; // lParam: lines to scroll
inline constexpr uint32_t EM_SCROLLCARET = 0x00B7;
inline constexpr uint32_t EM_GETMODIFY = 0x00B8;
inline constexpr uint32_t EM_SETMODIFY = 0x00B9;
inline constexpr uint32_t EM_GETLINECOUNT = 0x00BA;
inline constexpr uint32_t EM_LINEINDEX = 0x00BB; // wParam line (-1: the caret's); returns its first character
inline constexpr uint32_t EM_LINELENGTH = 0x00C1;
inline constexpr uint32_t EM_REPLACESEL =
    0x00C2; // wParam 1: can be undone (else the undo step is dropped); lParam: const char* UTF-8, cut at the limit
inline constexpr uint32_t EM_LIMITTEXT = 0x00C5;  // wParam: characters, 0 for the default
inline constexpr uint32_t EM_SETLIMITTEXT = EM_LIMITTEXT;
inline constexpr uint32_t EM_CANUNDO = 0x00C6;
inline constexpr uint32_t EM_UNDO = 0x00C7; // as WM_UNDO; returns 1 when there was a step to take back
inline constexpr uint32_t EM_LINEFROMCHAR = 0x00C9;    // wParam character (-1: the caret)
inline constexpr uint32_t EM_SETPASSWORDCHAR = 0x00CC; // wParam: code point, 0 shows the text
inline constexpr uint32_t EM_EMPTYUNDOBUFFER = 0x00CD;
inline constexpr uint32_t EM_GETFIRSTVISIBLELINE = 0x00CE;
inline constexpr uint32_t EM_SETREADONLY = 0x00CF;
inline constexpr uint32_t EM_GETPASSWORDCHAR = 0x00D2;
inline constexpr uint32_t EM_GETLIMITTEXT = 0x00D5;
inline constexpr uint32_t EM_GETINPUTMODE = 0x00DD;
inline constexpr uint32_t EM_SETINPUTMODE = 0x00DE; // lParam: an InputMode
// "CAPEDIT" only.
inline constexpr uint32_t CEM_UPCASENEXTWORD =
    WM_USER + 1; // wParam 1: the next word starts with a capital; 0: it does not
inline constexpr uint32_t CEM_ENABLEUPCASE = WM_USER + 2; // wParam 1: the text's first letter is a capital

inline constexpr int EN_SETFOCUS = 0x0100;
inline constexpr int EN_KILLFOCUS = 0x0200;
inline constexpr int EN_CHANGE = 0x0300;
inline constexpr int EN_UPDATE = 0x0400;
inline constexpr int EN_MAXTEXT = 0x0501;
inline constexpr int EN_HSCROLL = 0x0601;
inline constexpr int EN_VSCROLL = 0x0602;

// How the phone's keypad types into the field (EM_SETINPUTMODE). In the
// numbers mode, as with ES_NUMBER, only digits are taken.
enum InputMode : int { kInputSpell = 0, kInputAmbiguous = 1, kInputNumbers = 2, kInputText = 3 };

inline constexpr int kDefaultEditLimit = 30000;

// The selection as (start, end), start <= end; the caret is at one of them.
std::pair<int, int> editSelection(HWND edit);
void setEditSelection(HWND edit, int anchor, int caret);
// The text as the user sees it: a password edit shows one mask character
// per character.
std::string editDisplayText(HWND edit);
bool isPasswordEdit(HWND edit);

} // namespace kestrova::platform
