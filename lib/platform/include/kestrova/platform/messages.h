// Window messages, their parameters and the constants that travel with them.
// The numbers are the ones the system has always used, so that a reader can
// follow a message by its familiar name and value.
#pragma once

#include <cstdint>

namespace kestrova::platform {

struct WindowHandleTag;
struct MenuHandleTag;
// A window is named by a small number that is never reused within a run, so
// a stale handle is recognised instead of reaching freed memory.
using HWND = WindowHandleTag*;
using HMENU = MenuHandleTag*;
using WParam = uintptr_t;
using LParam = intptr_t;
using LResult = intptr_t;

// Sent to every top-level window by postMessage.
inline HWND const kBroadcast = reinterpret_cast<HWND>(0xffff);

constexpr uint16_t loWord(uintptr_t v) { return static_cast<uint16_t>(v & 0xffff); }
constexpr uint16_t hiWord(uintptr_t v) { return static_cast<uint16_t>((v >> 16) & 0xffff); }
constexpr LParam makeLParam(int lo, int hi) {
    return static_cast<LParam>(static_cast<uint32_t>((static_cast<uint16_t>(lo)) | (static_cast<uint32_t>(static_cast<uint16_t>(hi)) << 16)));
}
constexpr WParam makeWParam(int lo, int hi) { return static_cast<WParam>(static_cast<uint32_t>(makeLParam(lo, hi))); }
// Signed coordinates packed into a parameter.
constexpr int xOf(LParam l) { return static_cast<int16_t>(l & 0xffff); }
constexpr int yOf(LParam l) { return static_cast<int16_t>((l >> 16) & 0xffff); }

enum Message : uint32_t {
    WM_NULL = 0x0000,
    WM_CREATE = 0x0001,
    WM_DESTROY = 0x0002,
    WM_MOVE = 0x0003,
    WM_SIZE = 0x0005,
    WM_ACTIVATE = 0x0006,
    WM_SETFOCUS = 0x0007,
    WM_KILLFOCUS = 0x0008,
    WM_ENABLE = 0x000A,
    WM_SETTEXT = 0x000C,
    WM_GETTEXT = 0x000D,
    WM_GETTEXTLENGTH = 0x000E,
    WM_PAINT = 0x000F,
    WM_CLOSE = 0x0010,
    WM_QUIT = 0x0012,
    WM_ERASEBKGND = 0x0014,
    WM_SHOWWINDOW = 0x0018,
    WM_SETTINGCHANGE = 0x001A,
    WM_CANCELMODE = 0x001F,
    WM_ENDSESSION = 0x0016,
    WM_SETFONT = 0x0030,
    WM_GETFONT = 0x0031,
    WM_NEXTDLGCTL = 0x0028,
    WM_NOTIFY = 0x004E,
    WM_CONTEXTMENU = 0x007B,
    WM_GETICON = 0x007F,
    WM_SETICON = 0x0080,
    WM_NCDESTROY = 0x0082,
    WM_GETDLGCODE = 0x0087,
    WM_KEYDOWN = 0x0100,
    WM_KEYUP = 0x0101,
    WM_CHAR = 0x0102,
    WM_INITDIALOG = 0x0110,
    WM_COMMAND = 0x0111,
    WM_TIMER = 0x0113,
    WM_HSCROLL = 0x0114,
    WM_VSCROLL = 0x0115,
    WM_INITMENUPOPUP = 0x0117,
    WM_CTLCOLORSTATIC = 0x0138,
    WM_MOUSEMOVE = 0x0200,
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_LBUTTONDBLCLK = 0x0203,
    WM_MOUSEWHEEL = 0x020A,
    WM_CAPTURECHANGED = 0x0215,
    // The clipboard messages an edit control takes (edit.h).
    WM_CUT = 0x0300,
    WM_COPY = 0x0301,
    WM_PASTE = 0x0302,
    WM_CLEAR = 0x0303,
    WM_UNDO = 0x0304,
    WM_HOTKEY = 0x0312,
    WM_PRINTCLIENT = 0x0318,
    // Wave devices (wave.h): wParam the device's handle, lParam the buffer.
    MM_WOM_OPEN = 0x03BB,
    MM_WOM_CLOSE = 0x03BC,
    MM_WOM_DONE = 0x03BD,
    MM_WIM_OPEN = 0x03BE,
    MM_WIM_CLOSE = 0x03BF,
    MM_WIM_DATA = 0x03C0,
    WM_USER = 0x0400,
    WM_APP = 0x8000,
    // Registered messages are numbered from here on.
    kFirstRegisteredMessage = 0xC000,
};

// What every WM_NOTIFY's lParam points to (or starts with).
struct NotifyHeader {
    HWND from = nullptr;
    uintptr_t id = 0;
    uint32_t code = 0;
};

// WM_ACTIVATE
enum : uint16_t { WA_INACTIVE = 0, WA_ACTIVE = 1, WA_CLICKACTIVE = 2 };
// WM_SIZE
enum : uint32_t { SIZE_RESTORED = 0 };
// WM_PRINTCLIENT
enum : uint32_t { PRF_CHECKVISIBLE = 0x1, PRF_CLIENT = 0x4, PRF_ERASEBKGND = 0x8, PRF_CHILDREN = 0x10 };
// WM_GETDLGCODE results
enum : uint32_t {
    DLGC_WANTARROWS = 0x0001,
    DLGC_WANTTAB = 0x0002,
    DLGC_WANTALLKEYS = 0x0004,
    DLGC_WANTMESSAGE = 0x0004,
    DLGC_HASSETSEL = 0x0008,
    DLGC_DEFPUSHBUTTON = 0x0010,
    DLGC_UNDEFPUSHBUTTON = 0x0020,
    DLGC_WANTCHARS = 0x0080,
    DLGC_STATIC = 0x0100,
    DLGC_BUTTON = 0x2000,
};
// WM_SETICON / WM_GETICON: which of the window's two icons.
enum : uint32_t { ICON_SMALL = 0, ICON_BIG = 1 };
// WM_MOUSEWHEEL: the wheel turn in the high word of wParam (one notch is
// WHEEL_DELTA, positive away from the user), the keys held in the low word,
// the pointer's screen position in lParam.
enum : uint32_t { MK_LBUTTON = 0x1, MK_SHIFT = 0x4, MK_CONTROL = 0x8 };
inline constexpr int WHEEL_DELTA = 120;
constexpr int wheelDeltaOf(WParam w) { return static_cast<int16_t>(hiWord(w)); }
// Command identifiers of buttons and message boxes.
enum : int { IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7 };

// Key-message flags in lParam: repeat count in the low word.
enum : uint32_t { kKeyWasDown = 1u << 30, kKeyReleasing = 1u << 31 };

// Virtual keys. On the phone the soft keys are F1 and F2, Back is Escape and
// the action (centre) key is Return.
enum VirtualKey : uint32_t {
    VK_BACK = 0x08,
    VK_TAB = 0x09,
    VK_RETURN = 0x0D,
    VK_SHIFT = 0x10,
    VK_CONTROL = 0x11,
    VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20,
    VK_PRIOR = 0x21,
    VK_NEXT = 0x22,
    VK_END = 0x23,
    VK_HOME = 0x24,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
    VK_INSERT = 0x2D,
    VK_DELETE = 0x2E,
    VK_A = 0x41,
    VK_C = 0x43,
    VK_V = 0x56,
    VK_X = 0x58,
    VK_Z = 0x5A,
    VK_APPS = 0x5D,
    VK_F1 = 0x70,
    VK_F2 = 0x71,
    VK_TSOFT1 = VK_F1,
    VK_TSOFT2 = VK_F2,
    VK_TBACK = VK_ESCAPE,
    VK_TACTION = VK_RETURN,
};

// Window styles.
enum : uint32_t {
    WS_OVERLAPPED = 0x00000000,
    WS_POPUP = 0x80000000,
    WS_CHILD = 0x40000000,
    WS_VISIBLE = 0x10000000,
    WS_DISABLED = 0x08000000,
    WS_CLIPSIBLINGS = 0x04000000,
    WS_CLIPCHILDREN = 0x02000000,
    WS_CAPTION = 0x00C00000,
    WS_BORDER = 0x00800000,
    WS_VSCROLL = 0x00200000,
    WS_HSCROLL = 0x00100000,
    WS_GROUP = 0x00020000,
    WS_TABSTOP = 0x00010000,
};
// Class styles.
enum : uint32_t { CS_VREDRAW = 0x0001, CS_HREDRAW = 0x0002, CS_DBLCLKS = 0x0008 };
// showWindow commands.
enum ShowCommand : int { SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_SHOW = 5, SW_SHOWNA = 8 };

}  // namespace kestrova::platform
