// RIFF WAVE files: read (sound resources, the recorded input of tests),
// converted to the voice format, and written (the played output of tests).
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <variant>
#include <vector>

#include "kestrova/platform/wave.h"

namespace kestrova::platform {

// Plain PCM samples as a file holds them.
struct PcmSound {
    WaveFormat format;
    std::vector<uint8_t> samples;
};

enum class WavError {
    kUnreadable,        // no such file, or it cannot be read
    kTooLarge,          // beyond the size given
    kNotWave,           // no RIFF WAVE structure, or no format or data chunk
    kUnsupportedFormat, // not PCM, or channels, bits or rate out of reach
};
const char* wavErrorText(WavError error);

// Files beyond this are refused (eight minutes of voice).
inline constexpr size_t kMaxWavFileSize = 16 * 1024 * 1024;

// Reads the format and data chunks. Takes PCM with 1 or 2 channels, 8 or 16
// bits, 8000 to 48000 samples a second; a data chunk longer than the file is
// cut to what is there.
std::variant<PcmSound, WavError> parseWav(std::span<const uint8_t> bytes);
// The samples in kVoiceFormat: channels averaged, 8 bits widened, the rate
// converted by linear interpolation. Voice-format sound comes back unchanged.
std::vector<uint8_t> toVoiceFormat(const PcmSound& sound);
// Reads, parses and converts a file of at most maxBytes.
std::variant<std::vector<uint8_t>, WavError> readVoiceWavFile(const std::filesystem::path& path,
                                                              size_t maxBytes = kMaxWavFileSize);

// The 44-byte header of a PCM file with dataBytes of samples.
std::vector<uint8_t> wavHeader(const WaveFormat& format, uint32_t dataBytes);
// Appends voice-format samples to the file, writing the header first when the
// file is new or empty and bringing its sizes up to date. False when the file
// exists but is not a voice-format WAV file of this kind, or cannot be written.
bool appendToVoiceWavFile(const std::filesystem::path& path, std::span<const uint8_t> samples);

} // namespace kestrova::platform
