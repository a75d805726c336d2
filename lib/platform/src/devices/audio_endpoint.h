// What stands behind an open wave device: the sound card, a WAV file, or
// nothing. Endpoints are used on the device's own (user-interface) thread
// only; the device asks them for progress on a timer.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "kestrova/platform/audio_settings.h"
#include "kestrova/platform/wave.h"

namespace kestrova::platform::detail {

class OutputEndpoint {
  public:
    virtual ~OutputEndpoint() = default;
    // Bytes to play after everything queued before.
    virtual void queue(std::span<const uint8_t> bytes) = 0;
    // Bytes finished since open: played, or dropped by flush. Never more than queued.
    virtual uint64_t finished() = 0;
    // Drops everything not played yet.
    virtual void flush() = 0;
};

class InputEndpoint {
  public:
    virtual ~InputEndpoint() = default;
    virtual void start() = 0;
    virtual void stop() = 0;
    // Copies captured bytes not read yet, at most into.size(); returns how many.
    virtual size_t read(std::span<uint8_t> into) = 0;
    // Throws away what was captured and not read (no buffer was there for it).
    virtual void discard() = 0;
};

// The endpoints of the back-end the settings choose (kVoiceFormat only).
WaveResult openOutputEndpoint(const AudioSettings& settings, std::unique_ptr<OutputEndpoint>& endpoint);
WaveResult openInputEndpoint(const AudioSettings& settings, std::unique_ptr<InputEndpoint>& endpoint);

// The wav and null back-ends (an empty path is null). Output: null when the
// file exists and is not a voice-format WAV file. Input: kNoDevice when the
// file cannot be read, kBadFormat when its sound cannot be converted.
std::unique_ptr<OutputEndpoint> makePacedOutput(std::filesystem::path file);
WaveResult makePacedInput(const std::filesystem::path& file, std::unique_ptr<InputEndpoint>& endpoint);
// Null when SDL has no such sound device here.
std::unique_ptr<OutputEndpoint> makeSdlOutput();
std::unique_ptr<InputEndpoint> makeSdlInput();

} // namespace kestrova::platform::detail
