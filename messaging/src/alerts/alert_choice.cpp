#include "alert_choice.h"

#include "kestrova/platform/sound_profile.h"

namespace kestrova::messaging {

AlertKind chooseAlert(const std::optional<std::string>& profile, int32_t overrideMode, bool soundsOn) {
    if (profile == platform::kMeetingProfile) return AlertKind::kVibrate;
    if (profile == platform::kSilentProfile) return AlertKind::kNone;
    if (overrideMode == platform::kOverrideVibrate) return AlertKind::kVibrate;
    if (overrideMode == platform::kOverrideSilent) return AlertKind::kNone;
    return soundsOn ? AlertKind::kSound : AlertKind::kNone;
}

} // namespace kestrova::messaging
