// Modal operations (message boxes, popup menus). On an interactive display
// they run a nested message loop until the user answers; in headless mode a
// responder that the test or the automation installed answers them, and one
// that nobody answers fails loudly instead of hanging.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "kestrova/platform/geometry.h"
#include "kestrova/platform/messages.h"

namespace kestrova::platform {

enum class ModalKind { kMessageBox, kPopupMenu };

struct ModalRequest {
    ModalKind kind = ModalKind::kMessageBox;
    HWND owner = nullptr;
    std::string caption;  // message box
    std::string text;     // message box
    uint32_t style = 0;   // MB_* of a message box, TPM_* of a menu
    HMENU menu = nullptr; // popup menu
    Point at;             // popup menu
};

// Returns the answer: a button id (IDOK, IDYES, ...) for a message box, a
// command id (0 = dismissed) for a menu; nullopt when it does not answer this one.
using ModalResponder = std::function<std::optional<int>(const ModalRequest&)>;

// Installs a responder; the previous one comes back when the guard goes.
class ScopedModalResponder {
public:
    explicit ScopedModalResponder(ModalResponder responder);
    ~ScopedModalResponder();
    ScopedModalResponder(const ScopedModalResponder&) = delete;
    ScopedModalResponder& operator=(const ScopedModalResponder&) = delete;

private:
    ModalResponder previous_;
};

void setModalResponder(ModalResponder responder);
// Called when a modal finds no answer in headless mode. The default prints
// what was asked and aborts the process.
void setUnansweredModalHandler(std::function<void(const ModalRequest&)> handler);

// Shows modals on screen even without a desktop display, answered by input
// (scripted demos that take screenshots, tests of the on-screen versions).
void setModalsOnScreen(bool onScreen);
// True when modals are shown on screen: the desktop display, or asked for.
bool modalsOnScreen();

// The one entry every modal goes through: responder, else the interactive
// display, else the unanswered handler (and 0).
int resolveModal(const ModalRequest& request, const std::function<int()>& interactive);

// Runs a nested loop until done becomes true or WM_QUIT arrives (which is
// put back for the outer loop).
void runModalLoop(const bool& done);

}  // namespace kestrova::platform
