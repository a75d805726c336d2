// The wav and null back-ends: sound moves at the pace of the platform clock,
// as through a real device, so that a recording streams while it is made and
// a test with a virtual clock records two seconds in no time.
#include <algorithm>
#include <cstring>
#include <vector>

#include "devices/audio_endpoint.h"
#include "kestrova/platform/clock.h"
#include "kestrova/platform/wav_file.h"

namespace kestrova::platform::detail {
namespace {

// The bytes of kVoiceFormat that the platform clock makes due since a start.
class Pace {
  public:
    void restart() {
        startTick_ = tickCount();
        taken_ = 0;
    }
    uint64_t due() const {
        uint64_t elapsed = static_cast<uint32_t>(tickCount() - startTick_);
        uint64_t frames = elapsed * kVoiceFormat.samplesPerSecond / 1000;
        return frames * kVoiceFormat.blockAlign() - taken_;
    }
    void take(uint64_t bytes) { taken_ += bytes; }

  private:
    uint32_t startTick_ = 0;
    uint64_t taken_ = 0;
};

// Plays into a WAV file (appended as it is played), or into nothing.
class PacedOutput final : public OutputEndpoint {
  public:
    explicit PacedOutput(std::filesystem::path file) : file_(std::move(file)) {}

    void queue(std::span<const uint8_t> bytes) override {
        if (pending_ == 0) pace_.restart(); // the device idled until this sound came
        pending_ += bytes.size();
        if (!file_.empty()) unplayed_.insert(unplayed_.end(), bytes.begin(), bytes.end());
    }

    uint64_t finished() override {
        uint64_t due = pace_.due();
        uint64_t played = std::min(due, pending_);
        // Time beyond the sound queued is silence: it is not owed to later sound.
        pace_.take(due);
        pending_ -= played;
        finished_ += played;
        if (!file_.empty() && played > 0) {
            // NOTE: sound the file does not take is lost, as on a broken
            // speaker; the device goes on at its pace all the same.
            appendToVoiceWavFile(file_, std::span(unplayed_).first(played));
            unplayed_.erase(unplayed_.begin(), unplayed_.begin() + static_cast<long>(played));
        }
        return finished_;
    }

    void flush() override {
        finished();
        finished_ += pending_;
        pending_ = 0;
        unplayed_.clear();
    }

  private:
    std::filesystem::path file_;
    std::vector<uint8_t> unplayed_;
    uint64_t pending_ = 0;
    uint64_t finished_ = 0;
    Pace pace_;
};

// Records from sound read from a WAV file, then silence; or silence only.
class PacedInput final : public InputEndpoint {
  public:
    explicit PacedInput(std::vector<uint8_t> source) : source_(std::move(source)) {}

    void start() override {
        if (running_) return;
        running_ = true;
        pace_.restart();
    }

    void stop() override { running_ = false; }

    size_t read(std::span<uint8_t> into) override {
        if (!running_) return 0;
        size_t n = static_cast<size_t>(std::min<uint64_t>(pace_.due(), into.size()));
        size_t fromFile = position_ < source_.size() ? std::min(n, source_.size() - position_) : 0;
        // An empty source has no data pointer, and memcpy's may never be null.
        if (fromFile != 0) std::memcpy(into.data(), source_.data() + position_, fromFile);
        std::memset(into.data() + fromFile, 0, n - fromFile);
        position_ += n;
        pace_.take(n);
        return n;
    }

    void discard() override {
        if (!running_) return;
        uint64_t due = pace_.due();
        position_ += static_cast<size_t>(due);
        pace_.take(due);
    }

  private:
    std::vector<uint8_t> source_;
    size_t position_ = 0;
    bool running_ = false;
    Pace pace_;
};

} // namespace

std::unique_ptr<OutputEndpoint> makePacedOutput(std::filesystem::path file) {
    // Appending nothing checks the file: created with a header when new,
    // refused when it is something else than our kind of WAV file.
    if (!file.empty() && !appendToVoiceWavFile(file, {})) return nullptr;
    return std::make_unique<PacedOutput>(std::move(file));
}

WaveResult makePacedInput(const std::filesystem::path& file, std::unique_ptr<InputEndpoint>& endpoint) {
    std::vector<uint8_t> source;
    if (!file.empty()) {
        auto sound = readVoiceWavFile(file);
        if (auto* error = std::get_if<WavError>(&sound))
            return *error == WavError::kUnsupportedFormat ? WaveResult::kBadFormat : WaveResult::kNoDevice;
        source = std::move(std::get<std::vector<uint8_t>>(sound));
    }
    endpoint = std::make_unique<PacedInput>(std::move(source));
    return WaveResult::kOk;
}

WaveResult openOutputEndpoint(const AudioSettings& settings, std::unique_ptr<OutputEndpoint>& endpoint) {
    switch (effectiveAudioBackend(settings)) {
    case AudioBackend::kSdl:
        endpoint = makeSdlOutput();
        // Only a desktop picked by default falls back to silence.
        if (!endpoint && settings.backend == AudioBackend::kAuto) endpoint = makePacedOutput({});
        break;
    case AudioBackend::kWav:
        endpoint = makePacedOutput(settings.waveOutFile);
        break;
    default:
        endpoint = makePacedOutput({});
        break;
    }
    return endpoint ? WaveResult::kOk : WaveResult::kNoDevice;
}

WaveResult openInputEndpoint(const AudioSettings& settings, std::unique_ptr<InputEndpoint>& endpoint) {
    switch (effectiveAudioBackend(settings)) {
    case AudioBackend::kSdl:
        endpoint = makeSdlInput();
        if (!endpoint && settings.backend == AudioBackend::kAuto) return makePacedInput({}, endpoint);
        return endpoint ? WaveResult::kOk : WaveResult::kNoDevice;
    case AudioBackend::kWav:
        return makePacedInput(settings.waveInFile, endpoint);
    default:
        return makePacedInput({}, endpoint);
    }
}

} // namespace kestrova::platform::detail
