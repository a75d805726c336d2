// Sounds of a module's resources (the alert sound) and the default beep,
// played asynchronously through the wave output of the chosen back-end
// (audio_settings.h). Sound resources are WAV files beside the modules:
//   <resources root>/<module name>/sounds/<NAME or number>.wav
// in any PCM format parseWav takes (converted to the voice format to play).
// Call on the user-interface thread; the sound plays while its loop runs.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "kestrova/platform/icon_resources.h"

namespace kestrova::platform {

// Sound files beyond this are not played.
inline constexpr size_t kMaxSoundFileSize = 1024 * 1024;

std::filesystem::path soundResourcePath(void* module, const ResourceName& name);

// Starts the sound and returns at once; a sound still playing is cut off.
// False when the resource cannot be read as sound or no output opens.
bool playSoundResource(void* module, const ResourceName& name);
// The short tone of an action that cannot be done.
bool playDefaultBeep();
void stopSound();
bool soundPlaying();

// What was played, in order, for tests: "<module>/<name>" or "beep".
std::vector<std::string> soundsPlayed();
void clearSoundRecord();

} // namespace kestrova::platform
