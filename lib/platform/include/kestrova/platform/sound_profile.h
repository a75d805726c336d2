// The device's sound profile and the shell's notification override, kept
// where the system has always kept them: in the current user's registry.
//
//   ControlPanel\Profiles                        ActiveProfile  text: "Normal", "Silent", "Meeting", ...
//   ControlPanel\Notifications\ShellOverrides    Mode           number: 1 vibrate, 2 silent, else none
//
// What an alert does with them is the caller's decision; these are the reads
// (and, for tests and the automation, the writes).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrova::platform {

inline constexpr std::string_view kProfilesKey = "ControlPanel\\Profiles";
inline constexpr std::string_view kActiveProfileValue = "ActiveProfile";
inline constexpr std::string_view kShellOverridesKey = "ControlPanel\\Notifications\\ShellOverrides";
inline constexpr std::string_view kOverrideModeValue = "Mode";

inline constexpr std::string_view kNormalProfile = "Normal";
inline constexpr std::string_view kSilentProfile = "Silent";
inline constexpr std::string_view kMeetingProfile = "Meeting";

inline constexpr int32_t kNoOverride = -1;
inline constexpr int32_t kOverrideVibrate = 1;
inline constexpr int32_t kOverrideSilent = 2;

// The active profile's name; nothing when none was ever chosen.
std::optional<std::string> activeSoundProfile();
// The override mode; kNoOverride when the value is absent, empty, or not a
// 32-bit decimal number.
int32_t notificationOverrideMode();

// An empty name leaves no profile chosen; kNoOverride empties the mode.
bool setActiveSoundProfile(std::string_view name);
bool setNotificationOverrideMode(int32_t mode);

} // namespace kestrova::platform
