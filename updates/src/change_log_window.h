// The window that shows the change log an update delivered, once, at the
// start after the update: captioned "Kestrova Updated!", owned by the main
// window, filling the screen between the bars, the text in a read-only
// multi-line edit, and one soft key "OK" that closes it.
#pragma once

#include "kestrova/ui/window_base.h"

#include <memory>
#include <string>
#include <string_view>

namespace kestrova::updates {

class ChangeLogWindow final : public ui::WindowBase {
  public:
    static constexpr int kCommandOk = 1;
    static constexpr uintptr_t kTextId = 100;

    // Shows it in front; null when the window could not be made.
    static std::unique_ptr<ChangeLogWindow> show(ui::HWND owner, std::string_view text);

    void onCommand(ui::HWND hwnd, int id, ui::HWND controlHwnd, int notifyCode) override;
    void onSize(ui::HWND hwnd, int type, int width, int height) override;

  private:
    ChangeLogWindow() = default;
    ui::HWND text_ = nullptr;
};

// The text with every bare line feed made a "\r\n", as the edit control
// breaks lines.
std::string withEditLineBreaks(std::string_view text);

} // namespace kestrova::updates
