#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <mutex>

#include "controls/scroll_bar.h"
#include "devices/display_backend.h"
#include "devices/display_internal.h"
#include "kestrova/platform/display.h"
#include "kestrova/platform/menu_bar.h"
#include "kestrova/platform/screen.h"
#include "kestrova/platform/vibration.h"
#include "kestrova/platform/window.h"
#include "shell_services/notification_area.h"
#include "window_system/window_system.h"

namespace kestrova::platform {
namespace detail {
namespace {

std::unique_ptr<DisplayBackend> gBackend;
DisplayKind gKind = DisplayKind::kHeadless;

constexpr Colour kVibrationColour = rgb(255, 140, 0);

void drawTree(DeviceContext& dc, HWND hwnd, Point origin) {
    if (!(windowStyle(hwnd) & WS_VISIBLE)) return;
    Window* w = find(hwnd);
    if (!w) return;
    Rect r = w->rect.offset(origin.x, origin.y);
    DeviceContext::ClipGuard clip(dc, r);
    {
        // The surface and the children stay inside the client area; the
        // scroll bars take the rest.
        Size client = clientSizeOf(*w);
        DeviceContext::ClipGuard clientClip(dc, Rect::ofSize(r.left, r.top, client.width, client.height));
        dc.drawBitmap(surfaceOf(*w), {r.left, r.top});
        for (HWND child : childrenOf(hwnd)) drawTree(dc, child, {r.left, r.top});
    }
    drawWindowScrollBars(dc, hwnd, {r.left, r.top});
}

void drawNavBar(DeviceContext& dc, HWND fg) {
    Rect bar = Rect::ofSize(0, 0, screen().width, navBarHeight());
    dc.fillGradient(bar, rgb(40, 70, 130), rgb(15, 35, 80), GradientDirection::kVertical);
    if (!fg) return;
    dc.selectFont(chromeBoldFont());
    dc.setTextColour(rgb(255, 255, 255));
    int margin = screenDpi() / 20;
    // A popup without a title (a menu) leaves its owner's title in the bar.
    HWND titled = fg;
    while (navBarTextOf(titled).empty() && ownerOf(titled)) titled = ownerOf(titled);
    dc.drawText(navBarTextOf(titled), bar.inset(margin, 0), DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
}

// The notification area: the icons at the right of the navigation bar,
// the first added rightmost.
void drawTrayIcons(DeviceContext& dc) {
    for (const auto& icon : placedTrayIcons())
        if (icon.record.icon) dc.drawIcon(*icon.record.icon, {icon.place.left, icon.place.top});
}

void drawSoftKey(DeviceContext& dc, const SoftKey& key, const Rect& half, uint32_t align) {
    if (!key.visible) return;
    dc.setTextColour(key.enabled ? rgb(255, 255, 255) : rgb(140, 140, 150));
    dc.drawText(key.label, half.inset(screenDpi() / 16, 0), DT_SINGLELINE | DT_VCENTER | align);
}

void drawSoftKeyBar(DeviceContext& dc, HWND fg) {
    ScreenGeometry s = screen();
    Rect bar{0, s.height - softKeyBarHeight(), s.width, s.height};
    dc.fillGradient(bar, rgb(60, 60, 70), rgb(20, 20, 25), GradientDirection::kVertical);
    auto keys = fg ? menuBarOf(fg) : std::nullopt;
    if (!keys) return;
    dc.selectFont(chromeBoldFont());
    drawSoftKey(dc, keys->left, Rect{bar.left, bar.top, bar.width() / 2, bar.bottom}, DT_LEFT);
    drawSoftKey(dc, keys->right, Rect{bar.width() / 2, bar.top, bar.right, bar.bottom}, DT_RIGHT);
    // The divider parts two keys; beside a single one it would part nothing.
    if (keys->left.visible && keys->right.visible)
        dc.drawLine({bar.width() / 2, bar.top + 5}, {bar.width() / 2, bar.bottom - 6}, rgb(110, 110, 120));
}

// A vibrating device shows a frame around its screen.
void drawVibration(DeviceContext& dc) {
    if (!isVibrating()) return;
    ScreenGeometry s = screen();
    int width = std::max(2, screenDpi() / 40);
    for (int i = 0; i < width; ++i) dc.frameRect(Rect{i, i, s.width - i, s.height - i}, kVibrationColour);
}

}  // namespace

bool displayIsInteractive() { return gBackend && gBackend->interactive(); }

namespace {

// The fonts follow the screen: a test or a second screen size may set
// another dpi after the first font was made.
const Font& chromeFontOf(int weight) {
    thread_local std::map<std::pair<int, int>, Font> fonts;
    int dpi = screenDpi();
    auto [it, added] = fonts.try_emplace({dpi, weight});
    if (added) it->second = Font("Tahoma", -(8 * dpi) / 72, weight);
    return it->second;
}

}  // namespace

const Font& chromeFont() { return chromeFontOf(kNormalWeight); }
const Font& chromeBoldFont() { return chromeFontOf(kBoldWeight); }

void composeScreen(Bitmap& target) {
    updateAllWindows();
    target.clear(rgb(0, 0, 0));
    DeviceContext dc(target);
    HWND fg = foregroundWindow();
    {
        DeviceContext::ClipGuard clip(dc, workArea());
        dc.fillRect(workArea(), colours::kWindow);
        for (HWND top : topLevelWindows())
            if (top != fg && !isFloating(top)) drawTree(dc, top, {0, 0});
        if (fg) drawTree(dc, fg, {0, 0});
        for (HWND bubble : floatingWindows()) drawTree(dc, bubble, {0, 0});
    }
    drawNavBar(dc, fg);
    drawTrayIcons(dc);
    drawSoftKeyBar(dc, fg);
    drawVibration(dc);
}

uint64_t screenGeneration() { return windowSystem().screenGeneration + vibrationGeneration(); }

}  // namespace detail

using namespace detail;

std::optional<DisplayKind> parseDisplayKind(std::string_view name) {
    if (name == "auto") return DisplayKind::kAuto;
    if (name == "headless") return DisplayKind::kHeadless;
    if (name == "sdl") return DisplayKind::kSdl;
    return std::nullopt;
}

const char* displayKindName(DisplayKind kind) {
    switch (kind) {
    case DisplayKind::kAuto: return "auto";
    case DisplayKind::kSdl: return "sdl";
    default: return "headless";
    }
}

DisplayKind startDisplay(DisplayKind kind) {
    stopDisplay();
    if (kind == DisplayKind::kAuto) {
        const char* x = std::getenv("DISPLAY");
        const char* wayland = std::getenv("WAYLAND_DISPLAY");
        kind = (x && *x) || (wayland && *wayland) ? DisplayKind::kSdl : DisplayKind::kHeadless;
    }
    if (kind == DisplayKind::kSdl) {
        gBackend = makeSdlBackend();
        if (!gBackend) kind = DisplayKind::kHeadless;
    }
    gKind = kind;
    if (gBackend) {
        auto q = currentQueue();
        std::lock_guard lock(q->mutex);
        q->source = gBackend.get();
    }
    return kind;
}

void stopDisplay() {
    if (!gBackend) return;
    for (auto& q : allQueues()) {
        std::lock_guard lock(q->mutex);
        if (q->source == gBackend.get()) q->source = nullptr;
    }
    gBackend.reset();
    gKind = DisplayKind::kHeadless;
}

DisplayKind currentDisplay() { return gKind; }

std::unique_ptr<Bitmap> captureScreen() {
    ScreenGeometry s = screen();
    auto bitmap = std::make_unique<Bitmap>(s.width, s.height);
    composeScreen(*bitmap);
    return bitmap;
}

std::unique_ptr<Bitmap> captureWindow(HWND hwnd) {
    if (!isWindow(hwnd)) return nullptr;
    updateAllWindows();
    Rect r = windowRect(hwnd);
    auto bitmap = std::make_unique<Bitmap>(r.width(), r.height());
    DeviceContext dc(*bitmap);
    Window* w = find(hwnd);
    // Draw the window at the origin: shift by its own position in its parent.
    drawTree(dc, hwnd, {-w->rect.left, -w->rect.top});
    return bitmap;
}

bool saveScreenPng(const std::filesystem::path& path) { return captureScreen()->savePng(path); }

Size fitOnDesktop(Size screen, Size usable, Size frame) {
    if (screen.width <= 0 || screen.height <= 0) return screen;
    // Small phone screens are hard to read pixel for pixel on a desktop.
    double scale = screen.width <= 320 ? 2.0 : 1.0;
    const int roomWidth = usable.width - frame.width;
    const int roomHeight = usable.height - frame.height;
    if (roomWidth > 0 && roomHeight > 0)
        scale = std::min({scale, double(roomWidth) / screen.width, double(roomHeight) / screen.height});
    return {std::max(1, int(screen.width * scale)), std::max(1, int(screen.height * scale))};
}

Size keepAspect(Size screen, Size before, Size requested) {
    if (screen.width <= 0 || screen.height <= 0 || requested.width <= 0 || requested.height <= 0) return requested;
    const int heightForWidth = int(std::lround(double(requested.width) * screen.height / screen.width));
    if (std::abs(heightForWidth - requested.height) <= 1) return requested;
    if (std::abs(requested.width - before.width) >= std::abs(requested.height - before.height))
        return {requested.width, heightForWidth};
    return {int(std::lround(double(requested.height) * screen.width / screen.height)), requested.height};
}

std::optional<Size> desktopWindowSize() {
    if (!gBackend) return std::nullopt;
    return gBackend->windowSize();
}

void closeFromDesktop() {
    for (HWND top : topLevelWindows())
        if (isVisible(top)) {
            postMessage(top, WM_CLOSE);
            return;
        }
    postQuitMessage(0);
}

bool saveWindowPng(HWND hwnd, const std::filesystem::path& path) {
    auto bitmap = captureWindow(hwnd);
    return bitmap && bitmap->savePng(path);
}

}  // namespace kestrova::platform
