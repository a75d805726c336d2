#include "voice_recorder.h"

#include <algorithm>

namespace kestrova::messaging {

using namespace kestrova::platform;

std::unique_ptr<VoiceRecorder> VoiceRecorder::start(HWND notify) {
    auto encoder = SpeexEncoder::create();
    if (!encoder) return nullptr;
    std::unique_ptr<WaveIn> device;
    if (WaveIn::open(kVoiceFormat, notify, device) != WaveResult::kOk) return nullptr;
    std::unique_ptr<VoiceRecorder> recorder(new VoiceRecorder(std::move(device), std::move(encoder)));
    size_t bytes = 4 * static_cast<size_t>(recorder->encoder_->frameSize());
    for (size_t i = 0; i < kBufferCount; ++i) {
        WaveBuffer& buffer = recorder->buffers_.emplace_back();
        buffer.data.resize(bytes);
        if (recorder->device_->prepare(buffer) != WaveResult::kOk ||
            recorder->device_->addBuffer(buffer) != WaveResult::kOk)
            return nullptr;
    }
    if (recorder->device_->start() != WaveResult::kOk) return nullptr;
    return recorder;
}

VoiceRecorder::VoiceRecorder(std::unique_ptr<WaveIn> device, std::unique_ptr<SpeexEncoder> encoder)
    : encoder_(std::move(encoder)), device_(std::move(device)) {}

// The device goes before its buffers: closing it takes back every
// notification that still names one of them.
VoiceRecorder::~VoiceRecorder() {
    device_->reset();
    device_.reset();
}

bool VoiceRecorder::takeFilled(WaveBuffer* buffer, std::vector<uint8_t>& block) {
    auto it =
        std::find_if(buffers_.begin(), buffers_.end(), [&](const WaveBuffer& b) { return &b == buffer; });
    if (it == buffers_.end() || stopped_ || (buffer->flags & WHDR_INQUEUE)) return false;
    encode(*buffer, block);
    // Back to the device, as the last of the buffers it holds.
    buffers_.splice(buffers_.end(), buffers_, it);
    device_->addBuffer(*buffer);
    return true;
}

void VoiceRecorder::stop(std::vector<uint8_t>& block) {
    if (stopped_) return;
    stopped_ = true;
    device_->reset();
    // NOTE: the phone dropped the sound of the buffers still with the device
    // at release (up to the last 40 ms and any not yet reported); it is the
    // end of what the user said, so it is kept.
    for (WaveBuffer& buffer : buffers_) {
        encode(buffer, block);
        buffer.bytesRecorded = 0;
        device_->unprepare(buffer);
    }
}

void VoiceRecorder::encode(const WaveBuffer& buffer, std::vector<uint8_t>& block) {
    size_t bytes = std::min(buffer.bytesRecorded, buffer.data.size());
    if (bytes == 0) return;
    encoder_->encode(std::span(buffer.data).first(bytes), block);
}

} // namespace kestrova::messaging
