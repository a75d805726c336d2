// The Settings and About screens and the tray icon inside the test program:
// a main window that hears the activation broadcast, settings and the
// autostart folder of the test's own, and the user's moves (taps on
// controls, soft keys, tabs) through automation.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "kestrova/platform/automation.h"
#include "kestrova/platform/messages.h"
#include "kestrova/ui/window_base.h"

namespace kestrova::shell::testing {

platform::WindowQuery queryText(std::string text, bool visibleOnly = false);
platform::WindowQuery queryClass(std::string className);

class ScreenScene {
  public:
    ScreenScene();
    ~ScreenScene();

    platform::HWND mainWindow() { return main_.hwnd(); }
    // How often the main window was asked to come forward.
    int activations() const { return main_.activations; }

    void pump();
    // The control of the window whose text is this; fails the test when there is none.
    platform::HWND control(platform::HWND window, const std::string& text);
    // A tap on a check box or button.
    void click(platform::HWND window, const std::string& text);
    bool checked(platform::HWND window, const std::string& text);
    bool visible(platform::HWND window, const std::string& text);
    void pressSoftKey(platform::HWND window, int index);
    void chooseTab(platform::HWND stripWindow, int index);
    // The rows of a list as automation reads them.
    std::vector<std::string> rows(platform::HWND list);
    // Saved for a person to look at: build/screenshots/<name>.png.
    void screenshot(const std::string& name);

    std::filesystem::path autostartEntry() const;

  private:
    struct Main : ui::WindowBase {
        uint32_t activateMessage = 0;
        int activations = 0;
        bool make();
        platform::LResult handleMessage(platform::HWND hwnd, uint32_t message, platform::WParam wParam,
                                        platform::LParam lParam) override;
    };
    std::filesystem::path folder_;
    Main main_;
};

} // namespace kestrova::shell::testing
