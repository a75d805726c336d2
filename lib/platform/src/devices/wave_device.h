// What wave input and output share: the handle, the window notified, the
// buffers lent to the device in order, and a timer of a hidden window that
// lets the endpoint make progress on the user-interface thread.
#pragma once

#include <deque>
#include <memory>

#include "kestrova/platform/wave.h"
#include "kestrova/platform/window.h"

namespace kestrova::platform::detail {

class WaveDevice {
  public:
    struct Messages {
        uint32_t open;
        uint32_t done;
        uint32_t close;
    };
    WaveDevice(HWND notify, Messages messages);
    // Drops the done notifications not delivered yet and posts the close.
    virtual ~WaveDevice();
    WaveDevice(const WaveDevice&) = delete;
    WaveDevice& operator=(const WaveDevice&) = delete;

    WaveHandle handle() const { return handle_; }
    WaveResult prepare(WaveBuffer& buffer);
    WaveResult unprepare(WaveBuffer& buffer);
    size_t queued() const { return queue_.size(); }
    // Completes what the endpoint has finished; called by the timer.
    virtual void pump() = 0;

  protected:
    // Checks the buffer and lends it to the device.
    WaveResult enqueue(WaveBuffer& buffer);
    WaveBuffer& front() { return *queue_.front(); }
    bool empty() const { return queue_.empty(); }
    // Gives the oldest buffer back to the caller with its notification.
    void completeFront();
    void completeAll();
    // The timer runs while the device expects progress.
    void setTicking(bool ticking);

  private:
    static LResult timerProc(HWND hwnd, uint32_t message, WParam wParam, LParam lParam);

    WaveHandle handle_;
    HWND notify_;
    Messages messages_;
    std::deque<WaveBuffer*> queue_;
    UniqueWindow timerWindow_;
    bool ticking_ = false;
};

} // namespace kestrova::platform::detail
