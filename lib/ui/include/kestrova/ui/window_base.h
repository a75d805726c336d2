// WindowBase: the small window framework of the shell and of every plug-in
// with windows. One platform window per object; the framework's window
// procedure hands every message of the window to handleMessage, which
// unpacks it and calls one narrow virtual handler. Each module that links
// this static library registers its own window class, "RY_CTRL_%p" with the
// module's base address.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "kestrova/platform/dc.h"
#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/window.h"

namespace kestrova::ui {

using platform::DeviceContext;
using platform::HWND;
using platform::LParam;
using platform::LResult;
using platform::Rect;
using platform::WParam;

// The header every WM_NOTIFY points to.
using platform::NotifyHeader;

class WindowBase {
public:
    WindowBase() = default;
    // Destroys the window if it still exists.
    virtual ~WindowBase();
    WindowBase(const WindowBase&) = delete;
    WindowBase& operator=(const WindowBase&) = delete;

    // The entry of every message; dispatches to the handlers below. The
    // default of each handler passes the message on unchanged to the
    // platform's default window procedure.
    virtual LResult handleMessage(HWND hwnd, uint32_t message, WParam wParam, LParam lParam);
    virtual void onActivate(HWND hwnd, int state, HWND otherWindow, bool minimized);
    virtual void onClose(HWND hwnd);
    virtual void onCommand(HWND hwnd, int id, HWND controlHwnd, int notifyCode);
    virtual void onContextMenu(HWND hwnd, HWND targetHwnd, int x, int y);
    virtual LResult onControlColour(HWND hwnd, DeviceContext* dc, HWND controlHwnd, int kind);
    virtual void onDestroy(HWND hwnd);
    virtual void onSystemShutdown(HWND hwnd, bool ending);
    virtual LResult onEraseBackground(HWND hwnd, DeviceContext* dc);
    virtual LResult onGetDialogCode(HWND hwnd, const platform::Msg* message);
    virtual void onHotKey(HWND hwnd, int id, int modifiers, int key);
    virtual void onHorizontalScroll(HWND hwnd, HWND scrollBar, int code, int position);
    virtual void onKey(HWND hwnd, uint32_t key, bool down, int repeat, uint32_t flags);
    virtual void onKillFocus(HWND hwnd, HWND newFocus);
    virtual void onLeftButtonDown(HWND hwnd, bool doubleClick, int x, int y, uint32_t keys);
    virtual void onLeftButtonUp(HWND hwnd, int x, int y, uint32_t keys);
    virtual LResult onNextDialogControl(HWND hwnd, WParam target, bool isHandle);
    virtual LResult onNotify(HWND hwnd, int id, NotifyHeader* header);
    virtual void onPaint(HWND hwnd);
    virtual void onPrintClient(HWND hwnd, DeviceContext* dc, uint32_t flags);
    virtual void onSetFocus(HWND hwnd, HWND oldFocus);
    virtual void onSize(HWND hwnd, int type, int width, int height);
    virtual void onTimer(HWND hwnd, uintptr_t timerId);
    virtual void onVerticalScroll(HWND hwnd, HWND scrollBar, int code, int position);
    // Not routed by handleMessage; there for derived classes that want it.
    virtual void onMouseWheel(HWND hwnd, WParam wParam, LParam lParam);

    HWND hwnd() const { return hwnd_; }

    // The class name of this module's framework.
    static std::string className();

protected:
    // Creates the window with this object as its creation parameter and sends
    // it the shared window font. False when the window could not be made.
    bool create(const std::string& title, uint32_t style, const Rect& rect, HWND parent, HWND owner = nullptr,
                uintptr_t controlId = 0);
    // The same in a class of the caller's own name (a screen the system
    // names), registered with the framework's procedure on first use.
    struct OwnClass {
        std::string name;
        uint32_t style = 0;                  // CS_*
        std::optional<uint32_t> background;  // 0xRRGGBB
    };
    bool create(const OwnClass& windowClass, const std::string& title, uint32_t style, const Rect& rect,
                HWND parent, HWND owner = nullptr, uintptr_t controlId = 0);
    // The message being handled, passed on to the default procedure.
    LResult passOn(HWND hwnd);

private:
    static LResult windowProc(HWND hwnd, uint32_t message, WParam wParam, LParam lParam);

    struct Current {
        uint32_t message = 0;
        WParam wParam = 0;
        LParam lParam = 0;
    };

    HWND hwnd_ = nullptr;
    Current current_;
};

// Centres the window over its parent's client area (child windows), its
// owner's window rectangle, or the screen's work area.
void centreWindow(HWND hwnd);

}  // namespace kestrova::ui
