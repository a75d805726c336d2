#include "kestrova/platform/audio_settings.h"

#include <cstdlib>
#include <mutex>

#include "kestrova/platform/display.h"

namespace kestrova::platform {
namespace {

std::mutex gMutex;
std::optional<AudioSettings> gSettings;

std::filesystem::path fromEnv(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::filesystem::path(value) : std::filesystem::path();
}

AudioSettings fromEnvironment() {
    AudioSettings settings;
    if (const char* name = std::getenv("KESTROVA_AUDIO"); name && *name)
        settings.backend = parseAudioBackend(name).value_or(AudioBackend::kAuto);
    settings.waveInFile = fromEnv("KESTROVA_WAVE_IN");
    settings.waveOutFile = fromEnv("KESTROVA_WAVE_OUT");
    return settings;
}

} // namespace

std::optional<AudioBackend> parseAudioBackend(std::string_view name) {
    if (name == "auto") return AudioBackend::kAuto;
    if (name == "sdl") return AudioBackend::kSdl;
    if (name == "wav") return AudioBackend::kWav;
    if (name == "null") return AudioBackend::kNull;
    return std::nullopt;
}

const char* audioBackendName(AudioBackend backend) {
    switch (backend) {
    case AudioBackend::kSdl:
        return "sdl";
    case AudioBackend::kWav:
        return "wav";
    case AudioBackend::kNull:
        return "null";
    default:
        return "auto";
    }
}

AudioSettings audioSettings() {
    std::lock_guard lock(gMutex);
    if (!gSettings) gSettings = fromEnvironment();
    return *gSettings;
}

void setAudioSettings(const AudioSettings& settings) {
    std::lock_guard lock(gMutex);
    gSettings = settings;
}

AudioBackend effectiveAudioBackend(const AudioSettings& settings) {
    if (settings.backend != AudioBackend::kAuto) return settings.backend;
    if (!settings.waveInFile.empty() || !settings.waveOutFile.empty()) return AudioBackend::kWav;
    return currentDisplay() == DisplayKind::kSdl ? AudioBackend::kSdl : AudioBackend::kNull;
}

} // namespace kestrova::platform
