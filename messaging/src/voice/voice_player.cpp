#include "voice_player.h"

#include <algorithm>

#include "voice_body.h"

namespace kestrova::messaging {

using namespace kestrova::platform;

std::unique_ptr<VoicePlayer> VoicePlayer::create(HWND notify) {
    auto decoder = SpeexDecoder::create();
    if (!decoder) return nullptr;
    std::unique_ptr<WaveOut> device;
    if (WaveOut::open(kVoiceFormat, notify, device) != WaveResult::kOk) return nullptr;
    // NOTE: the phone also kept its audio device at full power while a
    // player existed; a desktop's sound device has no such state to hold.
    RY_AudioLock();
    return std::unique_ptr<VoicePlayer>(new VoicePlayer(std::move(device), std::move(decoder)));
}

VoicePlayer::VoicePlayer(std::unique_ptr<WaveOut> device, std::unique_ptr<SpeexDecoder> decoder)
    : decoder_(std::move(decoder)), device_(std::move(device)) {}

// The device goes before its buffers: closing it takes back every
// notification that still names one of them.
VoicePlayer::~VoicePlayer() {
    device_.reset();
    RY_AudioUnlock();
}

VoicePlayer::State VoicePlayer::feed(PlaybackMessages& queue) {
    while (!queue.empty() && written_.size() < kMaxWritten) {
        Step step = writeNextFrame(queue.front().get());
        if (step == Step::kWait) return written_.empty() ? State::kWaiting : State::kPlaying;
        if (step == Step::kFinished) dropHead(queue);
    }
    return written_.empty() ? State::kDone : State::kPlaying;
}

void VoicePlayer::dropHead(PlaybackMessages& queue) {
    if (!queue.empty()) queue.pop_front();
    position_ = 0;
}

VoicePlayer::State VoicePlayer::onPlayed(WaveBuffer* buffer, PlaybackMessages& queue) {
    for (auto it = written_.begin(); it != written_.end(); ++it) {
        if (&*it != buffer) continue;
        device_->unprepare(*it);
        written_.erase(it);
        break;
    }
    return feed(queue);
}

VoicePlayer::Step VoicePlayer::writeNextFrame(HMESSAGE message) {
    RY_MessageData data{};
    data.size = sizeof data;
    RY_GetMessageData(message, &data);
    // A message still arriving may grow past its end; a failed one will not.
    bool growing = !data.complete && !data.mark1;
    std::span<const uint8_t> body;
    if (data.data && data.dataLength > 0)
        body = {static_cast<const uint8_t*>(data.data), static_cast<size_t>(data.dataLength)};
    auto record = readVoiceRecord(body, position_);
    if (!record) {
        // NOTE: the phone dropped a message still arriving once it caught up
        // with it, so a message played while it streamed in stopped short.
        size_t left = body.size() - std::min(body.size(), position_);
        bool damaged =
            left >= 2 && (body[position_] | (size_t{body[position_ + 1]} << 8)) > kMaxVoiceFrameBytes;
        return growing && !damaged ? Step::kWait : Step::kFinished;
    }
    WaveBuffer buffer;
    if (!decoder_->decode(record->frame, buffer.data)) return Step::kFinished;
    WaveBuffer& written = written_.emplace_back(std::move(buffer));
    if (device_->prepare(written) != WaveResult::kOk || device_->write(written) != WaveResult::kOk) {
        written_.pop_back();
        return Step::kFinished;
    }
    position_ = record->next;
    return Step::kWritten;
}

} // namespace kestrova::messaging
