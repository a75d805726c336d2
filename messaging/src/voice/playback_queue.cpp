#include "playback_queue.h"

#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/window.h"
#include "kestrova/ui/window_base.h"

namespace kestrova::messaging {

using namespace kestrova::platform;

namespace {
constexpr uintptr_t kStallTimer = 1;
// The head message grew: handled after the change's subscribers ran, so the
// subscription is never dropped from inside its own call.
constexpr uint32_t kHeadGrown = WM_APP + 1;
} // namespace

// A hidden window of the plug-in's class that hears the output device.
class PlaybackQueue::NotificationWindow final : public ui::WindowBase {
  public:
    explicit NotificationWindow(PlaybackQueue& queue) : queue_(queue) { create("", 0, {}, nullptr); }

    LResult handleMessage(HWND hwnd, uint32_t message, WParam wParam, LParam lParam) override {
        if (message == MM_WOM_DONE) {
            queue_.onPlayed(static_cast<WaveHandle>(wParam), reinterpret_cast<WaveBuffer*>(lParam));
            return 0;
        }
        if (message == kHeadGrown) {
            queue_.onHeadGrown();
            return 0;
        }
        return WindowBase::handleMessage(hwnd, message, wParam, lParam);
    }
    void onTimer(HWND, uintptr_t id) override {
        if (id == kStallTimer) queue_.onStalled();
    }

  private:
    PlaybackQueue& queue_;
};

PlaybackQueue::PlaybackQueue() : window_(std::make_unique<NotificationWindow>(*this)) {}

// The player first (its device's notifications go with it), then the window.
PlaybackQueue::~PlaybackQueue() {
    headGrows_.reset();
    player_.reset();
    window_.reset();
}

void PlaybackQueue::queueForPlayback(HMESSAGE message) {
    if (!message) return;
    RY_MessageData data{};
    data.size = sizeof data;
    RY_GetMessageData(message, &data);
    if (data.dataLength <= 0) return;
    // NOTE: a message already waiting or playing is not queued twice: a
    // voice message the user streams would otherwise play again once its
    // last chunk arrives and the alert queues it.
    for (const kit::OwnedMessage& queued : queue_)
        if (queued.get() == message) return;
    queue_.push_back(kit::OwnedMessage::share(message));
    if (RY_AudioTryLock()) {
        play();
        RY_AudioUnlock();
    }
}

void PlaybackQueue::holdForRecording() {
    ++holds_;
}

void PlaybackQueue::releaseAfterRecording() {
    if (holds_ > 0) --holds_;
    if (!queue_.empty() && RY_AudioTryLock()) {
        play();
        RY_AudioUnlock();
    }
}

void PlaybackQueue::play() {
    if (holds_ > 0 || queue_.empty()) return;
    if (!player_) {
        player_ = VoicePlayer::create(window_->hwnd());
        // NOTE: without an output device the queue waits for the next
        // request rather than dropping what the user asked to hear.
        if (!player_) return;
    }
    follow(player_->feed(queue_));
}

void PlaybackQueue::onPlayed(WaveHandle device, WaveBuffer* buffer) {
    if (!player_ || device != player_->device()) return;
    follow(player_->onPlayed(buffer, queue_));
}

void PlaybackQueue::onHeadGrown() {
    growthPosted_ = false;
    if (player_) follow(player_->feed(queue_));
}

void PlaybackQueue::onStalled() {
    killTimer(window_->hwnd(), kStallTimer);
    if (!player_) return;
    player_->dropHead(queue_);
    follow(player_->feed(queue_));
}

// What the player does next decides whether the head is watched for growth
// and whether the player stays.
void PlaybackQueue::follow(VoicePlayer::State state) {
    headGrows_.reset();
    killTimer(window_->hwnd(), kStallTimer);
    if (state == VoicePlayer::State::kDone) {
        player_.reset();
        return;
    }
    if (queue_.empty()) return;
    // The head may be waiting for its next chunk, now or once the written
    // frames are played; either way a chunk arriving feeds the device.
    headGrows_ = kit::subscribe(queue_.front().get(), [this](HMESSAGE) {
        if (!growthPosted_) growthPosted_ = postMessage(window_->hwnd(), kHeadGrown, 0, 0);
    });
    if (state == VoicePlayer::State::kWaiting)
        setTimer(window_->hwnd(), kStallTimer, static_cast<uint32_t>(kStreamStall.count()));
}

} // namespace kestrova::messaging
