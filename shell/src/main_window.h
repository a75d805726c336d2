// The shell's single top-level window. Plug-ins reach it only through the
// bus: "core.window.hwnd", "core.window.layout" and "core.window.OnCommand".
#pragma once

#include <memory>

#include "kestrova/kit/pane_layout.h"
#include "kestrova/ui/window_base.h"

namespace kestrova::shell {

using platform::HWND;
using platform::LParam;
using platform::LResult;
using platform::WParam;

class MainWindow : public ui::WindowBase {
public:
    // Creates the window; shows it unless hidden. Null when it cannot be made.
    static std::unique_ptr<MainWindow> create(bool hidden);
    ~MainWindow() override;

    kit::PaneLayout& layout() { return layout_; }

    LResult handleMessage(HWND hwnd, uint32_t message, WParam wParam, LParam lParam) override;
    void onCommand(HWND hwnd, int id, HWND controlHwnd, int notifyCode) override;
    void onDestroy(HWND hwnd) override;
    void onSystemShutdown(HWND hwnd, bool ending) override;
    void onSize(HWND hwnd, int type, int width, int height) override;
    void onPaint(HWND hwnd) override;

private:
    MainWindow() = default;
    void createSoftKeyBar();
    void exitAfterAsking();
    void activateFromAnotherStart();

    uint32_t activateMessage_ = 0;
    int serviceMenuCount_ = 0;
    kit::PaneLayout layout_;
    HWND focusMemory_ = nullptr;
};

}  // namespace kestrova::shell
