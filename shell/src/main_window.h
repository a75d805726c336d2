// The shell's single top-level window. It hosts the panes the rest of the
// shell creates (the contact list's tabs and pages) through its PaneLayout,
// the status strip at the bottom, and the soft-key menu with one submenu per
// service. Plug-ins reach it only through the bus: "core.window.hwnd",
// "core.window.layout" and "core.window.OnCommand".
#pragma once

#include <memory>

#include "kestrova/kit/pane_layout.h"
#include "kestrova/platform/icon.h"
#include "kestrova/ui/window_base.h"
#include "main_menu.h"
#include "status_strip/status_strip.h"

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
    StatusStrip* statusStrip() { return statusStrip_.get(); }
    int serviceMenuCount() const { return serviceMenus_.count(); }

    LResult handleMessage(HWND hwnd, uint32_t message, WParam wParam, LParam lParam) override;
    void onActivate(HWND hwnd, int state, HWND otherWindow, bool minimized) override;
    void onClose(HWND hwnd) override;
    void onCommand(HWND hwnd, int id, HWND controlHwnd, int notifyCode) override;
    void onDestroy(HWND hwnd) override;
    LResult onNextDialogControl(HWND hwnd, WParam target, bool isHandle) override;
    void onSystemShutdown(HWND hwnd, bool ending) override;
    void onSize(HWND hwnd, int type, int width, int height) override;

  private:
    MainWindow() = default;
    void createStatusStrip();
    void setWindowIcons();
    void exitAfterAsking();
    void activateFromAnotherStart();
    // The pane of the layout's focus order that holds the window, or the window itself.
    HWND paneHolding(HWND window) const;

    uint32_t activateMessage_ = 0;
    ServiceSubmenus serviceMenus_;
    kit::PaneLayout layout_;
    HWND focusMemory_ = nullptr;
    std::unique_ptr<StatusStrip> statusStrip_;
    platform::IconPtr smallIcon_;
    platform::IconPtr largeIcon_;
    bool askingToExit_ = false;
};

} // namespace kestrova::shell
