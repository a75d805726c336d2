#include "voice_recording.h"

#include "voice_body.h"

namespace kestrova::messaging {

std::unique_ptr<VoiceRecording> VoiceRecording::start(platform::HWND notify, Failure& failure) {
    if (!RY_AudioTryLock()) {
        failure = Failure::kAudioBusy;
        return nullptr;
    }
    auto recorder = VoiceRecorder::start(notify);
    if (!recorder) {
        RY_AudioUnlock();
        failure = Failure::kNoDevice;
        return nullptr;
    }
    RY_MessageData data{};
    data.size = sizeof data;
    data.flags = RY_MESSAGE_ID | RY_MESSAGE_CONTENT_TYPE | RY_MESSAGE_COMPLETE;
    data.messageId = RY_GetLUID();
    data.contentType = kVoiceContentType;
    data.complete = 0;
    kit::OwnedMessage message(RY_CreateMessage(&data));
    failure = Failure::kNone;
    return std::unique_ptr<VoiceRecording>(new VoiceRecording(std::move(recorder), std::move(message)));
}

VoiceRecording::VoiceRecording(std::unique_ptr<VoiceRecorder> recorder, kit::OwnedMessage message)
    : recorder_(std::move(recorder)), message_(std::move(message)) {}

VoiceRecording::~VoiceRecording() {
    stop();
}

bool VoiceRecording::onFilled(platform::WaveHandle device, platform::WaveBuffer* buffer) {
    if (!recorder_ || device != recorder_->device()) return false;
    block_.clear();
    if (!recorder_->takeFilled(buffer, block_)) return false;
    if (!block_.empty()) append(block_, false);
    return true;
}

void VoiceRecording::stop() {
    if (!recorder_) return;
    block_.clear();
    recorder_->stop(block_);
    append(block_, true);
    recorder_.reset();
    RY_AudioUnlock();
}

void VoiceRecording::append(const std::vector<uint8_t>& block, bool complete) {
    RY_ContinueMessage(message_.get(), block.empty() ? nullptr : block.data(),
                       static_cast<int32_t>(block.size()), complete ? 1 : 0);
}

} // namespace kestrova::messaging
