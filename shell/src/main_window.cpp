#include "main_window.h"

#include "kestrova/api.h"
#include "kestrova/bus.h"
#include "kestrova/kit/service_record.h"
#include "kestrova/kit/texts.h"
#include "kestrova/platform/menu.h"
#include "kestrova/platform/menu_bar.h"
#include "kestrova/platform/message_box.h"
#include "kestrova/platform/screen.h"
#include "kestrova/ui/fonts.h"
#include "shell_commands.h"

namespace kestrova::shell {

using namespace kestrova::platform;

std::unique_ptr<MainWindow> MainWindow::create(bool hidden) {
    std::unique_ptr<MainWindow> window(new MainWindow);
    if (!window->WindowBase::create("Kestrova", WS_CAPTION, Rect{}, nullptr)) return nullptr;
    HWND hwnd = window->hwnd();
    window->activateMessage_ = registerWindowMessage(kActivateMessage);
    window->layout_.setOwner(hwnd);
    moveWindow(hwnd, workArea());
    if (!hidden) showWindow(hwnd, SW_SHOWNORMAL);
    bus::set(names::kCoreWindowHwnd, hwnd);
    bus::set(names::kCoreWindowLayout, &window->layout_);
    window->createSoftKeyBar();
    return window;
}

MainWindow::~MainWindow() = default;

void MainWindow::createSoftKeyBar() {
    HMENU menu = createPopupMenu();
    appendMenu(menu, MF_STRING, kCommandAddService, "Add Service...");
    appendMenu(menu, MF_SEPARATOR, 0);
    HMENU contacts = createPopupMenu();
    appendMenu(contacts, MF_STRING, kCommandAddContact, "Add a Contact...");
    appendMenu(menu, MF_POPUP, reinterpret_cast<uintptr_t>(contacts), "&Contacts");
    HMENU groups = createPopupMenu();
    appendMenu(groups, MF_STRING, kCommandJoinGroup, "Join a Group...");
    appendMenu(groups, MF_STRING, kCommandCreateGroup, "Create a Group...");
    appendMenu(menu, MF_POPUP, reinterpret_cast<uintptr_t>(groups), "&Groups");
    appendMenu(menu, MF_SEPARATOR, 0);
    appendMenu(menu, MF_STRING, kCommandSettings, "Settings...");
    appendMenu(menu, MF_STRING, kCommandAbout, "About...");
    appendMenu(menu, MF_STRING, kCommandExit, "E&xit...");
    createMenuBar(hwnd(),
                  {{kit::text(kTextChats), kCommandChats}, {kit::text(kTextMenu), kMenuPopupId, menu}});
}

LResult MainWindow::handleMessage(HWND hwnd, uint32_t message, WParam wParam, LParam lParam) {
    if (message == activateMessage_ && activateMessage_) {
        activateFromAnotherStart();
        return 0;
    }
    // FIXME: the service submenus are rebuilt here on WM_INITMENUPOPUP (lParam 103)
    // once the main window's full behaviour arrives.
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
    switch (id) {
    case kCommandChats:
        bus::call(names::kMessagingPopupChatsList, hwnd);
        break;
    case kCommandExit:
        exitAfterAsking();
        break;
    // The service, contact and group screens are the connection plug-in's.
    case kCommandAddService:
        bus::call(names::kConnectionOpenAddService);
        break;
    case kCommandAddContact:
        bus::call(names::kConnectionOpenAddContact);
        break;
    case kCommandJoinGroup:
        bus::call(names::kConnectionOpenJoinGroup);
        break;
    case kCommandCreateGroup:
        bus::call(names::kConnectionOpenCreateGroup);
        break;
    default:
        // FIXME: the About and Settings screens arrive with the shell's screens.
        break;
    }
}

void MainWindow::exitAfterAsking() {
    bool online = kit::readPrimaryService().presence != RY_PRESENCE_OFFLINE;
    if (online && messageBox(hwnd(), kit::text(kTextExitQuestion), kit::text(kTextExitCaption),
                             MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    destroyWindow(hwnd());
}

void MainWindow::onDestroy(HWND) { postQuitMessage(0); }

void MainWindow::onSize(HWND, int, int, int) { layout_.relayout(); }

void MainWindow::onSystemShutdown(HWND hwnd, bool ending) {
    if (ending) destroyWindow(hwnd);
}

void MainWindow::onPaint(HWND hwnd) {
    PaintScope paint(hwnd);
    // FIXME: the panes (contact list, overview) and the status strip paint
    // themselves once they exist; until then the window says who it is.
    paint.dc().selectFont(ui::normalFont());
    paint.dc().setTextColour(colours::kGrayText);
    paint.dc().drawText("Kestrova", clientRect(hwnd), DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

}  // namespace kestrova::shell
