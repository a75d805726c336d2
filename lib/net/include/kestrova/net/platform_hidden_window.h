// The hidden window of the socket layer as a real window of the platform's
// window system: worker threads send it messages, which the owning thread's
// message loop handles, and its timer is a window timer.
//
// Create it on the user-interface thread; that thread's message loop must
// run for anything to be handled.
#pragma once

#include "kestrova/net/hidden_window.h"
#include "kestrova/platform/messages.h"

namespace kestrova::net {

class PlatformHiddenWindow final : public HiddenWindow {
public:
    PlatformHiddenWindow();
    ~PlatformHiddenWindow() override;
    PlatformHiddenWindow(const PlatformHiddenWindow&) = delete;
    PlatformHiddenWindow& operator=(const PlatformHiddenWindow&) = delete;

    bool valid() const { return hwnd_ != nullptr; }
    platform::HWND hwnd() const { return hwnd_; }

    void setHandler(Handler handler) override { handler_ = std::move(handler); }
    intptr_t send(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0) override;
    void startTimer(uint32_t periodMs) override;
    void stopTimer() override;
    bool timerRunning() const override { return timerPeriod_ != 0; }
    uint32_t timerPeriod() const override { return timerPeriod_; }
    void close() override;
    void serveWaitingSenders() override;

private:
    static platform::LResult windowProc(platform::HWND hwnd, uint32_t message, platform::WParam wParam,
                                        platform::LParam lParam);

    // NOTE: set once before any worker can see the window and never changed
    // afterwards; a destroyed window's handle is never reused, so a late send
    // to it simply returns 0.
    platform::HWND hwnd_ = nullptr;
    bool closed_ = false;
    Handler handler_;
    uint32_t timerPeriod_ = 0;
};

}  // namespace kestrova::net
