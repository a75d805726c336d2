#include "devices/audio_endpoint.h"
#include "devices/wave_device.h"

namespace kestrova::platform {
namespace detail {

// Input: once started, the endpoint's captured sound fills the added buffers
// in order; a full buffer comes back at once.
class InputDevice final : public WaveDevice {
  public:
    InputDevice(HWND notify, std::unique_ptr<InputEndpoint> endpoint)
        : WaveDevice(notify, {MM_WIM_OPEN, MM_WIM_DATA, MM_WIM_CLOSE}), endpoint_(std::move(endpoint)) {}
    ~InputDevice() override { reset(); }

    WaveResult addBuffer(WaveBuffer& buffer) {
        if (buffer.data.empty()) return WaveResult::kInvalidBuffer;
        // What was captured while the device had no buffer is gone.
        if (empty()) pump();
        if (WaveResult r = enqueue(buffer); r != WaveResult::kOk) return r;
        buffer.bytesRecorded = 0;
        pump();
        return WaveResult::kOk;
    }

    WaveResult start() {
        endpoint_->start();
        started_ = true;
        pump();
        return WaveResult::kOk;
    }

    WaveResult stop() {
        halt();
        if (!empty() && front().bytesRecorded > 0) completeFront();
        return WaveResult::kOk;
    }

    WaveResult reset() {
        halt();
        completeAll();
        return WaveResult::kOk;
    }

    bool started() const { return started_; }

    void pump() override {
        if (!started_) return;
        while (!empty()) {
            WaveBuffer& buffer = front();
            std::span<uint8_t> room(buffer.data.data() + buffer.bytesRecorded,
                                    buffer.data.size() - buffer.bytesRecorded);
            buffer.bytesRecorded += endpoint_->read(room);
            if (buffer.bytesRecorded < buffer.data.size()) break;
            completeFront();
        }
        if (empty()) endpoint_->discard();
        setTicking(!empty());
    }

  private:
    // Takes in what was captured up to now, then stops capturing.
    void halt() {
        pump();
        started_ = false;
        endpoint_->stop();
        setTicking(false);
    }

    std::unique_ptr<InputEndpoint> endpoint_;
    bool started_ = false;
};

} // namespace detail

WaveResult WaveIn::open(const WaveFormat& format, HWND notify, std::unique_ptr<WaveIn>& device) {
    device.reset();
    if (format != kVoiceFormat) return WaveResult::kBadFormat;
    std::unique_ptr<detail::InputEndpoint> endpoint;
    if (WaveResult r = detail::openInputEndpoint(audioSettings(), endpoint); r != WaveResult::kOk) return r;
    device.reset(new WaveIn(std::make_unique<detail::InputDevice>(notify, std::move(endpoint))));
    return WaveResult::kOk;
}

WaveIn::WaveIn(std::unique_ptr<detail::InputDevice> device) : device_(std::move(device)) {}
WaveIn::~WaveIn() = default;
WaveHandle WaveIn::handle() const {
    return device_->handle();
}
WaveResult WaveIn::prepare(WaveBuffer& buffer) {
    return device_->prepare(buffer);
}
WaveResult WaveIn::unprepare(WaveBuffer& buffer) {
    return device_->unprepare(buffer);
}
WaveResult WaveIn::addBuffer(WaveBuffer& buffer) {
    return device_->addBuffer(buffer);
}
WaveResult WaveIn::start() {
    return device_->start();
}
WaveResult WaveIn::stop() {
    return device_->stop();
}
WaveResult WaveIn::reset() {
    return device_->reset();
}
size_t WaveIn::queued() const {
    return device_->queued();
}
bool WaveIn::started() const {
    return device_->started();
}

} // namespace kestrova::platform
