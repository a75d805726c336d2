#include "kestrova/ui/form_screen.h"

#include "kestrova/platform/menu_bar.h"
#include "kestrova/platform/screen.h"

namespace kestrova::ui {

using namespace kestrova::platform;

namespace {

// The navigation bar holds one short line.
constexpr size_t kMaxNavBarText = 127;

} // namespace

bool FormScreen::createForm(const std::string& title, HWND owner, const std::string& okLabel,
                            const std::string& cancelLabel) {
    title_ = title;
    if (!create(title, WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN, workArea(), nullptr, owner)) return false;
    createMenuBar(hwnd(), {{okLabel, kCommandOk}, {cancelLabel, kCommandCancel}});
    overrideBackKey(hwnd(), true);
    return true;
}

void FormScreen::bringToFront() {
    showWindow(hwnd(), SW_SHOW);
    setForegroundWindow(hwnd());
}

void FormScreen::setTitle(const std::string& title) {
    title_ = title;
    setWindowText(hwnd(), title);
    if (activeWindow() == hwnd()) setNavBarText(hwnd(), title_.substr(0, kMaxNavBarText));
}

void FormScreen::close() {
    postMessage(hwnd(), WM_CLOSE, 0, 0);
}

void FormScreen::onActivate(HWND hwnd, int state, HWND otherWindow, bool minimized) {
    if (state != WA_INACTIVE) setNavBarText(hwnd, title_.substr(0, kMaxNavBarText));
    WindowBase::onActivate(hwnd, state, otherWindow, minimized);
}

void FormScreen::onCommand(HWND hwnd, int id, HWND controlHwnd, int notifyCode) {
    // Commands of the soft keys and of Enter, not the notifications of fields.
    if (controlHwnd && notifyCode != 0) return;
    if (id == kCommandOk && !controlHwnd)
        onOk();
    else if (id == kCommandCancel && !controlHwnd)
        close();
}

void FormScreen::onHotKey(HWND, int, int, int key) {
    if (key == VK_TBACK) sendBackToFocusWindow();
}

void FormScreen::onDestroy(HWND) {
    onFormDestroyed();
    delete this;
}

} // namespace kestrova::ui
