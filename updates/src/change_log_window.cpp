#include "change_log_window.h"

#include "update_texts.h"

#include "kestrova/platform/controls.h"
#include "kestrova/platform/menu_bar.h"
#include "kestrova/platform/screen.h"

namespace kestrova::updates {

using namespace kestrova::platform;

std::unique_ptr<ChangeLogWindow> ChangeLogWindow::show(HWND owner, std::string_view text) {
    std::unique_ptr<ChangeLogWindow> window(new ChangeLogWindow);
    // Made 240x320, then set up as a full-screen dialog: it fills the work area.
    if (!window->create(texts::text(texts::kChangeLogCaption), WS_POPUP | WS_CAPTION, Rect{0, 0, 240, 320},
                        nullptr, owner))
        return nullptr;
    HWND hwnd = window->hwnd();
    SoftKeyBar bar;
    bar.left = {texts::text(texts::kOk), static_cast<uintptr_t>(kCommandOk)};
    bar.right.visible = false;
    createMenuBar(hwnd, bar);
    window->text_ =
        createControl(kEditClass, withEditLineBreaks(text),
                      WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                      clientRect(hwnd), hwnd, kTextId);
    moveWindow(hwnd, workArea());
    showWindow(hwnd, SW_SHOWNORMAL);
    setForegroundWindow(hwnd);
    if (window->text_) setFocus(window->text_);
    return window;
}

void ChangeLogWindow::onCommand(HWND hwnd, int id, HWND, int) {
    if (id == kCommandOk) destroyWindow(hwnd);
}

void ChangeLogWindow::onSize(HWND hwnd, int, int, int) {
    if (text_) moveWindow(text_, clientRect(hwnd));
}

std::string withEditLineBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}

} // namespace kestrova::updates
