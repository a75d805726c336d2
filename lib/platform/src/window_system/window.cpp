#include "kestrova/platform/window.h"

#include <algorithm>

#include "kestrova/platform/screen.h"
#include "window_system/window_system.h"

namespace kestrova::platform {
namespace detail {

WindowSystem& windowSystem() {
    static WindowSystem* ws = new WindowSystem;  // NOTE: never destroyed; windows may outlive static teardown
    return *ws;
}

Window* find(HWND hwnd) {
    auto& ws = windowSystem();
    std::lock_guard lock(ws.mutex);
    auto it = ws.windows.find(reinterpret_cast<uintptr_t>(hwnd));
    return it == ws.windows.end() ? nullptr : it->second.get();
}

std::shared_ptr<ThreadQueue> queueOf(HWND hwnd) {
    auto& ws = windowSystem();
    std::lock_guard lock(ws.mutex);
    auto it = ws.windows.find(reinterpret_cast<uintptr_t>(hwnd));
    return it == ws.windows.end() ? nullptr : it->second->queue;
}

LResult callProc(HWND hwnd, uint32_t message, WParam wParam, LParam lParam) {
    Window* w = find(hwnd);
    if (!w) return 0;
    WindowProc proc = w->proc ? w->proc : w->cls->proc;
    return proc ? proc(hwnd, message, wParam, lParam) : defWindowProc(hwnd, message, wParam, lParam);
}

void markScreenChanged() { ++windowSystem().screenGeneration; }

Size clientSizeOf(const Window& w) {
    int bar = systemMetric(SM_CXVSCROLL);
    int width = w.rect.width() - ((w.style & WS_VSCROLL) ? bar : 0);
    int height = w.rect.height() - ((w.style & WS_HSCROLL) ? bar : 0);
    return {std::max(0, width), std::max(0, height)};
}

void setControlState(HWND hwnd, std::shared_ptr<ControlState> state) {
    if (Window* w = find(hwnd)) w->control = std::move(state);
}

}  // namespace detail

using namespace detail;

bool registerClass(const WindowClass& windowClass) {
    auto& ws = windowSystem();
    std::lock_guard lock(ws.mutex);
    if (windowClass.name.empty() || ws.classes.count(windowClass.name)) return false;
    ws.classes.emplace(windowClass.name, std::make_shared<const WindowClass>(windowClass));
    return true;
}

bool unregisterClass(std::string_view name) {
    auto& ws = windowSystem();
    std::lock_guard lock(ws.mutex);
    auto it = ws.classes.find(name);
    if (it == ws.classes.end()) return false;
    ws.classes.erase(it);
    return true;
}

bool isClassRegistered(std::string_view name) {
    registerStandardControls();
    auto& ws = windowSystem();
    std::lock_guard lock(ws.mutex);
    return ws.classes.find(name) != ws.classes.end();
}

namespace {

std::shared_ptr<const WindowClass> lookupClass(std::string_view name) {
    registerStandardControls();
    auto& ws = windowSystem();
    std::lock_guard lock(ws.mutex);
    auto it = ws.classes.find(name);
    return it == ws.classes.end() ? nullptr : it->second;
}

HWND insertWindow(std::unique_ptr<Window> window) {
    auto& ws = windowSystem();
    std::lock_guard lock(ws.mutex);
    HWND hwnd = reinterpret_cast<HWND>(ws.nextHandle);
    ws.nextHandle += 4;
    window->handle = hwnd;
    Window* raw = window.get();
    ws.windows.emplace(reinterpret_cast<uintptr_t>(hwnd), std::move(window));
    if (raw->parent) {
        ws.windows.at(reinterpret_cast<uintptr_t>(raw->parent))->children.push_back(hwnd);
    } else {
        ws.topLevels.push_back(hwnd);
    }
    return hwnd;
}

void eraseWindow(HWND hwnd) {
    auto& ws = windowSystem();
    std::unique_ptr<Window> doomed;
    std::lock_guard lock(ws.mutex);
    auto it = ws.windows.find(reinterpret_cast<uintptr_t>(hwnd));
    if (it == ws.windows.end()) return;
    if (HWND parent = it->second->parent) {
        auto p = ws.windows.find(reinterpret_cast<uintptr_t>(parent));
        if (p != ws.windows.end()) std::erase(p->second->children, hwnd);
    }
    std::erase(ws.topLevels, hwnd);
    doomed = std::move(it->second);
    ws.windows.erase(it);
}

std::vector<HWND> ownedBy(HWND owner) {
    auto& ws = windowSystem();
    std::lock_guard lock(ws.mutex);
    std::vector<HWND> out;
    for (HWND top : ws.topLevels) {
        auto it = ws.windows.find(reinterpret_cast<uintptr_t>(top));
        if (it != ws.windows.end() && it->second->owner == owner) out.push_back(top);
    }
    return out;
}

}  // namespace

HWND createWindow(const CreateParams& params) {
    auto cls = lookupClass(params.className);
    if (!cls) return nullptr;
    bool child = params.style & WS_CHILD;
    if (child && !find(params.parent)) return nullptr;

    auto window = std::make_unique<Window>();
    window->cls = cls;
    window->title = params.title;
    window->style = params.style & ~WS_VISIBLE;
    window->parent = child ? params.parent : nullptr;
    window->owner = child ? nullptr : (isWindow(params.owner) ? topLevelOf(params.owner) : nullptr);
    window->rect = params.rect;
    window->controlId = params.controlId;
    window->thread = std::this_thread::get_id();
    window->queue = currentQueue();
    HWND hwnd = insertWindow(std::move(window));

    CreateParams copy = params;
    if (callProc(hwnd, WM_CREATE, 0, reinterpret_cast<LParam>(&copy)) == -1) {
        destroyWindow(hwnd);
        return nullptr;
    }
    Window* w = find(hwnd);
    if (!w) return nullptr;  // destroyed itself while being created
    w->created = true;
    Size client = clientSizeOf(*w);
    sendMessage(hwnd, WM_SIZE, SIZE_RESTORED, makeLParam(client.width, client.height));
    invalidateRect(hwnd, nullptr, true);
    if (params.style & WS_VISIBLE) showWindow(hwnd, SW_SHOW);
    return hwnd;
}

bool destroyWindow(HWND hwnd) {
    Window* w = find(hwnd);
    if (!w || w->destroying || w->thread != std::this_thread::get_id()) return false;
    w->destroying = true;

    for (HWND owned : ownedBy(hwnd)) destroyWindow(owned);
    forgetFocusInside(hwnd);
    if (windowSystem().capture && isDescendant(hwnd, windowSystem().capture)) releaseCapture();
    if (windowSystem().active == hwnd) activateNextTopLevel(hwnd);
    if (windowSystem().active == hwnd) windowSystem().active = nullptr;

    // NOTE: children go first, so a child's WM_DESTROY handler can still talk
    // to a parent object that deletes itself on its own WM_DESTROY.
    for (HWND child : childrenOf(hwnd)) destroyWindow(child);
    dropTimersOf(hwnd);
    dropWatchesOf(hwnd);
    callProc(hwnd, WM_DESTROY, 0, 0);
    callProc(hwnd, WM_NCDESTROY, 0, 0);
    if (Window* still = find(hwnd)) dropPaintOf(*still);
    forgetMenuBar(hwnd);
    eraseWindow(hwnd);
    markScreenChanged();
    return true;
}

bool isWindow(HWND hwnd) { return hwnd && find(hwnd) != nullptr; }

HWND parentOf(HWND hwnd) {
    Window* w = find(hwnd);
    return w ? w->parent : nullptr;
}

HWND ownerOf(HWND hwnd) {
    Window* w = find(hwnd);
    return w ? w->owner : nullptr;
}

HWND topLevelOf(HWND hwnd) {
    Window* w = find(hwnd);
    while (w && w->parent) {
        hwnd = w->parent;
        w = find(hwnd);
    }
    return w ? hwnd : nullptr;
}

std::vector<HWND> childrenOf(HWND hwnd) {
    auto& ws = windowSystem();
    std::lock_guard lock(ws.mutex);
    auto it = ws.windows.find(reinterpret_cast<uintptr_t>(hwnd));
    return it == ws.windows.end() ? std::vector<HWND>{} : it->second->children;
}

std::vector<HWND> topLevelWindows() {
    auto& ws = windowSystem();
    std::lock_guard lock(ws.mutex);
    return ws.topLevels;
}

bool isDescendant(HWND ancestor, HWND hwnd) {
    if (!ancestor) return false;
    for (Window* w = find(hwnd); w; w = find(w->parent)) {
        if (w->handle == ancestor) return true;
        if (!w->parent) break;
    }
    return false;
}

HWND childById(HWND parent, uintptr_t controlId) {
    for (HWND child : childrenOf(parent))
        if (controlIdOf(child) == controlId) return child;
    return nullptr;
}

uintptr_t controlIdOf(HWND hwnd) {
    Window* w = find(hwnd);
    return w ? w->controlId : 0;
}

std::string className(HWND hwnd) {
    Window* w = find(hwnd);
    return w ? w->cls->name : std::string();
}

uint32_t classStyle(HWND hwnd) {
    Window* w = find(hwnd);
    return w ? w->cls->style : 0;
}

std::string windowText(HWND hwnd) {
    Window* w = find(hwnd);
    return w ? w->title : std::string();
}

void setWindowText(HWND hwnd, std::string_view text) {
    Window* w = find(hwnd);
    if (!w) return;
    w->title = std::string(text);
    markScreenChanged();
}

uint32_t windowStyle(HWND hwnd) {
    Window* w = find(hwnd);
    return w ? w->style : 0;
}

namespace {

void clientResized(HWND hwnd, Window& w) {
    w.surface.reset();
    Size client = clientSizeOf(w);
    callProc(hwnd, WM_SIZE, SIZE_RESTORED, makeLParam(client.width, client.height));
    invalidateRect(hwnd, nullptr, true);
}

}  // namespace

void setWindowStyle(HWND hwnd, uint32_t style) {
    Window* w = find(hwnd);
    if (!w) return;
    uint32_t bars = WS_VSCROLL | WS_HSCROLL;
    bool barsChanged = (w->style & bars) != (style & bars);
    // Visibility and the child bit change only through their own calls.
    w->style = (style & ~(WS_VISIBLE | WS_CHILD)) | (w->style & (WS_VISIBLE | WS_CHILD));
    if (barsChanged && w->created) clientResized(hwnd, *w);
    markScreenChanged();
}

WindowProc setWindowProc(HWND hwnd, WindowProc proc) {
    Window* w = find(hwnd);
    if (!w) return nullptr;
    WindowProc previous = w->proc ? w->proc : w->cls->proc;
    w->proc = proc;
    return previous;
}

WindowProc windowProcOf(HWND hwnd) {
    Window* w = find(hwnd);
    return !w ? nullptr : w->proc ? w->proc : w->cls->proc;
}

intptr_t userData(HWND hwnd) {
    Window* w = find(hwnd);
    return w ? w->userData : 0;
}

void setUserData(HWND hwnd, intptr_t value) {
    if (Window* w = find(hwnd)) w->userData = value;
}

bool showWindow(HWND hwnd, ShowCommand command) {
    Window* w = find(hwnd);
    if (!w) return false;
    bool wasVisible = w->style & WS_VISIBLE;
    bool show = command != SW_HIDE;
    if (show == wasVisible) {
        if (show && !w->parent && command != SW_SHOWNA) setForegroundWindow(hwnd);
        return wasVisible;
    }
    if (show) w->style |= WS_VISIBLE;
    else w->style &= ~WS_VISIBLE;
    callProc(hwnd, WM_SHOWWINDOW, show ? 1 : 0, 0);
    if (show) {
        invalidateRect(hwnd, nullptr, true);
        if (!w->parent && command != SW_SHOWNA) setForegroundWindow(hwnd);
    } else {
        forgetFocusInside(hwnd);
        if (windowSystem().active == hwnd) activateNextTopLevel(hwnd);
    }
    markScreenChanged();
    return wasVisible;
}

bool isVisible(HWND hwnd) {
    for (Window* w = find(hwnd); w; w = find(w->parent)) {
        if (!(w->style & WS_VISIBLE)) return false;
        if (!w->parent) return true;
    }
    return false;
}

bool enableWindow(HWND hwnd, bool enable) {
    Window* w = find(hwnd);
    if (!w) return false;
    bool wasDisabled = w->style & WS_DISABLED;
    if (wasDisabled == !enable) return wasDisabled;
    if (enable) w->style &= ~WS_DISABLED;
    else {
        w->style |= WS_DISABLED;
        if (isDescendant(hwnd, windowSystem().focus) && w->parent) setFocus(nullptr);
    }
    callProc(hwnd, WM_ENABLE, enable ? 1 : 0, 0);
    invalidateRect(hwnd, nullptr, true);
    return wasDisabled;
}

bool isEnabled(HWND hwnd) {
    Window* w = find(hwnd);
    return w && !(w->style & WS_DISABLED);
}

void moveWindow(HWND hwnd, const Rect& rect, bool repaint) {
    Window* w = find(hwnd);
    if (!w) return;
    bool resized = rect.width() != w->rect.width() || rect.height() != w->rect.height();
    w->rect = rect;
    if (resized) clientResized(hwnd, *w);
    else if (repaint) invalidateRect(hwnd, nullptr, true);
    markScreenChanged();
}

Rect windowRect(HWND hwnd) {
    Window* w = find(hwnd);
    if (!w) return {};
    Rect r = w->rect;
    for (Window* p = find(w->parent); p; p = find(p->parent)) {
        r = r.offset(p->rect.left, p->rect.top);
        if (!p->parent) break;
    }
    return r;
}

Rect clientRect(HWND hwnd) {
    Window* w = find(hwnd);
    if (!w) return {};
    Size client = clientSizeOf(*w);
    return {0, 0, client.width, client.height};
}

Point clientToScreen(HWND hwnd, Point p) {
    Rect r = windowRect(hwnd);
    return {p.x + r.left, p.y + r.top};
}

Point screenToClient(HWND hwnd, Point p) {
    Rect r = windowRect(hwnd);
    return {p.x - r.left, p.y - r.top};
}

HWND windowFromPoint(HWND root, Point screenPoint) {
    if (!isVisible(root) || !windowRect(root).contains(screenPoint)) return nullptr;
    auto children = childrenOf(root);
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        if (HWND hit = windowFromPoint(*it, screenPoint)) return hit;
    }
    return root;
}

void setNavBarText(HWND hwnd, std::optional<std::string> text) {
    if (Window* w = find(hwnd)) {
        w->navText = std::move(text);
        markScreenChanged();
    }
}

std::string navBarTextOf(HWND hwnd) {
    Window* w = find(hwnd);
    if (!w) return {};
    return w->navText ? *w->navText : w->title;
}

void forEachWindow(const std::function<void(HWND)>& visit) {
    std::function<void(HWND)> walk = [&](HWND hwnd) {
        visit(hwnd);
        for (HWND child : childrenOf(hwnd)) walk(child);
    };
    for (HWND top : topLevelWindows()) walk(top);
}

}  // namespace kestrova::platform
