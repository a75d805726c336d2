#include "message_notifier.h"

#include <string_view>

#include "alert_choice.h"
#include "kestrova/kit/settings.h"
#include "kestrova/platform/sound.h"
#include "kestrova/platform/sound_profile.h"
#include "kestrova/platform/system_info.h"
#include "module_resources.h"

namespace kestrova::messaging {
namespace {

constexpr uint32_t kAlertSound = 105;

} // namespace

MessageNotifier::MessageNotifier(std::unique_ptr<VoicePlayback> playback)
    : playback_(std::move(playback)), vibrations_(platform::platformName().starts_with("P")),
      onComplete_(
          kit::subscribe(names::kMessagesNewComplete, [this](HMESSAGE message) { notify(message); })) {}

// The subscription goes first, then the patterns (joined), then the queue.
MessageNotifier::~MessageNotifier() {
    onComplete_.reset();
}

void MessageNotifier::notify(HMESSAGE message) {
    if (!message) return;
    RY_MessageData data{};
    data.size = sizeof data;
    RY_GetMessageData(message, &data);
    if (data.origin != RY_ORIGIN_LIVE) return;
    std::string_view type = data.contentType ? data.contentType : "";
    bool text = type == "text/plain";
    bool voice = type == "audio/x-speex";
    if (!text && !voice) return;
    AlertKind alert = chooseAlert(platform::activeSoundProfile(), platform::notificationOverrideMode(),
                                  kit::readSetting(settings::kNotificationSound) != 0);
    if (alert == AlertKind::kVibrate) {
        vibrations_.start();
    } else if (alert == AlertKind::kSound) {
        // NOTE: the phone kept its audio device at full power while the
        // alert played; a desktop's sound device has no such state to hold.
        if (text)
            platform::playSoundResource(messagingModule(), {"", kAlertSound});
        else if (playback_)
            playback_->queueForPlayback(message);
    }
}

} // namespace kestrova::messaging
