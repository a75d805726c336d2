#include "kestrova/ui/window_base.h"

#include <cstdio>

#include "kestrova/platform/module.h"
#include "kestrova/platform/screen.h"
#include "kestrova/platform/scroll.h"
#include "kestrova/ui/fonts.h"

namespace kestrova::ui {

namespace platform = kestrova::platform;
using namespace kestrova::platform;

namespace {

// NOTE: the address of something in this module names the module: every
// module linking the framework gets its own class.
bool registerFrameworkClass(WindowProc proc) {
    static const bool registered = [proc] {
        registerClass({WindowBase::className(), proc, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, 0xFFFFFF});
        return true;
    }();
    return registered;
}

// A dragged thumb's position comes whole from its bar, not cut to the 16
// bits wParam has room for: a long list scrolls in pixels past 32767.
int scrollPosition(HWND hwnd, int bar, WParam wParam, LParam lParam) {
    int code = loWord(wParam);
    if (code != SB_THUMBTRACK && code != SB_THUMBPOSITION) return static_cast<int16_t>(hiWord(wParam));
    if (auto control = reinterpret_cast<HWND>(lParam)) return thumbPosition(control, SB_CTL, wParam);
    return thumbPosition(hwnd, bar, wParam);
}

}  // namespace

std::string WindowBase::className() {
    char name[64];
    std::snprintf(name, sizeof name, "RY_CTRL_%p", moduleBaseOf(reinterpret_cast<const void*>(&registerFrameworkClass)));
    return name;
}

WindowBase::~WindowBase() {
    if (HWND h = std::exchange(hwnd_, nullptr); isWindow(h)) {
        setUserData(h, 0);
        destroyWindow(h);
    }
}

bool WindowBase::create(const std::string& title, uint32_t style, const Rect& rect, HWND parent, HWND owner,
                        uintptr_t controlId) {
    registerFrameworkClass(&WindowBase::windowProc);
    HWND h = createWindow({className(), title, style, rect, parent, owner, controlId, this});
    if (!h) return false;
    sendMessage(h, WM_SETFONT, reinterpret_cast<WParam>(&windowFont()), 1);
    return true;
}

bool WindowBase::create(const OwnClass& windowClass, const std::string& title, uint32_t style, const Rect& rect,
                        HWND parent, HWND owner, uintptr_t controlId) {
    if (!isClassRegistered(windowClass.name))
        registerClass({windowClass.name, &WindowBase::windowProc, windowClass.style, windowClass.background});
    HWND h = createWindow({windowClass.name, title, style, rect, parent, owner, controlId, this});
    if (!h) return false;
    sendMessage(h, WM_SETFONT, reinterpret_cast<WParam>(&windowFont()), 1);
    return true;
}

LResult WindowBase::windowProc(HWND hwnd, uint32_t message, WParam wParam, LParam lParam) {
    if (message == WM_CREATE || message == WM_INITDIALOG) {
        void* param = message == WM_CREATE ? reinterpret_cast<CreateParams*>(lParam)->createParam
                                           : reinterpret_cast<void*>(lParam);
        if (auto* object = static_cast<WindowBase*>(param)) {
            object->hwnd_ = hwnd;
            setUserData(hwnd, reinterpret_cast<intptr_t>(object));
        }
    }
    auto* object = reinterpret_cast<WindowBase*>(userData(hwnd));
    if (!object) return defWindowProc(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // The window is gone; the object lives on without it.
        setUserData(hwnd, 0);
        object->hwnd_ = nullptr;
        return defWindowProc(hwnd, message, wParam, lParam);
    }
    return object->handleMessage(hwnd, message, wParam, lParam);
}

LResult WindowBase::passOn(HWND hwnd) {
    return defWindowProc(hwnd, current_.message, current_.wParam, current_.lParam);
}

LResult WindowBase::handleMessage(HWND hwnd, uint32_t message, WParam wParam, LParam lParam) {
    Current saved = current_;
    current_ = {message, wParam, lParam};
    struct Restore {
        WindowBase* self;
        Current saved;
        HWND hwnd;
        // NOTE: the handler may have deleted the object (a window that goes with
        // its WM_DESTROY); only touch it while its window still names it.
        ~Restore() {
            if (isWindow(hwnd) && reinterpret_cast<WindowBase*>(userData(hwnd)) == self) self->current_ = saved;
        }
    } restore{this, saved, hwnd};

    switch (message) {
    case WM_ACTIVATE:
        onActivate(hwnd, loWord(wParam), reinterpret_cast<HWND>(lParam), hiWord(wParam) != 0);
        return 0;
    case WM_CLOSE: onClose(hwnd); return 0;
    case WM_COMMAND:
        onCommand(hwnd, loWord(wParam), reinterpret_cast<HWND>(lParam), hiWord(wParam));
        return 0;
    case WM_CONTEXTMENU:
        onContextMenu(hwnd, reinterpret_cast<HWND>(wParam), xOf(lParam), yOf(lParam));
        return 0;
    case WM_CTLCOLORSTATIC:
        return onControlColour(hwnd, reinterpret_cast<DeviceContext*>(wParam), reinterpret_cast<HWND>(lParam), 6);
    case WM_DESTROY: onDestroy(hwnd); return 0;
    case WM_ENDSESSION: onSystemShutdown(hwnd, wParam != 0); return 0;
    case WM_ERASEBKGND: return onEraseBackground(hwnd, reinterpret_cast<DeviceContext*>(wParam));
    case WM_GETDLGCODE: return onGetDialogCode(hwnd, reinterpret_cast<const Msg*>(lParam));
    case WM_HOTKEY:
        onHotKey(hwnd, static_cast<int>(wParam), loWord(static_cast<uintptr_t>(lParam)),
                 hiWord(static_cast<uintptr_t>(lParam)));
        return 0;
    case WM_HSCROLL:
        onHorizontalScroll(hwnd, reinterpret_cast<HWND>(lParam), loWord(wParam), scrollPosition(hwnd, SB_HORZ, wParam, lParam));
        return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
        onKey(hwnd, static_cast<uint32_t>(wParam), message == WM_KEYDOWN, loWord(static_cast<uintptr_t>(lParam)),
              static_cast<uint32_t>(lParam));
        return 0;
    case WM_KILLFOCUS: onKillFocus(hwnd, reinterpret_cast<HWND>(wParam)); return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        onLeftButtonDown(hwnd, message == WM_LBUTTONDBLCLK, xOf(lParam), yOf(lParam), static_cast<uint32_t>(wParam));
        return 0;
    case WM_LBUTTONUP: onLeftButtonUp(hwnd, xOf(lParam), yOf(lParam), static_cast<uint32_t>(wParam)); return 0;
    case WM_NEXTDLGCTL: return onNextDialogControl(hwnd, wParam, loWord(static_cast<uintptr_t>(lParam)) != 0);
    case WM_NOTIFY: return onNotify(hwnd, static_cast<int>(wParam), reinterpret_cast<NotifyHeader*>(lParam));
    case WM_PAINT: onPaint(hwnd); return 0;
    case WM_PRINTCLIENT:
        onPrintClient(hwnd, reinterpret_cast<DeviceContext*>(wParam), static_cast<uint32_t>(lParam));
        return 0;
    case WM_SETFOCUS: onSetFocus(hwnd, reinterpret_cast<HWND>(wParam)); return 0;
    case WM_SIZE: onSize(hwnd, static_cast<int>(wParam), loWord(static_cast<uintptr_t>(lParam)), hiWord(static_cast<uintptr_t>(lParam))); return 0;
    case WM_TIMER: onTimer(hwnd, wParam); return 0;
    case WM_VSCROLL:
        onVerticalScroll(hwnd, reinterpret_cast<HWND>(lParam), loWord(wParam), scrollPosition(hwnd, SB_VERT, wParam, lParam));
        return 0;
    default: return defWindowProc(hwnd, message, wParam, lParam);
    }
}

void WindowBase::onActivate(HWND hwnd, int, HWND, bool) { passOn(hwnd); }
void WindowBase::onClose(HWND hwnd) { passOn(hwnd); }
void WindowBase::onCommand(HWND hwnd, int, HWND, int) { passOn(hwnd); }
void WindowBase::onContextMenu(HWND hwnd, HWND, int, int) { passOn(hwnd); }
LResult WindowBase::onControlColour(HWND hwnd, DeviceContext*, HWND, int) { return passOn(hwnd); }
void WindowBase::onDestroy(HWND hwnd) { passOn(hwnd); }
void WindowBase::onSystemShutdown(HWND hwnd, bool) { passOn(hwnd); }
LResult WindowBase::onEraseBackground(HWND hwnd, DeviceContext*) { return passOn(hwnd); }
LResult WindowBase::onGetDialogCode(HWND hwnd, const Msg*) { return passOn(hwnd); }
void WindowBase::onHotKey(HWND hwnd, int, int, int) { passOn(hwnd); }
void WindowBase::onHorizontalScroll(HWND hwnd, HWND, int, int) { passOn(hwnd); }
void WindowBase::onKey(HWND hwnd, uint32_t, bool, int, uint32_t) { passOn(hwnd); }
void WindowBase::onKillFocus(HWND hwnd, HWND) { passOn(hwnd); }
void WindowBase::onLeftButtonDown(HWND hwnd, bool, int, int, uint32_t) { passOn(hwnd); }
void WindowBase::onLeftButtonUp(HWND hwnd, int, int, uint32_t) { passOn(hwnd); }
LResult WindowBase::onNextDialogControl(HWND hwnd, WParam, bool) { return passOn(hwnd); }
LResult WindowBase::onNotify(HWND hwnd, int, NotifyHeader*) { return passOn(hwnd); }
void WindowBase::onPaint(HWND hwnd) { passOn(hwnd); }
void WindowBase::onPrintClient(HWND hwnd, DeviceContext*, uint32_t) { passOn(hwnd); }
void WindowBase::onSetFocus(HWND hwnd, HWND) { passOn(hwnd); }
void WindowBase::onSize(HWND hwnd, int, int, int) { passOn(hwnd); }
void WindowBase::onTimer(HWND hwnd, uintptr_t) { passOn(hwnd); }
void WindowBase::onVerticalScroll(HWND hwnd, HWND, int, int) { passOn(hwnd); }
void WindowBase::onMouseWheel(HWND hwnd, WParam wParam, LParam lParam) {
    defWindowProc(hwnd, WM_MOUSEWHEEL, wParam, lParam);
}

void centreWindow(HWND hwnd) {
    Rect mine = windowRect(hwnd);
    Rect around;
    HWND parent = parentOf(hwnd);
    if (parent) around = clientRect(parent);
    else if (HWND owner = ownerOf(hwnd)) around = windowRect(owner);
    else around = workArea();
    int x = around.left + (around.width() - mine.width()) / 2;
    int y = around.top + (around.height() - mine.height()) / 2;
    moveWindow(hwnd, Rect::ofSize(x, y, mine.width(), mine.height()));
}

}  // namespace kestrova::ui
