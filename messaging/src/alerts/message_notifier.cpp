#include "message_notifier.h"

#include <string_view>

#include "alert_choice.h"
#include "kestrova/platform/sound.h"
#include "kestrova/platform/sound_profile.h"
#include "kestrova/platform/system_info.h"
#include "module_resources.h"

namespace kestrova::messaging {
namespace {

constexpr uint32_t kAlertSound = 105;
constexpr char kSoundSetting[] = "messaging.notifications.sound";

bool soundsOn() {
    return RY_GetSettingLong(kSoundSetting, 1) != 0;
}

} // namespace

MessageNotifier::MessageNotifier(std::unique_ptr<VoicePlayback> playback)
    : playback_(std::move(playback)), vibrations_(platform::platformName().starts_with("P")) {
    subscription_ = RY_EventSubscribe(&MessageNotifier::onComplete, names::kMessagesNewComplete, this);
}

MessageNotifier::~MessageNotifier() {
    RY_EventUnsubscribe(subscription_);
}

intptr_t MessageNotifier::onComplete(void* user, void* data, void*, HSUBSCRIPTION) {
    static_cast<MessageNotifier*>(user)->notify(static_cast<HMESSAGE>(data));
    return 0;
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
    AlertKind alert =
        chooseAlert(platform::activeSoundProfile(), platform::notificationOverrideMode(), soundsOn());
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
