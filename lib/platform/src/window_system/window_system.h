// Internal state of the window system: the window table, the class table and
// the per-thread message queues.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include <array>

#include "kestrova/platform/dc.h"
#include "kestrova/platform/icon.h"
#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/scroll.h"
#include "kestrova/platform/window.h"

namespace kestrova::platform::detail {

class ThreadQueue;

struct SentMessage {
    Msg msg;
    LResult result = 0;
    bool done = false;
    std::shared_ptr<ThreadQueue> sender;
};

// A descriptor whose readability the thread's loop reports to a window.
struct DescriptorWatch {
    HWND hwnd;
    int fd;
    uint32_t message;
    bool ready = false;  // seen readable by the last wait, not yet reported
};

struct Timer {
    HWND hwnd;
    uintptr_t id;
    uint32_t period;
    uint32_t due;
};

// Something besides the queue that can wake a waiting thread and must be
// serviced while it waits: the desktop display's event pump.
class EventSource {
public:
    virtual ~EventSource() = default;
    // Turns pending device events into input; may dispatch.
    virtual void pump() = 0;
    // Waits up to timeoutMs for a device event or a wake().
    virtual void wait(int timeoutMs) = 0;
    // Called from any thread when the queue got something.
    virtual void wake() = 0;
    // The queue is empty: a chance to present the screen.
    virtual void idle() = 0;
};

// The queue of one thread. Posted and sent messages arrive from any thread;
// timers and paints are looked at only by the owner thread.
class ThreadQueue {
public:
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Msg> posted;
    std::deque<std::shared_ptr<SentMessage>> sent;
    bool quit = false;
    int quitCode = 0;
    bool alive = true;
    uint64_t wakes = 0;  // bumped by every notify, so a waiter sees clock moves too
    std::vector<Timer> timers;
    EventSource* source = nullptr;  // owner thread sets it; read under mutex by wakers
    // Watched descriptors (the owner thread alone uses them), and the eventfd
    // that wakes the owner from its poll on them; `polling` (under the mutex)
    // says it is in that poll, so that only then a notify costs a write.
    std::vector<DescriptorWatch> watches;
    int wakeFd = -1;
    bool polling = false;
    ~ThreadQueue();

    // Call with the mutex released.
    void notify();
};

std::shared_ptr<ThreadQueue> currentQueue();
// Every queue that still lives (for the clock listener).
std::vector<std::shared_ptr<ThreadQueue>> allQueues();

// The private state of a standard control, kept with its window (what
// window extra bytes are elsewhere), so the window's user data stays the
// application's.
struct ControlState {
    virtual ~ControlState() = default;
};

struct Window {
    HWND handle = nullptr;
    std::shared_ptr<const WindowClass> cls;
    WindowProc proc = nullptr;  // set when subclassed
    std::string title;
    uint32_t style = 0;
    HWND parent = nullptr;
    HWND owner = nullptr;
    std::vector<HWND> children;  // creation order: the tab order, later ones drawn on top
    Rect rect;                   // relative to the parent's client area or the screen
    uintptr_t controlId = 0;
    intptr_t userData = 0;
    std::thread::id thread;
    std::shared_ptr<ThreadQueue> queue;
    Rect invalid;
    bool erasePending = false;
    std::unique_ptr<Bitmap> surface;
    bool destroying = false;
    bool created = false;
    std::optional<std::string> navText;
    // Double-tap detection.
    uint32_t lastTapTick = 0;
    Point lastTapPoint{-100, -100};
    std::array<ScrollInfo, 3> scroll{};  // SB_HORZ, SB_VERT, SB_CTL
    std::shared_ptr<const Icon> smallIcon;
    std::shared_ptr<const Icon> largeIcon;
    std::shared_ptr<ControlState> control;
    // A floating window (a notification bubble) is drawn over every other,
    // takes taps before the front window, and is never made the front one.
    bool floating = false;
};

struct WindowSystem {
    std::mutex mutex;  // guards the tables; window fields belong to their thread
    std::unordered_map<uintptr_t, std::unique_ptr<Window>> windows;
    std::vector<HWND> topLevels;
    std::map<std::string, std::shared_ptr<const WindowClass>, std::less<>> classes;
    std::map<std::string, uint32_t, std::less<>> registeredMessages;
    uintptr_t nextHandle = 0x10000;
    // User-interface state, touched only by the thread of the windows.
    HWND focus = nullptr;
    HWND active = nullptr;
    HWND capture = nullptr;
    uint64_t screenGeneration = 0;  // bumps whenever what the screen shows changed
};

WindowSystem& windowSystem();
// The record of a live window, or null. The record stays valid on the
// window's own thread until it destroys the window.
Window* find(HWND hwnd);
std::shared_ptr<ThreadQueue> queueOf(HWND hwnd);

LResult callProc(HWND hwnd, uint32_t message, WParam wParam, LParam lParam);
void markScreenChanged();
// Where a dragged thumb stands (SIF_TRACKPOS) while the position stays.
void setScrollTrackPos(HWND hwnd, int bar, int trackPos);
void dropTimersOf(HWND hwnd);
void dropWatchesOf(HWND hwnd);
void dropPaintOf(Window& window);
bool firstInvalidWindow(const std::thread::id& thread, HWND& out);
void activateNextTopLevel(HWND excluding);
void setFloating(HWND hwnd);
bool isFloating(HWND hwnd);
// The visible floating windows, oldest first.
std::vector<HWND> floatingWindows();
void forgetFocusInside(HWND hwnd);
// The DC of a window's surface (created on demand at the client size).
Bitmap& surfaceOf(Window& window);
// The client area's size: the window less the scroll bars its style shows.
Size clientSizeOf(const Window& window);
// Registers the standard control classes the first time a class is looked up.
void registerStandardControls();
// The state of a standard control of kind T, or null. A control's procedure
// holds it while it runs: a parent may destroy the control from a
// notification, and the state must outlive the call that sent it.
template <typename T>
std::shared_ptr<T> controlStateOf(HWND hwnd) {
    Window* w = find(hwnd);
    return w ? std::dynamic_pointer_cast<T>(w->control) : nullptr;
}
void setControlState(HWND hwnd, std::shared_ptr<ControlState> state);
// Keeps the key state (keyIsDown) as key messages are taken from the queue.
void noteKeyMessage(const Msg& msg);
void forgetMenuBar(HWND owner);
// Takes back posted messages to the window that match, before they are
// delivered (a device that closes recalls the notifications naming its buffers).
void removePostedMessages(HWND hwnd, const std::function<bool(const Msg&)>& match);

}  // namespace kestrova::platform::detail
