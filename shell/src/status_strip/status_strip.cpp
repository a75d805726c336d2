#include "status_strip/status_strip.h"

#include <algorithm>

#include "kestrova/bus.h"
#include "kestrova/kit/own_module.h"
#include "kestrova/kit/service_record.h"
#include "kestrova/platform/icon_resources.h"
#include "kestrova/platform/menu.h"
#include "kestrova/platform/screen.h"
#include "kestrova/ui/fonts.h"
#include "shell_commands.h"
#include "status_strip/progress_animation.h"

namespace kestrova::shell {

using namespace kestrova::platform;

namespace {

constexpr uintptr_t kAnimationTimer = 1;
constexpr uint32_t kAnimationPeriodMs = 150;

constexpr Colour kBandTop = rgb(62, 76, 104);
constexpr Colour kBandBottom = rgb(30, 37, 52);
constexpr Colour kBandEdge = rgb(100, 118, 150);
constexpr Colour kFocusFrame = rgb(126, 176, 236);
constexpr Colour kFirstLineColour = rgb(255, 255, 255);
constexpr Colour kSecondLineColour = rgb(160, 160, 160);

// The largest of the icons' own sizes that takes no more than two thirds of
// the strip's height, so that they are never drawn scaled up.
int iconSizeFor(int stripHeight) {
    for (int size : {32, 22})
        if (size * 3 <= stripHeight * 2) return size;
    return 16;
}

ResourceName resourceOf(StripIcon icon) {
    switch (icon) {
    case StripIcon::kOffline:
        return {"KESTORVA_GRAY"};
    case StripIcon::kOnline:
        return {{}, 100};
    case StripIcon::kMessagesWaiting:
        return {{}, 111};
    default:
        return {};
    }
}

// A keyboard request for the menu (-1, -1), or one from a key of ours, opens
// it at this point of the strip.
constexpr Point kKeyboardMenuPoint{5, 5};

} // namespace

std::unique_ptr<StatusStrip> StatusStrip::create(HWND parent) {
    std::unique_ptr<StatusStrip> strip(new StatusStrip);
    if (!strip->WindowBase::create({}, WS_CHILD | WS_VISIBLE | WS_TABSTOP, Rect{}, parent, nullptr,
                                   kStatusStripId))
        return nullptr;
    strip->primary_ = kit::OwnedService(RY_GetPrimaryService());
    StatusStrip* self = strip.get();
    strip->onPrimary_ = kit::subscribe(strip->primary_.get(), [self](HSERVICE) { self->refresh(); });
    strip->onState_ =
        kit::subscribe(names::kConnectionState, [self](int32_t state) { self->followState(state); });
    strip->onUnread_ = kit::subscribe(names::kMessagesUnread, [self](int32_t) { self->refresh(); });
    strip->followState(bus::get(names::kConnectionState));
    return strip;
}

StatusStrip::~StatusStrip() = default;

StripContent StatusStrip::content() const {
    return stripContent(bus::get(names::kConnectionState), bus::get(names::kMessagesUnread),
                        kit::ServiceRecord(primary_.get()).read());
}

void StatusStrip::refresh() {
    if (!hwnd()) return;
    StripContent shown = content();
    setWindowText(hwnd(), shown.firstLine + "\n" + shown.secondLine);
    invalidateRect(hwnd(), nullptr, true);
}

void StatusStrip::followState(int32_t state) {
    if (!hwnd()) return;
    refresh();
    if (animatesIn(state)) {
        if (!animating_) setTimer(hwnd(), kAnimationTimer, kAnimationPeriodMs);
        animating_ = true;
    } else if (animating_) {
        killTimer(hwnd(), kAnimationTimer);
        animating_ = false;
    }
}

void StatusStrip::onTimer(HWND hwnd, uintptr_t timerId) {
    if (timerId != kAnimationTimer) return WindowBase::onTimer(hwnd, timerId);
    frame_ = (frame_ + 1) % kProgressFrames;
    invalidateRect(hwnd, nullptr, false);
}

void StatusStrip::paintIcon(DeviceContext& dc, StripIcon icon, const Rect& cell) {
    if (icon == StripIcon::kNone) return;
    if (icon == StripIcon::kProgress) return drawProgressFrame(dc, cell, frame_);
    IconPtr& loaded = icons_[icon];
    if (!loaded || loaded->width() != cell.width())
        loaded = loadIcon(kit::ownModule(), resourceOf(icon), cell.width());
    if (loaded) dc.drawIcon(*loaded, {cell.left, cell.top});
}

void StatusStrip::onPaint(HWND hwnd) {
    PaintScope paint(hwnd);
    DeviceContext& dc = paint.dc();
    const Rect client = clientRect(hwnd);
    dc.fillGradient(client, kBandTop, kBandBottom, GradientDirection::kVertical);
    dc.drawLine({client.left, client.top}, {client.right, client.top}, kBandEdge);
    if (focusWindow() == hwnd) dc.frameRect(client.inset(1, 1), kFocusFrame);

    const StripContent shown = content();
    const int margin = std::max(2, screenDpi() / 24);
    const int iconSize = iconSizeFor(client.height());
    const Rect cell =
        Rect::ofSize(client.left + margin, client.top + (client.height() - iconSize) / 2, iconSize, iconSize);
    paintIcon(dc, shown.icon, cell);

    // The two lines as one block, centred in the strip's height.
    const int first = ui::boldFont().lineHeight();
    const int second = ui::normalFont().lineHeight();
    const int top = client.top + (client.height() - first - second) / 2;
    const int left = cell.right + margin;
    const int right = client.right - margin;
    constexpr uint32_t kLine = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX;
    dc.selectFont(ui::boldFont());
    dc.setTextColour(kFirstLineColour);
    dc.drawText(shown.firstLine, Rect{left, top, right, top + first}, kLine);
    dc.selectFont(ui::normalFont());
    dc.setTextColour(kSecondLineColour);
    dc.drawText(shown.secondLine, Rect{left, top + first, right, top + first + second}, kLine);
}

void StatusStrip::showStatusMenu(Point at) {
    kit::OwnedService primary(RY_GetPrimaryService());
    UniqueMenu menu(bus::call(names::kServiceCreatePopupMenu, primary.get()));
    if (!menu.get()) return;
    const int command = trackPopupMenu(menu.get(), TPM_BOTTOMALIGN | TPM_RETURNCMD, at, hwnd());
    menu.reset();
    bus::call(names::kServiceHandlePopupMenu, primary.get(), static_cast<uint32_t>(command));
}

void StatusStrip::onContextMenu(HWND hwnd, HWND, int x, int y) {
    showStatusMenu(x == -1 && y == -1 ? clientToScreen(hwnd, kKeyboardMenuPoint) : Point{x, y});
}

void StatusStrip::onLeftButtonDown(HWND hwnd, bool doubleClick, int x, int y, uint32_t keys) {
    if (!doubleClick) {
        setFocus(hwnd);
        return WindowBase::onLeftButtonDown(hwnd, doubleClick, x, y, keys);
    }
    showStatusMenu(clientToScreen(hwnd, {x, y}));
}

void StatusStrip::onKey(HWND hwnd, uint32_t key, bool down, int repeat, uint32_t flags) {
    // NOTE: the application key is the phone's own request for a context
    // menu, so it opens the status menu just as Enter does.
    if (down && (key == VK_RETURN || key == VK_APPS))
        return showStatusMenu(clientToScreen(hwnd, kKeyboardMenuPoint));
    WindowBase::onKey(hwnd, key, down, repeat, flags);
}

LResult StatusStrip::onGetDialogCode(HWND, const Msg* message) {
    // Enter is the strip's own; the arrows move the focus between the panes.
    return message && message->wParam == VK_RETURN ? LResult{DLGC_WANTMESSAGE} : LResult{0};
}

void StatusStrip::onSetFocus(HWND hwnd, HWND) {
    invalidateRect(hwnd, nullptr, false);
}

void StatusStrip::onKillFocus(HWND hwnd, HWND) {
    invalidateRect(hwnd, nullptr, false);
}

void StatusStrip::onDestroy(HWND hwnd) {
    // Nothing is drawn once the window goes; the plug-ins' last changes at
    // their stop must not reach it.
    onPrimary_.reset();
    onState_.reset();
    onUnread_.reset();
    if (animating_) killTimer(hwnd, kAnimationTimer);
    animating_ = false;
}

} // namespace kestrova::shell
