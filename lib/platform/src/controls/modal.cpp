#include "kestrova/platform/modal.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/window.h"
#include "devices/display_internal.h"

namespace kestrova::platform {
namespace {

std::mutex gMutex;
ModalResponder gResponder;
std::function<void(const ModalRequest&)> gUnanswered;
bool gOnScreen = false;

void describe(const ModalRequest& r) {
    if (r.kind == ModalKind::kMessageBox)
        std::fprintf(stderr, "kestrova: unanswered message box \"%s\": %s\n", r.caption.c_str(), r.text.c_str());
    else
        std::fprintf(stderr, "kestrova: unanswered popup menu at %d,%d\n", r.at.x, r.at.y);
}

}  // namespace

ScopedModalResponder::ScopedModalResponder(ModalResponder responder) {
    std::lock_guard lock(gMutex);
    previous_ = std::exchange(gResponder, std::move(responder));
}

ScopedModalResponder::~ScopedModalResponder() {
    std::lock_guard lock(gMutex);
    gResponder = std::move(previous_);
}

void setModalResponder(ModalResponder responder) {
    std::lock_guard lock(gMutex);
    gResponder = std::move(responder);
}

void setUnansweredModalHandler(std::function<void(const ModalRequest&)> handler) {
    std::lock_guard lock(gMutex);
    gUnanswered = std::move(handler);
}

void setModalsOnScreen(bool onScreen) {
    std::lock_guard lock(gMutex);
    gOnScreen = onScreen;
}

bool modalsOnScreen() {
    {
        std::lock_guard lock(gMutex);
        if (gOnScreen) return true;
    }
    return detail::displayIsInteractive();
}

int resolveModal(const ModalRequest& request, const std::function<int()>& interactive) {
    ModalResponder responder;
    std::function<void(const ModalRequest&)> unanswered;
    {
        std::lock_guard lock(gMutex);
        responder = gResponder;
        unanswered = gUnanswered;
    }
    if (responder)
        if (auto answer = responder(request)) return *answer;
    if (modalsOnScreen()) return interactive();
    if (unanswered) {
        unanswered(request);
        return 0;
    }
    // NOTE: a test that forgot to answer must fail here, not hang for ever.
    describe(request);
    std::abort();
}

void runModalLoop(const bool& done) {
    Msg msg;
    while (!done) {
        if (!getMessage(msg)) {
            postQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        HWND fg = foregroundWindow();
        if (fg && isDialogMessage(fg, msg)) continue;
        translateMessage(msg);
        dispatchMessage(msg);
    }
}

}  // namespace kestrova::platform
