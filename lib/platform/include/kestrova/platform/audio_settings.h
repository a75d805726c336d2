// Which sound the wave devices and sounds use, chosen at run time:
//
//   KESTROVA_AUDIO=auto|sdl|wav|null   the back-end (default auto)
//   KESTROVA_WAVE_IN=<file.wav>        what the wav back-end records
//   KESTROVA_WAVE_OUT=<file.wav>       where the wav back-end plays to (appended)
//
// auto is wav when either file is named, SDL audio when the desktop display
// runs (null when it has no sound device), and null otherwise. The settings
// are read from the environment at first use; tests and the automation
// protocol change them at run time, and devices opened later follow.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace kestrova::platform {

enum class AudioBackend { kAuto, kSdl, kWav, kNull };

std::optional<AudioBackend> parseAudioBackend(std::string_view name); // "auto", "sdl", "wav", "null"
const char* audioBackendName(AudioBackend backend);

struct AudioSettings {
    AudioBackend backend = AudioBackend::kAuto;
    std::filesystem::path waveInFile;  // empty: the wav back-end records silence
    std::filesystem::path waveOutFile; // empty: the wav back-end plays to nowhere
};

AudioSettings audioSettings();
void setAudioSettings(const AudioSettings& settings);
// What the settings come to now (never kAuto). An explicit kSdl stays kSdl
// even when no sound device opens: devices then fail to open.
AudioBackend effectiveAudioBackend(const AudioSettings& settings);

} // namespace kestrova::platform
