#include "input_buttons.h"

#include "kestrova/platform/sound.h"
#include "kestrova/platform/window.h"
#include "texts.h"

namespace kestrova::messaging {

using namespace kestrova::platform;

namespace {

constexpr Colour kFace = rgb(192, 192, 192);

// A grey push button with its text, drawn as the voice and photo buttons
// are; pressing it beeps.
class PendingButton : public ui::WindowBase {
  public:
    PendingButton(uint32_t label, const ViewMetrics& metrics) : label_(label), metrics_(metrics) {}

    bool make(HWND parent, const Rect& rect, uintptr_t id) {
        return create(text(label_), WS_CHILD | WS_VISIBLE | WS_TABSTOP, rect, parent, nullptr, id);
    }

    void onPaint(HWND hwnd) override {
        PaintScope scope(hwnd);
        DeviceContext& dc = scope.dc();
        Rect client = clientRect(hwnd);
        dc.fillRect(client, kFace);
        dc.drawEdge(client, Edge::kRaised);
        dc.selectFont(metrics_.boldFont);
        dc.setTextColour(colours::kWindowText);
        dc.drawText(text(label_), client, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        if (focusWindow() == hwnd) dc.frameRect(client.inset(4, 4), colours::kDarkShadow);
    }
    LResult onGetDialogCode(HWND, const Msg*) override { return DLGC_WANTARROWS | DLGC_WANTALLKEYS; }
    void onKey(HWND hwnd, uint32_t key, bool down, int repeat, uint32_t flags) override {
        if (!down) return;
        switch (key) {
        case VK_LEFT:
        case VK_RIGHT:
        case VK_ESCAPE:
        case VK_BACK:
            sendMessage(parentOf(hwnd), WM_KEYDOWN, key, 0);
            return;
        case VK_UP:
        case VK_DOWN:
            sendMessage(parentOf(hwnd), WM_NEXTDLGCTL, key == VK_UP ? 1 : 0, 0);
            return;
        case VK_RETURN:
        case VK_SPACE:
            playDefaultBeep();
            return;
        default:
            return;
        }
    }
    void onLeftButtonDown(HWND hwnd, bool, int, int, uint32_t) override {
        setFocus(hwnd);
        playDefaultBeep();
    }
    void onSetFocus(HWND hwnd, HWND) override { invalidateRect(hwnd, nullptr, false); }
    void onKillFocus(HWND hwnd, HWND) override { invalidateRect(hwnd, nullptr, false); }

  private:
    uint32_t label_;
    const ViewMetrics& metrics_;
};

std::unique_ptr<ui::WindowBase> makeButton(uint32_t label, HWND parent, const Rect& rect, uintptr_t id,
                                           const ViewMetrics& metrics) {
    auto button = std::make_unique<PendingButton>(label, metrics);
    if (!button->make(parent, rect, id)) return nullptr;
    return button;
}

} // namespace

std::unique_ptr<ui::WindowBase> makeVoiceButton(HWND chatWindow, const Rect& rect, uintptr_t id,
                                                const ViewMetrics& metrics) {
    return makeButton(texts::kPushToTalk, chatWindow, rect, id, metrics);
}

std::unique_ptr<ui::WindowBase> makePhotoButton(HWND chatWindow, const Rect& rect, uintptr_t id,
                                                const ViewMetrics& metrics) {
    return makeButton(texts::kCapturePhoto, chatWindow, rect, id, metrics);
}

} // namespace kestrova::messaging
