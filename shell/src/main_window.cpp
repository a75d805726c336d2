#include "main_window.h"

#include "kestrova/api.h"
#include "kestrova/bus.h"
#include "kestrova/kit/own_module.h"
#include "kestrova/kit/service_record.h"
#include "kestrova/kit/texts.h"
#include "kestrova/platform/icon_resources.h"
#include "kestrova/platform/message_box.h"
#include "kestrova/platform/screen.h"
#include "screens/screen_commands.h"
#include "shell_commands.h"

namespace kestrova::shell {

using namespace kestrova::platform;

namespace {

constexpr uint32_t kWindowIcon = 100;

} // namespace

std::unique_ptr<MainWindow> MainWindow::create(bool hidden) {
    std::unique_ptr<MainWindow> window(new MainWindow);
    if (!window->WindowBase::create(kit::text(kTextProductName), WS_CAPTION, Rect{}, nullptr)) return nullptr;
    HWND hwnd = window->hwnd();
    window->activateMessage_ = registerWindowMessage(kActivateMessage);
    window->layout_.setOwner(hwnd);
    // The whole screen between the bars, as a full-screen dialog with the input panel down.
    moveWindow(hwnd, workArea());
    if (!hidden) showWindow(hwnd, SW_SHOWNORMAL);
    bus::set(names::kCoreWindowHwnd, hwnd);
    bus::set(names::kCoreWindowLayout, &window->layout_);
    createMainMenuBar(hwnd);
    window->createStatusStrip();
    window->setWindowIcons();
    return window;
}

MainWindow::~MainWindow() = default;

void MainWindow::createStatusStrip() {
    statusStrip_ = StatusStrip::create(hwnd());
    if (statusStrip_) layout_.addBottomBar(statusStrip_->hwnd(), StatusStrip::heightFor(screenDpi()));
}

void MainWindow::setWindowIcons() {
    smallIcon_ = loadIcon(kit::ownModule(), {{}, kWindowIcon}, smallIconSize());
    largeIcon_ = loadIcon(kit::ownModule(), {{}, kWindowIcon}, largeIconSize());
    // The window keeps copies; ours live as long as the window object, past
    // the moment the posted messages are handled.
    postMessage(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LParam>(smallIcon_.get()));
    postMessage(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LParam>(largeIcon_.get()));
}

LResult MainWindow::handleMessage(HWND hwnd, uint32_t message, WParam wParam, LParam lParam) {
    if (message == activateMessage_ && activateMessage_) {
        activateFromAnotherStart();
        return 0;
    }
    if (message == WM_INITMENUPOPUP && lParam == kMenuPopupId)
        serviceMenus_.rebuild(reinterpret_cast<HMENU>(wParam));
    return WindowBase::handleMessage(hwnd, message, wParam, lParam);
}

void MainWindow::activateFromAnotherStart() {
    if (!isVisible(hwnd())) showWindow(hwnd(), SW_SHOWNORMAL);
    // Bring the window the user last had in front back, if it is one of ours.
    HWND front = foregroundWindow();
    setForegroundWindow(front && ownerOf(front) == hwnd() ? front : hwnd());
}

void MainWindow::onCommand(HWND hwnd, int id, HWND, int) {
    bus::raise(names::kCoreWindowOnCommand, static_cast<uint32_t>(id));
    // A subscriber may have ended the program.
    if (!isWindow(hwnd)) return;
    switch (id) {
    case kCommandChats:
        bus::call(names::kMessagingPopupChatsList, hwnd);
        break;
    case kCommandExit:
        exitAfterAsking();
        break;
    default:
        openScreenFor(id, hwnd);
        break;
    }
}

void MainWindow::onClose(HWND) {
    exitAfterAsking();
}

void MainWindow::exitAfterAsking() {
    // The desktop's close button may be pressed again while the question is open.
    if (askingToExit_) return;
    if (kit::readPrimaryService().presence != RY_PRESENCE_OFFLINE) {
        askingToExit_ = true;
        int answer = messageBox(hwnd(), kit::text(kTextExitQuestion), kit::text(kTextExitCaption),
                                MB_YESNO | MB_ICONQUESTION);
        askingToExit_ = false;
        if (answer != IDYES) return;
    }
    if (isWindow(hwnd())) destroyWindow(hwnd());
}

void MainWindow::onDestroy(HWND) {
    postQuitMessage(0);
}

void MainWindow::onSystemShutdown(HWND hwnd, bool ending) {
    if (ending) destroyWindow(hwnd);
}

void MainWindow::onSize(HWND, int, int, int) {
    layout_.relayout();
}

void MainWindow::onActivate(HWND hwnd, int state, HWND otherWindow, bool minimized) {
    if (state == WA_INACTIVE) {
        HWND focus = focusWindow();
        if (focus && isDescendant(hwnd, focus)) focusMemory_ = focus;
        return;
    }
    // The tabs say where the user is; the bar above them stays empty.
    setNavBarText(hwnd, std::string());
    WindowBase::onActivate(hwnd, state, otherWindow, minimized);
    if (focusMemory_ && isWindow(focusMemory_))
        sendMessage(hwnd, WM_NEXTDLGCTL, reinterpret_cast<WParam>(focusMemory_), 1);
}

HWND MainWindow::paneHolding(HWND window) const {
    const auto& order = layout_.focusOrder();
    for (HWND at = window; at && at != hwnd(); at = parentOf(at))
        if (std::find(order.begin(), order.end(), at) != order.end()) return at;
    return window;
}

LResult MainWindow::onNextDialogControl(HWND hwnd, WParam target, bool isHandle) {
    HWND next = isHandle ? reinterpret_cast<HWND>(target)
                         : layout_.nextFocus(paneHolding(focusWindow()), target != 0);
    if (!next || !isWindow(next)) return 0;
    // NOTE: moving the focus would bring the main window to the front; while
    // another window is there the target waits for the next activation.
    if (activeWindow() != hwnd)
        focusMemory_ = next;
    else
        setFocus(next);
    return 0;
}

} // namespace kestrova::shell
