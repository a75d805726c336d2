// The button control ("BUTTON"): push buttons and check boxes. A check box
// toggles with Space, Enter (the phone's action key) or a tap when it is an
// automatic one (BS_AUTOCHECKBOX, BS_AUTO3STATE), and tells its parent with
// BN_CLICKED; a plain BS_CHECKBOX only tells, and its owner sets the state.
// In a dialog, Up and Down move the focus on from a check box.
#pragma once

#include <cstdint>

#include "kestrova/platform/messages.h"

namespace kestrova::platform {

inline constexpr char kButtonClass[] = "BUTTON";

inline constexpr uint32_t BS_PUSHBUTTON = 0x0;
inline constexpr uint32_t BS_DEFPUSHBUTTON = 0x1;
inline constexpr uint32_t BS_CHECKBOX = 0x2;
inline constexpr uint32_t BS_AUTOCHECKBOX = 0x3;
inline constexpr uint32_t BS_3STATE = 0x5;
inline constexpr uint32_t BS_AUTO3STATE = 0x6;
inline constexpr uint32_t BS_TYPEMASK = 0xF;
inline constexpr uint32_t BS_NOTIFY = 0x4000; // the parent also hears BN_SETFOCUS and BN_KILLFOCUS

inline constexpr uint32_t BM_GETCHECK = 0x00F0;
inline constexpr uint32_t BM_SETCHECK = 0x00F1; // wParam: BST_*
inline constexpr uint32_t BM_GETSTATE = 0x00F2;
inline constexpr uint32_t BM_SETSTATE = 0x00F3;
inline constexpr uint32_t BM_CLICK = 0x00F5; // as a tap: toggles an automatic box, then BN_CLICKED

inline constexpr int BST_UNCHECKED = 0;
inline constexpr int BST_CHECKED = 1;
inline constexpr int BST_INDETERMINATE = 2;

inline constexpr int BN_CLICKED = 0;
inline constexpr int BN_SETFOCUS = 6;
inline constexpr int BN_KILLFOCUS = 7;

bool isCheckBox(HWND button);

} // namespace kestrova::platform
