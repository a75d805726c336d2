#include "devices/wave_device.h"

#include <atomic>

#include "kestrova/platform/message_loop.h"
#include "window_system/window_system.h"

namespace kestrova::platform {
namespace detail {
namespace {

constexpr char kTimerClass[] = "KestrovaWaveDevice";
constexpr uintptr_t kTimerId = 1;
// Often enough that a 40 ms buffer comes back in time, rarely enough to cost nothing.
constexpr uint32_t kTickMs = 10;

WaveHandle nextHandle() {
    static std::atomic<WaveHandle> next{0x3B00001};
    return next++;
}

} // namespace

WaveDevice::WaveDevice(HWND notify, Messages messages)
    : handle_(nextHandle()), notify_(notify), messages_(messages) {
    registerClass({kTimerClass, &WaveDevice::timerProc, 0, std::nullopt});
    timerWindow_.reset(createWindow({kTimerClass, "", 0, {}, nullptr, nullptr, 0, nullptr}));
    setUserData(timerWindow_.get(), reinterpret_cast<intptr_t>(this));
    if (notify_) postMessage(notify_, messages_.open, handle_, 0);
}

WaveDevice::~WaveDevice() {
    setUserData(timerWindow_.get(), 0);
    timerWindow_.reset();
    if (!notify_) return;
    removePostedMessages(notify_,
                         [this](const Msg& m) { return m.message == messages_.done && m.wParam == handle_; });
    postMessage(notify_, messages_.close, handle_, 0);
}

LResult WaveDevice::timerProc(HWND hwnd, uint32_t message, WParam wParam, LParam lParam) {
    if (message == WM_TIMER && wParam == kTimerId) {
        if (auto* device = reinterpret_cast<WaveDevice*>(userData(hwnd))) device->pump();
        return 0;
    }
    return defWindowProc(hwnd, message, wParam, lParam);
}

WaveResult WaveDevice::prepare(WaveBuffer& buffer) {
    if (buffer.flags & WHDR_INQUEUE) return WaveResult::kStillPlaying;
    buffer.flags |= WHDR_PREPARED;
    return WaveResult::kOk;
}

WaveResult WaveDevice::unprepare(WaveBuffer& buffer) {
    if (buffer.flags & WHDR_INQUEUE) return WaveResult::kStillPlaying;
    buffer.flags &= ~WHDR_PREPARED;
    return WaveResult::kOk;
}

WaveResult WaveDevice::enqueue(WaveBuffer& buffer) {
    if (!(buffer.flags & WHDR_PREPARED)) return WaveResult::kUnprepared;
    if (buffer.flags & WHDR_INQUEUE) return WaveResult::kInvalidBuffer;
    buffer.flags = (buffer.flags & ~WHDR_DONE) | WHDR_INQUEUE;
    queue_.push_back(&buffer);
    return WaveResult::kOk;
}

void WaveDevice::completeFront() {
    WaveBuffer* buffer = queue_.front();
    queue_.pop_front();
    buffer->flags = (buffer->flags & ~WHDR_INQUEUE) | WHDR_DONE;
    if (notify_) postMessage(notify_, messages_.done, handle_, reinterpret_cast<LParam>(buffer));
}

void WaveDevice::completeAll() {
    while (!queue_.empty())
        completeFront();
}

void WaveDevice::setTicking(bool ticking) {
    if (ticking == ticking_ || !isWindow(timerWindow_.get())) return;
    ticking_ = ticking;
    if (ticking)
        setTimer(timerWindow_.get(), kTimerId, kTickMs);
    else
        killTimer(timerWindow_.get(), kTimerId);
}

} // namespace detail

const char* waveResultText(WaveResult result) {
    switch (result) {
    case WaveResult::kOk:
        return "ok";
    case WaveResult::kBadFormat:
        return "format not supported";
    case WaveResult::kNoDevice:
        return "no sound device";
    case WaveResult::kStillPlaying:
        return "buffer still with the device";
    case WaveResult::kUnprepared:
        return "buffer not prepared";
    default:
        return "invalid buffer";
    }
}

} // namespace kestrova::platform
