// The user-interface end of the socket layer. Worker threads never touch the
// connection's state: they hand every event to the user-interface thread as a
// message to a hidden window and wait until it has been handled. The same
// window carries the connection's one timer.
#pragma once

#include <cstdint>
#include <functional>

namespace kestrova::net {

// Message numbers of the hidden window (WM_APP and on).
enum NetMessage : uint32_t {
    kMsgConnected = 0x8000,       // TCP connect succeeded
    kMsgSocketReady = 0x8001,     // the socket is readable or in error; answer: keep waiting
    kMsgNetworkViaManager = 0x8002,  // the data connection was brought up for us
    kMsgNetworkPresent = 0x8003,  // the network was there already (or could not be brought up)
    kMsgConnectFailed = 0x8004,   // resolving or connecting failed
    kMsgTimer = 0x0113,           // the window's timer fired (WM_TIMER)
};

class HiddenWindow {
public:
    // Called on the user-interface thread for every message; the result goes
    // back to the sender.
    using Handler = std::function<intptr_t(uint32_t message, uintptr_t wParam, intptr_t lParam)>;

    virtual ~HiddenWindow() = default;

    virtual void setHandler(Handler handler) = 0;
    // Any thread. Blocks until the user-interface thread has handled the
    // message; 0 without handling once the window is closed.
    virtual intptr_t send(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0) = 0;
    // User-interface thread. Starting a running timer restarts it.
    virtual void startTimer(uint32_t periodMs) = 0;
    virtual void stopTimer() = 0;
    virtual bool timerRunning() const = 0;
    virtual uint32_t timerPeriod() const = 0;
    // From now on every later send returns 0 at once; senders already
    // waiting are let go by close() or, at the latest, by serveWaitingSenders().
    virtual void close() = 0;
    // User-interface thread, after close(): answers senders still waiting so
    // that worker threads can be joined.
    virtual void serveWaitingSenders() = 0;
};

}  // namespace kestrova::net
