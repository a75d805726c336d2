#include "devices/audio_endpoint.h"
#include "devices/wave_device.h"

namespace kestrova::platform {
namespace detail {

// Output: written buffers are queued to the endpoint at once, and each comes
// back when the endpoint has played up to its end.
class OutputDevice final : public WaveDevice {
  public:
    OutputDevice(HWND notify, std::unique_ptr<OutputEndpoint> endpoint)
        : WaveDevice(notify, {MM_WOM_OPEN, MM_WOM_DONE, MM_WOM_CLOSE}), endpoint_(std::move(endpoint)) {}
    ~OutputDevice() override { reset(); }

    WaveResult write(WaveBuffer& buffer) {
        if (WaveResult r = enqueue(buffer); r != WaveResult::kOk) return r;
        endpoint_->queue(buffer.data);
        written_ += buffer.data.size();
        ends_.push_back(written_);
        pump();
        return WaveResult::kOk;
    }

    WaveResult reset() {
        endpoint_->flush();
        ends_.clear();
        completeAll();
        setTicking(false);
        return WaveResult::kOk;
    }

    void pump() override {
        uint64_t finished = endpoint_->finished();
        while (!ends_.empty() && ends_.front() <= finished) {
            ends_.pop_front();
            completeFront();
        }
        setTicking(!empty());
    }

  private:
    std::unique_ptr<OutputEndpoint> endpoint_;
    uint64_t written_ = 0;
    std::deque<uint64_t> ends_; // where each queued buffer ends in the stream written
};

} // namespace detail

WaveResult WaveOut::open(const WaveFormat& format, HWND notify, std::unique_ptr<WaveOut>& device) {
    device.reset();
    if (format != kVoiceFormat) return WaveResult::kBadFormat;
    std::unique_ptr<detail::OutputEndpoint> endpoint;
    if (WaveResult r = detail::openOutputEndpoint(audioSettings(), endpoint); r != WaveResult::kOk) return r;
    device.reset(new WaveOut(std::make_unique<detail::OutputDevice>(notify, std::move(endpoint))));
    return WaveResult::kOk;
}

WaveOut::WaveOut(std::unique_ptr<detail::OutputDevice> device) : device_(std::move(device)) {}
WaveOut::~WaveOut() = default;
WaveHandle WaveOut::handle() const {
    return device_->handle();
}
WaveResult WaveOut::prepare(WaveBuffer& buffer) {
    return device_->prepare(buffer);
}
WaveResult WaveOut::unprepare(WaveBuffer& buffer) {
    return device_->unprepare(buffer);
}
WaveResult WaveOut::write(WaveBuffer& buffer) {
    return device_->write(buffer);
}
WaveResult WaveOut::reset() {
    return device_->reset();
}
size_t WaveOut::queued() const {
    return device_->queued();
}

} // namespace kestrova::platform
