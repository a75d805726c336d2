// The window system: one window table per process. A window belongs to the
// thread that created it (the user-interface thread); only that thread may
// change it, while any thread may post or send it messages.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kestrova/platform/geometry.h"
#include "kestrova/platform/messages.h"

namespace kestrova::platform {

class DeviceContext;
using WindowProc = LResult (*)(HWND, uint32_t message, WParam, LParam);


struct WindowClass {
    std::string name;
    WindowProc proc = nullptr;
    uint32_t style = 0;                // CS_*
    std::optional<uint32_t> background; // 0xRRGGBB filled by WM_ERASEBKGND's default
};

// Registers a class; false when a class of that name exists already.
bool registerClass(const WindowClass& windowClass);
bool unregisterClass(std::string_view name);
bool isClassRegistered(std::string_view name);

// lParam of WM_CREATE points to this.
struct CreateParams {
    std::string className;
    std::string title;
    uint32_t style = 0;
    Rect rect;                     // relative to the parent's client area, or the screen
    HWND parent = nullptr;         // for WS_CHILD windows
    HWND owner = nullptr;          // for top-level windows
    uintptr_t controlId = 0;
    void* createParam = nullptr;
};

// Null when the class is unknown, the parent is gone, or WM_CREATE returned -1.
HWND createWindow(const CreateParams& params);
// Destroys the window, the windows it owns and its children (each child before
// its parent receives WM_DESTROY). Safe to call on a window being destroyed.
bool destroyWindow(HWND hwnd);
bool isWindow(HWND hwnd);
LResult defWindowProc(HWND hwnd, uint32_t message, WParam wParam, LParam lParam);

// Destroys its window when it goes out of scope.
class UniqueWindow {
public:
    UniqueWindow() = default;
    explicit UniqueWindow(HWND hwnd) : hwnd_(hwnd) {}
    ~UniqueWindow() { reset(); }
    UniqueWindow(UniqueWindow&& o) noexcept : hwnd_(o.release()) {}
    UniqueWindow& operator=(UniqueWindow&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }
    HWND get() const { return hwnd_; }
    HWND release() { return std::exchange(hwnd_, nullptr); }
    void reset(HWND hwnd = nullptr) {
        if (hwnd_) destroyWindow(hwnd_);
        hwnd_ = hwnd;
    }
    explicit operator bool() const { return hwnd_ != nullptr; }

private:
    HWND hwnd_ = nullptr;
};

// Relations.
HWND parentOf(HWND hwnd);
HWND ownerOf(HWND hwnd);
HWND topLevelOf(HWND hwnd);
std::vector<HWND> childrenOf(HWND hwnd);
std::vector<HWND> topLevelWindows();
bool isDescendant(HWND ancestor, HWND hwnd);  // true also when equal
HWND childById(HWND parent, uintptr_t controlId);
uintptr_t controlIdOf(HWND hwnd);

// Attributes.
std::string className(HWND hwnd);
uint32_t classStyle(HWND hwnd);
std::string windowText(HWND hwnd);
void setWindowText(HWND hwnd, std::string_view text);
uint32_t windowStyle(HWND hwnd);
void setWindowStyle(HWND hwnd, uint32_t style);
intptr_t userData(HWND hwnd);
void setUserData(HWND hwnd, intptr_t value);
// Subclassing: the window's procedure instead of its class's. Returns the
// procedure that served the window before; the new one passes on what it does
// not handle by calling it.
WindowProc setWindowProc(HWND hwnd, WindowProc proc);
WindowProc windowProcOf(HWND hwnd);

// Visibility, state and geometry.
bool showWindow(HWND hwnd, ShowCommand command);  // previous visibility
bool isVisible(HWND hwnd);                        // this window and all its parents
bool enableWindow(HWND hwnd, bool enable);        // previous disabled state
bool isEnabled(HWND hwnd);
void moveWindow(HWND hwnd, const Rect& rect, bool repaint = true);
Rect windowRect(HWND hwnd);  // in screen coordinates
Rect clientRect(HWND hwnd);  // origin 0,0
Point clientToScreen(HWND hwnd, Point p);
Point screenToClient(HWND hwnd, Point p);
// The deepest visible, enabled window under a screen point inside root.
HWND windowFromPoint(HWND root, Point screenPoint);

// Focus, activation, capture.
HWND setFocus(HWND hwnd);  // previous focus
HWND focusWindow();
HWND activeWindow();
// The active top-level window of the process: what the display shows.
HWND foregroundWindow();
bool setForegroundWindow(HWND hwnd);
HWND setCapture(HWND hwnd);
void releaseCapture();
HWND captureWindow();

// Invalidation and painting.
void invalidateRect(HWND hwnd, const Rect* rect, bool erase);
void validateRect(HWND hwnd, const Rect* rect);
bool hasInvalidArea(HWND hwnd);
// Sends WM_PAINT now if the window has an invalid area.
void updateWindow(HWND hwnd);
// Paints every window of the calling thread that needs it.
void updateAllWindows();

// Between beginPaint and endPaint: a DC on the window's surface clipped to
// the invalid area; WM_ERASEBKGND has been sent when an erase was pending.
class PaintScope {
public:
    explicit PaintScope(HWND hwnd);
    ~PaintScope();
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    DeviceContext& dc() { return *dc_; }
    const Rect& area() const { return area_; }
    bool erased() const { return erased_; }

private:
    HWND hwnd_;
    DeviceContext* dc_;
    Rect area_;
    bool erased_ = false;
};

// A DC on the whole client area of a window, outside of WM_PAINT.
class WindowDC {
public:
    explicit WindowDC(HWND hwnd);
    ~WindowDC();
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    DeviceContext& dc() { return *dc_; }

private:
    DeviceContext* dc_;
};

// The pixels a window last painted (its client area only, without children).
class Bitmap;
const Bitmap* windowSurface(HWND hwnd);

// Text shown in the navigation bar while the window is in front; nullopt
// shows the window's title again.
void setNavBarText(HWND hwnd, std::optional<std::string> text);
std::string navBarTextOf(HWND hwnd);

// Walks every window (top-level windows and their children, depth first).
void forEachWindow(const std::function<void(HWND)>& visit);

}  // namespace kestrova::platform
