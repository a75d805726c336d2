// Message queues, the message loop and timers. Every thread that creates
// windows has one queue; a worker thread that sends a message to a window of
// another thread waits until that thread has handled it.
#pragma once

#include <cstdint>
#include <string_view>

#include "kestrova/platform/geometry.h"
#include "kestrova/platform/messages.h"

namespace kestrova::platform {

struct Msg {
    HWND hwnd = nullptr;
    uint32_t message = WM_NULL;
    WParam wParam = 0;
    LParam lParam = 0;
    uint32_t time = 0;
};

// Waits for the next message; false when it is WM_QUIT (its exit code in wParam).
// Sent messages are handled while waiting; WM_PAINT and WM_TIMER are produced
// when nothing is posted.
bool getMessage(Msg& msg);
// Like getMessage but never waits; false when nothing is there. WM_QUIT is
// returned as a message.
bool peekMessage(Msg& msg, bool remove = true);
// Turns key presses of control keys into WM_CHAR.
void translateMessage(const Msg& msg);
LResult dispatchMessage(const Msg& msg);
// The keyboard handling of dialogs for the window `dialog`: moves the focus
// between tab stops, turns Enter and Back into IDOK and IDCANCEL. True when
// the message was taken.
bool isDialogMessage(HWND dialog, const Msg& msg);
// Runs the thread's loop until WM_QUIT; returns its exit code.
int runMessageLoop();
// Handles what is pending now (sent, posted, paints, due timers) and returns.
// Returns false when a WM_QUIT was met (and leaves it to be seen again).
bool pumpPendingMessages();

// Post: asynchronous, from any thread. kBroadcast posts to every top-level window.
bool postMessage(HWND hwnd, uint32_t message, WParam wParam = 0, LParam lParam = 0);
// Send: synchronous. From the window's own thread a direct call; from another
// thread it waits until the owner thread has handled it. 0 if the window is
// gone (or goes before it is handled).
LResult sendMessage(HWND hwnd, uint32_t message, WParam wParam = 0, LParam lParam = 0);
void postQuitMessage(int exitCode);
// Posts to the thread's queue without a window.
bool postThreadMessage(uint32_t message, WParam wParam = 0, LParam lParam = 0);

// A message number unique to the name within the process, from 0xC000 on.
uint32_t registerWindowMessage(std::string_view name);

// Timers fire as WM_TIMER on the window's thread, driven by the platform
// clock (a virtual clock's advance makes due timers fire at the next pump).
// Setting an existing id restarts it with the new period.
uintptr_t setTimer(HWND hwnd, uintptr_t id, uint32_t periodMs);
bool killTimer(HWND hwnd, uintptr_t id);

// While the descriptor `fd` is readable (or at its end), getMessage on the
// window's thread produces `message` for the window (wParam: the descriptor)
// when it would otherwise wait: a headless thread waits on its watched
// descriptors and wakes for one at once, a thread with a desktop display
// looks at them whenever it wakes (at least every 50 ms). peekMessage does
// not look. The descriptor stays the caller's; a handler that leaves data
// unread is told again. Watching an existing pair again changes its message.
// Only from the window's own thread.
bool watchReadable(HWND hwnd, int fd, uint32_t message);
bool unwatchReadable(HWND hwnd, int fd);

}  // namespace kestrova::platform
