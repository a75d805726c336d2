#include "kestrova/net/platform_hidden_window.h"

#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/window.h"

#include <cstdio>
#include <string>

namespace kestrova::net {
namespace {

constexpr uintptr_t kTimerId = 1;

// NOTE: this library is linked into more than one plug-in; each copy
// registers its own class, named after its own window procedure, so that no
// window of one plug-in ever runs code of another (which may be unloaded).
std::string className(platform::WindowProc proc) {
    char name[48];
    std::snprintf(name, sizeof name, "RY_NET_%p", reinterpret_cast<void*>(proc));
    return name;
}

}  // namespace

PlatformHiddenWindow::PlatformHiddenWindow() {
    std::string name = className(&windowProc);
    if (!platform::isClassRegistered(name)) platform::registerClass({name, &windowProc, 0, std::nullopt});
    platform::CreateParams params;
    params.className = name;
    params.style = platform::WS_POPUP;
    params.createParam = this;
    hwnd_ = platform::createWindow(params);
}

PlatformHiddenWindow::~PlatformHiddenWindow() { close(); }

platform::LResult PlatformHiddenWindow::windowProc(platform::HWND hwnd, uint32_t message, platform::WParam wParam,
                                                   platform::LParam lParam) {
    if (message == platform::WM_CREATE) {
        auto* params = reinterpret_cast<const platform::CreateParams*>(lParam);
        platform::setUserData(hwnd, reinterpret_cast<intptr_t>(params->createParam));
        return 0;
    }
    auto* self = reinterpret_cast<PlatformHiddenWindow*>(platform::userData(hwnd));
    bool ours = message == kMsgTimer ? wParam == kTimerId : (message >= kMsgConnected && message <= kMsgConnectFailed);
    if (!self || !ours) return platform::defWindowProc(hwnd, message, wParam, lParam);
    if (!self->handler_) return 0;
    return self->handler_(message, message == kMsgTimer ? 0 : wParam, lParam);
}

intptr_t PlatformHiddenWindow::send(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (!hwnd_) return 0;
    return platform::sendMessage(hwnd_, message, wParam, lParam);
}

void PlatformHiddenWindow::startTimer(uint32_t periodMs) {
    if (!hwnd_ || closed_) return;
    platform::setTimer(hwnd_, kTimerId, periodMs);
    timerPeriod_ = periodMs;
}

void PlatformHiddenWindow::stopTimer() {
    if (hwnd_ && !closed_) platform::killTimer(hwnd_, kTimerId);
    timerPeriod_ = 0;
}

void PlatformHiddenWindow::close() {
    if (closed_) return;
    closed_ = true;
    timerPeriod_ = 0;
    if (hwnd_) platform::destroyWindow(hwnd_);
}

void PlatformHiddenWindow::serveWaitingSenders() {
    // Looking at the queue answers every sent message first; those for the
    // destroyed window come back with 0. Posted messages stay where they are.
    platform::Msg msg;
    platform::peekMessage(msg, false);
}

}  // namespace kestrova::net
