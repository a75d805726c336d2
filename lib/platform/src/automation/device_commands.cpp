// The automation commands of the devices and shell services: what the user
// felt, heard and was shown, and how the camera, the sound and the sound
// profile are set up (docs/AUTOMATION.md).
#include "automation/protocol_text.h"
#include "kestrova/platform/audio_settings.h"
#include "kestrova/platform/camera.h"
#include "kestrova/platform/clipboard.h"
#include "kestrova/platform/shell_open.h"
#include "kestrova/platform/sound.h"
#include "kestrova/platform/sound_profile.h"
#include "kestrova/platform/vibration.h"

namespace kestrova::platform::detail {
namespace {

bool clearing(const Args& a) {
    return a.size() == 2 && a[1] == "clear";
}

std::string vibrations(const Args& a) {
    if (clearing(a)) {
        clearVibrationRecord();
        return "OK";
    }
    VibrationRecord r = vibrationRecord();
    std::string pattern;
    for (const auto& e : r.events)
        pattern += std::string(pattern.empty() ? "" : ",") + (e.on ? "on" : "off");
    return "OK starts=" + std::to_string(r.starts) + " stops=" + std::to_string(r.stops) +
           " on=" + (r.on ? "1" : "0") + " pattern=" + (pattern.empty() ? "-" : pattern);
}

std::string clipboard(const Args& a) {
    if (a.size() == 3 && a[1] == "set") return setClipboardText(a[2]) ? "OK" : "ERR not valid UTF-8";
    if (a.size() != 1) return "ERR usage: clipboard [set <text>]";
    auto text = clipboardText();
    return text ? "OK " + quote(*text) : "OK none";
}

std::string shellOpens(const Args& a) {
    if (clearing(a)) {
        clearShellOpenRecord();
        return "OK";
    }
    std::string out = "OK";
    for (const auto& r : shellOpenRecord())
        out += " " + r.how + " " + quote(r.target);
    return out;
}

std::string sounds(const Args& a) {
    if (clearing(a)) {
        clearSoundRecord();
        return "OK";
    }
    std::string out = "OK";
    for (const auto& name : soundsPlayed())
        out += " " + quote(name);
    return out;
}

std::string camera(const Args& a) {
    if (a.size() == 2)
        setCameraAnswer(parseCameraAnswer(a[1]));
    else if (a.size() != 1)
        return "ERR usage: camera [chooser|cancel|unavailable|<file>]";
    CameraAnswer answer = cameraAnswer();
    if (answer.kind == CameraAnswer::Kind::kFile) return "OK file " + quote(answer.file.string());
    return "OK " + formatCameraAnswer(answer);
}

std::string audio(const Args& a) {
    AudioSettings settings = audioSettings();
    if (a[0] == "audio" && a.size() == 2) {
        auto backend = parseAudioBackend(a[1]);
        if (!backend) return "ERR expected auto, sdl, wav or null";
        settings.backend = *backend;
    } else if (a[0] != "audio" && a.size() == 2) {
        (a[0] == "wavein" ? settings.waveInFile : settings.waveOutFile) = a[1];
    } else if (a.size() != 1) {
        return "ERR usage: audio [auto|sdl|wav|null], wavein <file>, waveout <file>";
    }
    setAudioSettings(settings);
    return std::string("OK backend=") + audioBackendName(settings.backend) +
           " now=" + audioBackendName(effectiveAudioBackend(settings)) +
           " in=" + quote(settings.waveInFile.string()) + " out=" + quote(settings.waveOutFile.string());
}

std::string soundProfile(const Args& a) {
    if (a[0] == "soundprofile" && a.size() == 2 && !setActiveSoundProfile(a[1]))
        return "ERR cannot write the registry";
    if (a[0] == "overridemode" && a.size() == 2) {
        auto mode = a[1] == "none" ? std::optional(kNoOverride) : parseInt(a[1]);
        if (!mode) return "ERR expected a number or none";
        if (!setNotificationOverrideMode(*mode)) return "ERR cannot write the registry";
    }
    return "OK profile=" + quote(activeSoundProfile().value_or("")) +
           " mode=" + std::to_string(notificationOverrideMode());
}

} // namespace

std::string deviceCommand(const Args& a) {
    const std::string& c = a[0];
    if (c == "vibrations") return vibrations(a);
    if (c == "clipboard") return clipboard(a);
    if (c == "shellopens") return shellOpens(a);
    if (c == "sounds") return sounds(a);
    if (c == "camera") return camera(a);
    if (c == "audio" || c == "wavein" || c == "waveout") return audio(a);
    if (c == "soundprofile" || c == "overridemode") return soundProfile(a);
    return {};
}

} // namespace kestrova::platform::detail
