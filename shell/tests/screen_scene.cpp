#include "screen_scene.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "kestrova/api.h"
#include "kestrova/bus.h"
#include "kestrova/platform/automation.h"
#include "kestrova/platform/button.h"
#include "kestrova/platform/display.h"
#include "kestrova/platform/list_box.h"
#include "kestrova/platform/menu_bar.h"
#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/screen.h"
#include "kestrova/platform/tab_control.h"
#include "shell_commands.h"

namespace kestrova::shell::testing {

using namespace kestrova::platform;

WindowQuery queryText(std::string text, bool visibleOnly) {
    WindowQuery query;
    query.text = std::move(text);
    query.visibleOnly = visibleOnly;
    return query;
}

WindowQuery queryClass(std::string className) {
    WindowQuery query;
    query.className = std::move(className);
    return query;
}

namespace {

// The same tests run on the small and on the large screen; the screen is
// set before the first window or font is made.
[[maybe_unused]] const bool kScreenSet = [] {
#ifdef KESTROVA_TEST_SCREEN
    setScreen(*parseScreenGeometry(KESTROVA_TEST_SCREEN));
#endif
    return true;
}();

} // namespace

bool ScreenScene::Main::make() {
    return create("Kestrova", WS_CAPTION | WS_VISIBLE, workArea(), nullptr);
}

LResult ScreenScene::Main::handleMessage(HWND hwnd, uint32_t message, WParam wParam, LParam lParam) {
    if (message == activateMessage) ++activations;
    return WindowBase::handleMessage(hwnd, message, wParam, lParam);
}

ScreenScene::ScreenScene() {
    static int scenes = 0;
    folder_ = std::filesystem::temp_directory_path() /
              ("kestrova-screens-" + std::to_string(::getpid()) + "-" + std::to_string(++scenes));
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_ / "home");
    ::setenv("KESTROVA_HOME", (folder_ / "home").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (folder_ / "config").c_str(), 1);
    main_.make();
    main_.activateMessage = registerWindowMessage(kActivateMessage);
    setForegroundWindow(main_.hwnd());
    bus::set(names::kCoreWindowHwnd, main_.hwnd());
}

ScreenScene::~ScreenScene() {
    destroyWindow(main_.hwnd());
    pumpPendingMessages();
    RY_API_Cleanup();
    std::filesystem::remove_all(folder_);
}

void ScreenScene::pump() {
    pumpPendingMessages();
}

HWND ScreenScene::control(HWND window, const std::string& text) {
    WindowQuery query;
    query.text = text;
    for (HWND found : findWindows(query))
        if (isDescendant(window, found) && found != window) return found;
    ADD_FAILURE() << "no control \"" << text << "\"";
    return nullptr;
}

void ScreenScene::click(HWND window, const std::string& text) {
    sendMessage(control(window, text), BM_CLICK, 0, 0);
    pump();
}

bool ScreenScene::checked(HWND window, const std::string& text) {
    return sendMessage(control(window, text), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool ScreenScene::visible(HWND window, const std::string& text) {
    return isVisible(control(window, text));
}

void ScreenScene::pressSoftKey(HWND window, int index) {
    platform::pressSoftKey(window, index);
    pump();
}

void ScreenScene::chooseTab(HWND strip, int index) {
    sendMessage(strip, TCM_SETCURSEL, static_cast<WParam>(index), 0);
    pump();
}

std::vector<std::string> ScreenScene::rows(HWND list) {
    pump();
    std::vector<std::string> out;
    auto count = sendMessage(list, LB_GETCOUNT, 0, 0);
    for (LResult i = 0; i < count; ++i) {
        std::string text(static_cast<size_t>(sendMessage(list, LB_GETTEXTLEN, static_cast<WParam>(i), 0)),
                         '\0');
        sendMessage(list, LB_GETTEXT, static_cast<WParam>(i), reinterpret_cast<LParam>(text.data()));
        out.push_back(text);
    }
    return out;
}

void ScreenScene::screenshot(const std::string& name) {
    pump();
    std::filesystem::path shots = std::filesystem::path(KESTROVA_BIN_DIR).parent_path() / "screenshots";
    std::filesystem::create_directories(shots);
    ScreenGeometry size = screen();
    saveScreenPng(shots /
                  (name + "-" + std::to_string(size.width) + "x" + std::to_string(size.height) + ".png"));
}

std::filesystem::path ScreenScene::autostartEntry() const {
    return folder_ / "config" / "autostart" / "kestrova.desktop";
}

} // namespace kestrova::shell::testing
