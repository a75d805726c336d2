#include <cmath>
#include <mutex>
#include <numbers>

#include "kestrova/platform/sound.h"
#include "kestrova/platform/wav_file.h"
#include "kestrova/platform/wave.h"
#include "kestrova/platform/window.h"

namespace kestrova::platform {
namespace {

constexpr char kClass[] = "KestrovaSoundPlayer";

// The one sound of the process: its output device, its samples, and a hidden
// window that hears when it has been played and closes the device then.
class SoundPlayer {
  public:
    bool play(std::vector<uint8_t> samples, std::string name) {
        stop();
        if (!isWindow(window_.get())) {
            registerClass({kClass, &SoundPlayer::proc, 0, std::nullopt});
            window_.reset(createWindow({kClass, "", 0, {}, nullptr, nullptr, 0, nullptr}));
        }
        if (WaveOut::open(kVoiceFormat, window_.get(), device_) != WaveResult::kOk) return false;
        buffer_.data = std::move(samples);
        device_->prepare(buffer_);
        device_->write(buffer_);
        std::lock_guard lock(mutex_);
        played_.push_back(std::move(name));
        return true;
    }

    void stop() {
        device_.reset();
        buffer_ = WaveBuffer{};
    }

    bool playing() const { return device_ != nullptr; }

    std::vector<std::string> played() {
        std::lock_guard lock(mutex_);
        return played_;
    }

    void clearRecord() {
        std::lock_guard lock(mutex_);
        played_.clear();
    }

  private:
    static LResult proc(HWND hwnd, uint32_t message, WParam wParam, LParam lParam);

    UniqueWindow window_;
    std::unique_ptr<WaveOut> device_;
    WaveBuffer buffer_;
    std::mutex mutex_;
    std::vector<std::string> played_;
};

SoundPlayer& player() {
    // NOTE: never destroyed: a sound may still play while the process ends.
    static SoundPlayer* instance = new SoundPlayer;
    return *instance;
}

LResult SoundPlayer::proc(HWND hwnd, uint32_t message, WParam wParam, LParam lParam) {
    if (message == MM_WOM_DONE) {
        SoundPlayer& p = player();
        if (p.device_ && wParam == p.device_->handle()) p.stop();
        return 0;
    }
    return defWindowProc(hwnd, message, wParam, lParam);
}

std::string resourceText(const ResourceName& name) {
    return name.text.empty() ? std::to_string(name.number) : name.text;
}

std::vector<uint8_t> beepTone() {
    constexpr int kHertz = 880;
    constexpr int kMilliseconds = 120;
    constexpr int kAmplitude = 8000;
    const int frames = static_cast<int>(kVoiceFormat.samplesPerSecond) * kMilliseconds / 1000;
    std::vector<uint8_t> samples;
    samples.reserve(static_cast<size_t>(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        double t = double(i) / kVoiceFormat.samplesPerSecond;
        auto v = static_cast<int16_t>(kAmplitude * std::sin(2 * std::numbers::pi * kHertz * t));
        samples.push_back(static_cast<uint8_t>(v));
        samples.push_back(static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8));
    }
    return samples;
}

} // namespace

std::filesystem::path soundResourcePath(void* module, const ResourceName& name) {
    return resourcesRoot() / moduleResourceName(module) / "sounds" / (resourceText(name) + ".wav");
}

bool playSoundResource(void* module, const ResourceName& name) {
    auto samples = readVoiceWavFile(soundResourcePath(module, name), kMaxSoundFileSize);
    if (!std::holds_alternative<std::vector<uint8_t>>(samples)) return false;
    return player().play(std::move(std::get<std::vector<uint8_t>>(samples)),
                         moduleResourceName(module) + "/" + resourceText(name));
}

bool playDefaultBeep() {
    return player().play(beepTone(), "beep");
}
void stopSound() {
    player().stop();
}
bool soundPlaying() {
    return player().playing();
}
std::vector<std::string> soundsPlayed() {
    return player().played();
}
void clearSoundRecord() {
    player().clearRecord();
}

} // namespace kestrova::platform
