// The row of three tabs above a chat window's input area: "Text", "Voice",
// "Photo", each with its icon. It answers the tab query with the selected
// index and tells its parent of a new selection (TCN_SELCHANGE) and of any
// key it does not use itself (TCN_KEYDOWN), which the chat window then takes
// as its own, so typing while the tabs have the focus types into the input.
// Left and Right select the neighbour (no wrapping), Up and Down move the
// focus on, a tap selects the tab under it.
#pragma once

#include <cstdint>

#include "kestrova/ui/window_base.h"
#include "view_metrics.h"

namespace kestrova::messaging {

class ModeSelector : public ui::WindowBase {
  public:
    static constexpr int kTabs = 3;
    enum Tab : int { kText = 0, kVoice = 1, kPhoto = 2 };

    explicit ModeSelector(const ViewMetrics& metrics) : metrics_(metrics) {}
    bool create(platform::HWND parent, const platform::Rect& rect, uintptr_t controlId);

    int selected() const { return selected_; }
    // Selects a tab and tells the parent, as a key or tap would.
    void select(int tab);

    platform::LResult handleMessage(platform::HWND hwnd, uint32_t message, platform::WParam wParam,
                                    platform::LParam lParam) override;
    void onPaint(platform::HWND hwnd) override;
    platform::LResult onEraseBackground(platform::HWND hwnd, platform::DeviceContext* dc) override {
        return 1;
    }
    void onKey(platform::HWND hwnd, uint32_t key, bool down, int repeat, uint32_t flags) override;
    platform::LResult onGetDialogCode(platform::HWND hwnd, const platform::Msg* message) override;
    void onLeftButtonDown(platform::HWND hwnd, bool doubleClick, int x, int y, uint32_t keys) override;
    void onSetFocus(platform::HWND hwnd, platform::HWND oldFocus) override;
    void onKillFocus(platform::HWND hwnd, platform::HWND newFocus) override;

  private:
    platform::Rect tabRect(int tab) const;

    const ViewMetrics& metrics_;
    int selected_ = kText;
};

} // namespace kestrova::messaging
