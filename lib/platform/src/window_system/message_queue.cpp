#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

#include "kestrova/platform/clock.h"
#include "window_system/window_system.h"

namespace kestrova::platform {
namespace detail {
namespace {

std::mutex gQueuesMutex;
std::vector<std::weak_ptr<ThreadQueue>> gQueues;

void completeSend(const std::shared_ptr<SentMessage>& sent, LResult result) {
    auto sender = sent->sender;
    {
        std::lock_guard lock(sender->mutex);
        sent->result = result;
        sent->done = true;
    }
    sender->notify();
}

// When a thread ends, nobody will handle what was sent to it: release the
// senders with 0 instead of leaving them blocked forever.
struct QueueHolder {
    std::shared_ptr<ThreadQueue> queue;
    ~QueueHolder() {
        if (!queue) return;
        std::deque<std::shared_ptr<SentMessage>> orphans;
        {
            std::lock_guard lock(queue->mutex);
            queue->alive = false;
            orphans.swap(queue->sent);
        }
        for (auto& s : orphans) completeSend(s, 0);
    }
};

void wakeAllQueues() {
    for (auto& q : allQueues()) q->notify();
}

void registerQueue(const std::shared_ptr<ThreadQueue>& queue) {
    static int listener = addClockListener(wakeAllQueues);
    (void)listener;
    std::lock_guard lock(gQueuesMutex);
    std::erase_if(gQueues, [](auto& w) { return w.expired(); });
    gQueues.push_back(queue);
}

}  // namespace

void ThreadQueue::notify() {
    EventSource* s;
    int pollWake = -1;
    {
        std::lock_guard lock(mutex);
        s = source;
        ++wakes;
        if (polling) pollWake = wakeFd;
    }
    changed.notify_all();
    if (s) s->wake();
    uint64_t one = 1;
    if (pollWake >= 0) (void)!::write(pollWake, &one, sizeof one);
}

ThreadQueue::~ThreadQueue() {
    if (wakeFd >= 0) ::close(wakeFd);
}

std::shared_ptr<ThreadQueue> currentQueue() {
    thread_local QueueHolder holder;
    if (!holder.queue) {
        holder.queue = std::make_shared<ThreadQueue>();
        registerQueue(holder.queue);
    }
    return holder.queue;
}

std::vector<std::shared_ptr<ThreadQueue>> allQueues() {
    std::lock_guard lock(gQueuesMutex);
    std::vector<std::shared_ptr<ThreadQueue>> out;
    for (auto& w : gQueues)
        if (auto q = w.lock()) out.push_back(q);
    return out;
}

void dropTimersOf(HWND hwnd) {
    auto q = currentQueue();
    std::lock_guard lock(q->mutex);
    std::erase_if(q->timers, [hwnd](const Timer& t) { return t.hwnd == hwnd; });
}

void dropWatchesOf(HWND hwnd) {
    std::erase_if(currentQueue()->watches, [hwnd](const DescriptorWatch& w) { return w.hwnd == hwnd; });
}

namespace {

bool handleOneSent(ThreadQueue& q) {
    std::shared_ptr<SentMessage> sent;
    {
        std::lock_guard lock(q.mutex);
        if (q.sent.empty()) return false;
        sent = q.sent.front();
        q.sent.pop_front();
    }
    const Msg& m = sent->msg;
    LResult result = isWindow(m.hwnd) ? callProc(m.hwnd, m.message, m.wParam, m.lParam) : 0;
    completeSend(sent, result);
    return true;
}

void handleAllSent(ThreadQueue& q) {
    while (handleOneSent(q)) {
    }
}

bool takePosted(ThreadQueue& q, Msg& msg, bool remove) {
    {
        std::lock_guard lock(q.mutex);
        if (q.posted.empty()) return false;
        msg = q.posted.front();
        if (remove) q.posted.pop_front();
    }
    if (remove) noteKeyMessage(msg);
    return true;
}

bool takeQuit(ThreadQueue& q, Msg& msg, bool remove) {
    std::lock_guard lock(q.mutex);
    if (!q.quit) return false;
    if (remove) q.quit = false;
    msg = Msg{nullptr, WM_QUIT, static_cast<WParam>(q.quitCode), 0, tickCount()};
    return true;
}

bool takePaint(Msg& msg) {
    HWND hwnd;
    if (!firstInvalidWindow(std::this_thread::get_id(), hwnd)) return false;
    msg = Msg{hwnd, WM_PAINT, 0, 0, tickCount()};
    return true;
}

bool timerDue(uint32_t due, uint32_t now) { return static_cast<int32_t>(now - due) >= 0; }

bool takeTimer(ThreadQueue& q, Msg& msg, bool remove) {
    uint32_t now = tickCount();
    std::lock_guard lock(q.mutex);
    for (auto& t : q.timers) {
        if (!timerDue(t.due, now)) continue;
        msg = Msg{t.hwnd, WM_TIMER, t.id, 0, now};
        // NOTE: a timer that fell behind fires once, not once per missed period.
        if (remove) t.due = now + t.period;
        return true;
    }
    return false;
}

// Milliseconds until the next timer; -1 when there is none.
int msUntilNextTimer(ThreadQueue& q) {
    uint32_t now = tickCount();
    std::lock_guard lock(q.mutex);
    int best = -1;
    for (auto& t : q.timers) {
        int left = std::max(0, static_cast<int32_t>(t.due - now));
        if (best < 0 || left < best) best = left;
    }
    return best;
}

bool takeReadyWatch(ThreadQueue& q, Msg& msg, bool remove) {
    for (DescriptorWatch& w : q.watches) {
        if (!w.ready) continue;
        msg = Msg{w.hwnd, w.message, static_cast<WParam>(w.fd), 0, tickCount()};
        if (remove) w.ready = false;
        return true;
    }
    return false;
}

// Marks the watched descriptors that are readable, waiting up to timeoutMs
// (-1: until one is, or until a notify writes the wake descriptor).
void pollWatches(ThreadQueue& q, int timeoutMs) {
    std::vector<pollfd> fds;
    fds.reserve(q.watches.size() + 1);
    for (const DescriptorWatch& w : q.watches) fds.push_back({w.fd, POLLIN, 0});
    bool waiting = timeoutMs != 0;
    if (waiting) fds.push_back({q.wakeFd, POLLIN, 0});
    if (::poll(fds.data(), fds.size(), timeoutMs) <= 0) return;
    for (size_t i = 0; i < q.watches.size(); ++i)
        if (fds[i].revents) q.watches[i].ready = true;
    uint64_t count;
    if (waiting && fds.back().revents) (void)!::read(q.wakeFd, &count, sizeof count);
}

bool nextMessage(ThreadQueue& q, Msg& msg, bool remove) {
    handleAllSent(q);
    if (takePosted(q, msg, remove)) return true;
    if (takeQuit(q, msg, remove)) return true;
    if (takeReadyWatch(q, msg, remove)) return true;
    if (takePaint(msg)) return true;
    return takeTimer(q, msg, remove);
}

void waitForWork(ThreadQueue& q) {
    int timeout = msUntilNextTimer(q);
    EventSource* source;
    {
        std::lock_guard lock(q.mutex);
        source = q.source;
    }
    if (source) {
        source->idle();
        source->wait(timeout < 0 ? 50 : std::min(timeout, 50));
        source->pump();
        if (!q.watches.empty()) pollWatches(q, 0);
        return;
    }
    std::unique_lock lock(q.mutex);
    uint64_t wakesBefore = q.wakes;
    auto ready = [&] { return !q.posted.empty() || !q.sent.empty() || q.quit || q.wakes != wakesBefore; };
    if (ready()) return;
    if (!q.watches.empty()) {
        // NOTE: one poll on the descriptors and the wake descriptor, so that
        // a readable descriptor wakes this thread itself, with no thread in
        // between to hand it over.
        q.polling = true;
        lock.unlock();
        pollWatches(q, timeout < 0 ? -1 : std::max(1, timeout));
        lock.lock();
        q.polling = false;
        return;
    }
    // A virtual clock never reaches a real deadline; its listener wakes us.
    auto limit = std::chrono::milliseconds(timeout < 0 ? 1000 : std::max(1, timeout));
    q.changed.wait_for(lock, limit, ready);
}

}  // namespace
}  // namespace detail

using namespace detail;

bool getMessage(Msg& msg) {
    auto q = currentQueue();
    while (!nextMessage(*q, msg, true)) waitForWork(*q);
    return msg.message != WM_QUIT;
}

bool peekMessage(Msg& msg, bool remove) {
    auto q = currentQueue();
    EventSource* source;
    {
        std::lock_guard lock(q->mutex);
        source = q->source;
    }
    if (source) source->pump();
    return nextMessage(*q, msg, remove);
}

void translateMessage(const Msg& msg) {
    if (msg.message != WM_KEYDOWN) return;
    switch (msg.wParam) {
    case VK_BACK:
    case VK_TAB:
    case VK_RETURN:
    case VK_ESCAPE:
        break;
    default:
        return;
    }
    auto q = queueOf(msg.hwnd);
    if (!q) return;
    {
        // NOTE: the character comes next, ahead of what was queued after its
        // key, so it is handled with the key state of its own key press.
        std::lock_guard lock(q->mutex);
        if (!q->alive) return;
        q->posted.push_front(Msg{msg.hwnd, WM_CHAR, msg.wParam, msg.lParam, tickCount()});
    }
    q->notify();
}

LResult dispatchMessage(const Msg& msg) {
    if (!msg.hwnd) return 0;
    // Queued messages hold their window weakly: a window that went is skipped.
    if (!isWindow(msg.hwnd)) return 0;
    if (msg.message == WM_PAINT) {
        LResult r = callProc(msg.hwnd, msg.message, msg.wParam, msg.lParam);
        // A window that ignored WM_PAINT must not be asked forever.
        if (Window* w = find(msg.hwnd)) dropPaintOf(*w);
        return r;
    }
    return callProc(msg.hwnd, msg.message, msg.wParam, msg.lParam);
}

int runMessageLoop() {
    Msg msg;
    while (getMessage(msg)) {
        HWND fg = foregroundWindow();
        if (fg && isDialogMessage(fg, msg)) continue;
        translateMessage(msg);
        dispatchMessage(msg);
    }
    return static_cast<int>(msg.wParam);
}

bool pumpPendingMessages() {
    Msg msg;
    while (peekMessage(msg, false)) {
        if (msg.message == WM_QUIT) return false;
        peekMessage(msg, true);
        HWND fg = foregroundWindow();
        if (fg && isDialogMessage(fg, msg)) continue;
        translateMessage(msg);
        dispatchMessage(msg);
    }
    return true;
}

bool postMessage(HWND hwnd, uint32_t message, WParam wParam, LParam lParam) {
    if (hwnd == kBroadcast) {
        for (HWND top : topLevelWindows()) postMessage(top, message, wParam, lParam);
        return true;
    }
    auto q = queueOf(hwnd);
    if (!q) return false;
    {
        std::lock_guard lock(q->mutex);
        if (!q->alive) return false;
        q->posted.push_back(Msg{hwnd, message, wParam, lParam, tickCount()});
    }
    q->notify();
    return true;
}

namespace detail {

void removePostedMessages(HWND hwnd, const std::function<bool(const Msg&)>& match) {
    auto q = queueOf(hwnd);
    if (!q) return;
    std::lock_guard lock(q->mutex);
    std::erase_if(q->posted, [&](const Msg& m) { return m.hwnd == hwnd && match(m); });
}

}  // namespace detail

bool postThreadMessage(uint32_t message, WParam wParam, LParam lParam) {
    auto q = currentQueue();
    {
        std::lock_guard lock(q->mutex);
        q->posted.push_back(Msg{nullptr, message, wParam, lParam, tickCount()});
    }
    q->notify();
    return true;
}

LResult sendMessage(HWND hwnd, uint32_t message, WParam wParam, LParam lParam) {
    auto target = queueOf(hwnd);
    if (!target) return 0;
    auto self = currentQueue();
    if (target == self) return callProc(hwnd, message, wParam, lParam);

    auto sent = std::make_shared<SentMessage>();
    sent->msg = Msg{hwnd, message, wParam, lParam, tickCount()};
    sent->sender = self;
    {
        std::lock_guard lock(target->mutex);
        if (!target->alive) return 0;
        target->sent.push_back(sent);
    }
    target->notify();
    // While waiting, serve what others send to this thread, so that two
    // threads sending to each other do not lock up.
    for (;;) {
        handleAllSent(*self);
        std::unique_lock lock(self->mutex);
        if (sent->done) return sent->result;
        self->changed.wait(lock, [&] { return sent->done || !self->sent.empty(); });
        if (sent->done) return sent->result;
    }
}

void postQuitMessage(int exitCode) {
    auto q = currentQueue();
    {
        std::lock_guard lock(q->mutex);
        q->quit = true;
        q->quitCode = exitCode;
    }
    q->notify();
}

uint32_t registerWindowMessage(std::string_view name) {
    auto& ws = windowSystem();
    std::lock_guard lock(ws.mutex);
    if (auto it = ws.registeredMessages.find(name); it != ws.registeredMessages.end()) return it->second;
    uint32_t number = kFirstRegisteredMessage + static_cast<uint32_t>(ws.registeredMessages.size());
    ws.registeredMessages.emplace(std::string(name), number);
    return number;
}

uintptr_t setTimer(HWND hwnd, uintptr_t id, uint32_t periodMs) {
    auto q = queueOf(hwnd);
    if (!q || q != currentQueue()) return 0;
    uint32_t period = std::max<uint32_t>(1, periodMs);
    {
        std::lock_guard lock(q->mutex);
        uint32_t due = tickCount() + period;
        auto it = std::find_if(q->timers.begin(), q->timers.end(),
                               [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
        if (it != q->timers.end()) *it = Timer{hwnd, id, period, due};
        else q->timers.push_back(Timer{hwnd, id, period, due});
    }
    q->notify();
    return id ? id : 1;
}

bool watchReadable(HWND hwnd, int fd, uint32_t message) {
    auto q = queueOf(hwnd);
    if (!q || q != currentQueue() || fd < 0) return false;
    if (q->wakeFd < 0 && (q->wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) < 0) return false;
    auto it = std::find_if(q->watches.begin(), q->watches.end(),
                           [&](const DescriptorWatch& w) { return w.hwnd == hwnd && w.fd == fd; });
    if (it != q->watches.end()) it->message = message;
    else q->watches.push_back(DescriptorWatch{hwnd, fd, message});
    return true;
}

bool unwatchReadable(HWND hwnd, int fd) {
    return std::erase_if(currentQueue()->watches,
                         [&](const DescriptorWatch& w) { return w.hwnd == hwnd && w.fd == fd; }) > 0;
}

bool killTimer(HWND hwnd, uintptr_t id) {
    auto q = currentQueue();
    std::lock_guard lock(q->mutex);
    return std::erase_if(q->timers, [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; }) > 0;
}

}  // namespace kestrova::platform
