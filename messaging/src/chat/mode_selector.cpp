#include "mode_selector.h"

#include "kestrova/platform/tab_control.h"
#include "kestrova/platform/window.h"
#include "module_resources.h"
#include "texts.h"

namespace kestrova::messaging {

using namespace kestrova::platform;

namespace {

struct TabLook {
    uint32_t text;
    uint32_t icon;
};
constexpr TabLook kTabLooks[ModeSelector::kTabs] = {
    {texts::kTextTab, 102}, {texts::kVoiceTab, 103}, {texts::kPhotoTab, 101}};
constexpr int kIconSize = 16;

constexpr Colour kStripTop = rgb(236, 240, 246);
constexpr Colour kStripBottom = rgb(206, 216, 230);
constexpr Colour kSelectedTop = rgb(255, 255, 255);
constexpr Colour kSelectedBottom = rgb(226, 235, 242);
constexpr Colour kBorder = rgb(128, 161, 200);
constexpr Colour kFocus = rgb(43, 67, 104);

} // namespace

bool ModeSelector::create(HWND parent, const Rect& rect, uintptr_t controlId) {
    // NOTE: not a tab stop: Up from the text input goes straight to the
    // messages, and the tabs are reached with Left and Right.
    return WindowBase::create("", WS_CHILD | WS_VISIBLE, rect, parent, nullptr, controlId);
}

void ModeSelector::select(int tab) {
    if (tab < 0 || tab >= kTabs || tab == selected_) return;
    selected_ = tab;
    invalidateRect(hwnd(), nullptr, false);
    notifyTabParent(hwnd(), TCN_SELCHANGE);
}

LResult ModeSelector::handleMessage(HWND hwnd, uint32_t message, WParam wParam, LParam lParam) {
    if (message == TCM_GETCURSEL) return selected_;
    if (message == TCM_SETCURSEL) {
        int previous = selected_;
        if (static_cast<int>(wParam) >= 0 && static_cast<int>(wParam) < kTabs)
            selected_ = static_cast<int>(wParam);
        invalidateRect(hwnd, nullptr, false);
        return previous;
    }
    // Characters typed here belong in the chat window's input.
    if (message == WM_CHAR) return sendMessage(parentOf(hwnd), message, wParam, lParam);
    return WindowBase::handleMessage(hwnd, message, wParam, lParam);
}

Rect ModeSelector::tabRect(int tab) const {
    Rect client = clientRect(hwnd());
    int width = client.width() / kTabs;
    int left = client.left + tab * width;
    int right = tab == kTabs - 1 ? client.right : left + width;
    return {left, client.top, right, client.bottom};
}

void ModeSelector::onPaint(HWND hwnd) {
    PaintScope scope(hwnd);
    Rect client = clientRect(hwnd);
    if (client.empty()) return;
    // Drawn off screen and copied at once, so the strip never flickers.
    Bitmap canvas(client.width(), client.height());
    DeviceContext dc(canvas);
    dc.fillGradient(client, kStripTop, kStripBottom, GradientDirection::kVertical);
    bool focused = focusWindow() == hwnd;
    for (int tab = 0; tab < kTabs; ++tab) {
        Rect r = tabRect(tab);
        bool selected = tab == selected_;
        if (selected) {
            dc.fillGradient(r.inset(1, 1), kSelectedTop, kSelectedBottom, GradientDirection::kVertical);
            dc.frameRect(r.inset(1, 1), kBorder);
            if (focused) dc.frameRect(r.inset(3, 3), kFocus);
        }
        dc.selectFont(selected ? metrics_.boldFont : metrics_.normalFont);
        const std::string& label = text(kTabLooks[tab].text);
        int textWidth = dc.measureText(label).width;
        int left = r.left + std::max(2, (r.width() - kIconSize - 3 - textWidth) / 2);
        if (const Icon* icon = messagingIcon({"", kTabLooks[tab].icon}, kIconSize))
            dc.drawIcon(*icon, {left, r.top + (r.height() - kIconSize) / 2});
        dc.setTextColour(colours::kWindowText);
        dc.drawText(label, {left + kIconSize + 3, r.top, r.right - 2, r.bottom},
                    DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    dc.drawLine({client.left, client.bottom - 1}, {client.right, client.bottom - 1}, kBorder);
    scope.dc().drawBitmap(canvas, {client.left, client.top});
}

void ModeSelector::onKey(HWND hwnd, uint32_t key, bool down, int repeat, uint32_t flags) {
    if (!down) return;
    switch (key) {
    case VK_LEFT:
        select(std::max(0, selected_ - 1));
        return;
    case VK_RIGHT:
        select(std::min(kTabs - 1, selected_ + 1));
        return;
    case VK_UP:
    case VK_DOWN:
        sendMessage(parentOf(hwnd), WM_NEXTDLGCTL, key == VK_UP ? 1 : 0, 0);
        return;
    default: {
        TabKeyDown notice;
        notice.header = {hwnd, controlIdOf(hwnd), TCN_KEYDOWN};
        notice.key = static_cast<uint16_t>(key);
        notice.flags = flags;
        sendMessage(parentOf(hwnd), WM_NOTIFY, controlIdOf(hwnd), reinterpret_cast<LParam>(&notice));
    }
    }
}

LResult ModeSelector::onGetDialogCode(HWND, const Msg*) {
    return DLGC_WANTARROWS | DLGC_WANTALLKEYS;
}

void ModeSelector::onLeftButtonDown(HWND hwnd, bool, int x, int y, uint32_t) {
    setFocus(hwnd);
    for (int tab = 0; tab < kTabs; ++tab)
        if (tabRect(tab).contains({x, y})) select(tab);
}

void ModeSelector::onSetFocus(HWND hwnd, HWND) {
    invalidateRect(hwnd, nullptr, false);
}
void ModeSelector::onKillFocus(HWND hwnd, HWND) {
    invalidateRect(hwnd, nullptr, false);
}

} // namespace kestrova::messaging
