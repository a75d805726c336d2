// The desktop's sound devices through SDL's queued audio: output is queued as
// it is written and counted as played when SDL has taken it; input is taken
// from SDL's capture queue.
#include <SDL.h>

#include "devices/audio_endpoint.h"

namespace kestrova::platform::detail {
namespace {

// An open SDL audio device in kVoiceFormat (SDL converts to what the card takes).
class SdlDevice {
  public:
    explicit SdlDevice(bool capture) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return;
        initialised_ = true;
        SDL_AudioSpec want{};
        want.freq = static_cast<int>(kVoiceFormat.samplesPerSecond);
        want.format = AUDIO_S16LSB;
        want.channels = static_cast<Uint8>(kVoiceFormat.channels);
        want.samples = 512;
        SDL_AudioSpec have{};
        id_ = SDL_OpenAudioDevice(nullptr, capture ? 1 : 0, &want, &have, 0);
    }
    ~SdlDevice() {
        if (id_) SDL_CloseAudioDevice(id_);
        if (initialised_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    SdlDevice(const SdlDevice&) = delete;
    SdlDevice& operator=(const SdlDevice&) = delete;

    bool open() const { return id_ != 0; }
    SDL_AudioDeviceID id() const { return id_; }

  private:
    bool initialised_ = false;
    SDL_AudioDeviceID id_ = 0;
};

class SdlOutput final : public OutputEndpoint {
  public:
    SdlOutput() : device_(false) {
        if (device_.open()) SDL_PauseAudioDevice(device_.id(), 0);
    }
    bool open() const { return device_.open(); }

    void queue(std::span<const uint8_t> bytes) override {
        queued_ += bytes.size();
        // NOTE: sound SDL refuses never enters its queue and so counts as
        // played at once: its buffer still comes back.
        SDL_QueueAudio(device_.id(), bytes.data(), static_cast<Uint32>(bytes.size()));
    }
    uint64_t finished() override { return queued_ - SDL_GetQueuedAudioSize(device_.id()); }
    void flush() override { SDL_ClearQueuedAudio(device_.id()); }

  private:
    SdlDevice device_;
    uint64_t queued_ = 0;
};

class SdlInput final : public InputEndpoint {
  public:
    SdlInput() : device_(true) {}
    bool open() const { return device_.open(); }

    void start() override { SDL_PauseAudioDevice(device_.id(), 0); }
    void stop() override { SDL_PauseAudioDevice(device_.id(), 1); }
    size_t read(std::span<uint8_t> into) override {
        size_t whole = into.size() & ~size_t(1);
        return SDL_DequeueAudio(device_.id(), into.data(), static_cast<Uint32>(whole));
    }
    void discard() override { SDL_ClearQueuedAudio(device_.id()); }

  private:
    SdlDevice device_;
};

} // namespace

std::unique_ptr<OutputEndpoint> makeSdlOutput() {
    auto endpoint = std::make_unique<SdlOutput>();
    if (!endpoint->open()) return nullptr;
    return endpoint;
}

std::unique_ptr<InputEndpoint> makeSdlInput() {
    auto endpoint = std::make_unique<SdlInput>();
    if (!endpoint->open()) return nullptr;
    return endpoint;
}

} // namespace kestrova::platform::detail
