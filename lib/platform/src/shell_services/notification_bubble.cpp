// Notification bubbles: a floating window over the lower part of the work
// area with the icon and title on a band, the text under it, and one push
// button per command across the bottom. The text is drawn as it is given:
// the bubble shows fixed texts and buttons, it renders no markup.
#include <algorithm>
#include <map>
#include <utility>

#include "devices/display_internal.h"
#include "kestrova/platform/button.h"
#include "kestrova/platform/controls.h"
#include "kestrova/platform/notifications.h"
#include "kestrova/platform/screen.h"
#include "kestrova/platform/window.h"
#include "window_system/window_system.h"

namespace kestrova::platform {
namespace {

constexpr char kBubbleClass[] = "NOTIFICATION_BUBBLE";
constexpr Colour kBand{40, 70, 130};
constexpr Colour kFace{255, 255, 225};
constexpr Colour kFrame{90, 90, 90};
constexpr uintptr_t kFirstButtonId = 100;

struct Bubble {
    NotificationRecord record;
};

using Key = std::pair<std::string, uint32_t>;
// Touched on the user-interface thread only.
std::map<Key, HWND> gBubbles;

int unit() {
    return screenDpi() / 8;
}
// Inside the bubble, around the text and between the buttons.
int margin() {
    return unit() / 4 + 2;
}
// Between the bubble and the screen's edges.
int edgeGap() {
    return std::max(2, screenDpi() / 48);
}
int bandHeight() {
    return std::max(smallIconSize(), unit() * 2) + 4;
}
int buttonHeight() {
    return unit() * 2 + 4;
}

Bubble* bubbleOf(HWND hwnd) {
    return reinterpret_cast<Bubble*>(userData(hwnd));
}

void paint(HWND hwnd, const Bubble& bubble) {
    PaintScope scope(hwnd);
    DeviceContext& dc = scope.dc();
    Rect client = clientRect(hwnd);
    dc.fillRect(client, kFace);
    Rect band{client.left, client.top, client.right, client.top + bandHeight()};
    dc.fillRect(band, kBand);
    const int gap = margin();
    int x = band.left + gap;
    if (bubble.record.icon) {
        dc.drawIcon(*bubble.record.icon, {x, band.top + (band.height() - bubble.record.icon->height()) / 2});
        x += bubble.record.icon->width() + gap;
    }
    dc.selectFont(detail::chromeBoldFont());
    dc.setTextColour(rgb(255, 255, 255));
    dc.drawText(bubble.record.title, Rect{x, band.top, band.right - gap, band.bottom},
                DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    dc.selectFont(detail::chromeFont());
    dc.setTextColour(rgb(0, 0, 0));
    Rect text{client.left + gap, band.bottom + gap, client.right - gap,
              client.bottom - buttonHeight() - gap * 2};
    dc.drawText(bubble.record.text, text, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    dc.frameRect(client, kFrame);
}

void placeButtons(HWND hwnd, const Bubble& bubble) {
    Rect client = clientRect(hwnd);
    const int gap = margin();
    size_t count = bubble.record.buttons.size();
    if (count == 0) return;
    int width = (client.width() - gap * static_cast<int>(count + 1)) / static_cast<int>(count);
    int top = client.bottom - gap - buttonHeight();
    for (size_t i = 0; i < count; ++i) {
        int left = gap + static_cast<int>(i) * (width + gap);
        moveWindow(childById(hwnd, kFirstButtonId + i), Rect{left, top, left + width, top + buttonHeight()});
    }
}

LResult bubbleProc(HWND hwnd, uint32_t message, WParam wParam, LParam lParam) {
    if (message == WM_CREATE) {
        setUserData(hwnd, reinterpret_cast<intptr_t>(reinterpret_cast<CreateParams*>(lParam)->createParam));
        return 0;
    }
    Bubble* bubble = bubbleOf(hwnd);
    switch (message) {
    case WM_PAINT:
        if (!bubble) break;
        paint(hwnd, *bubble);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_COMMAND: {
        // A button tells the sink its command; the sink removes the bubble.
        size_t index = loWord(wParam) - kFirstButtonId;
        if (bubble && hiWord(wParam) == BN_CLICKED && index < bubble->record.buttons.size())
            postMessage(bubble->record.sink, WM_COMMAND,
                        static_cast<WParam>(bubble->record.buttons[index].command), 0);
        return 0;
    }
    case WM_NCDESTROY:
        setUserData(hwnd, 0);
        if (bubble) {
            auto it = gBubbles.find({bubble->record.classId, bubble->record.id});
            if (it != gBubbles.end() && it->second == hwnd) gBubbles.erase(it);
        }
        delete bubble;
        break;
    default:
        break;
    }
    return defWindowProc(hwnd, message, wParam, lParam);
}

Rect bubbleRect(const NotificationRecord& record) {
    Rect area = workArea();
    const int gap = margin();
    int width = area.width() - 2 * edgeGap();
    Bitmap scratch(1, 1);
    DeviceContext dc(scratch);
    dc.selectFont(detail::chromeFont());
    int textHeight = dc.drawText(record.text, Rect{0, 0, width - 2 * gap, area.height()},
                                 DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    int height = bandHeight() + textHeight + buttonHeight() + gap * 4;
    height = std::min(height, area.height() - 2 * edgeGap());
    return Rect{area.left + edgeGap(), area.bottom - edgeGap() - height, area.right - edgeGap(),
                area.bottom - edgeGap()};
}

} // namespace

bool addNotification(const NotificationRecord& record) {
    Key key{record.classId, record.id};
    if (auto it = gBubbles.find(key); it != gBubbles.end() && isWindow(it->second)) return false;
    registerClass({kBubbleClass, bubbleProc, 0, std::nullopt});
    auto bubble = std::make_unique<Bubble>(Bubble{record});
    HWND hwnd = createWindow(
        {kBubbleClass, record.title, WS_POPUP, bubbleRect(record), nullptr, nullptr, 0, bubble.get()});
    if (!hwnd) return false;
    Bubble* owned = bubble.release(); // the window's now; freed at WM_NCDESTROY
    detail::setFloating(hwnd);
    for (size_t i = 0; i < record.buttons.size(); ++i)
        createControl(kButtonClass, record.buttons[i].label, BS_PUSHBUTTON | WS_VISIBLE, Rect{}, hwnd,
                      kFirstButtonId + i);
    placeButtons(hwnd, *owned);
    gBubbles[key] = hwnd;
    showWindow(hwnd, SW_SHOWNA);
    return true;
}

bool removeNotification(const std::string& classId, uint32_t id) {
    auto it = gBubbles.find({classId, id});
    if (it == gBubbles.end()) return false;
    HWND hwnd = it->second;
    gBubbles.erase(it);
    return destroyWindow(hwnd);
}

HWND notificationWindow(const std::string& classId, uint32_t id) {
    auto it = gBubbles.find({classId, id});
    return it == gBubbles.end() ? nullptr : it->second;
}

} // namespace kestrova::platform
