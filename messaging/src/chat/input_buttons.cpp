#include "input_buttons.h"

namespace kestrova::messaging {

using namespace kestrova::platform;

std::unique_ptr<PushToTalkButton> makeVoiceButton(HWND chatWindow, const Rect& rect, uintptr_t id,
                                                  const ViewMetrics& metrics, VoicePlayback* playback) {
    auto button = std::make_unique<PushToTalkButton>(metrics, playback);
    if (!button->make(chatWindow, rect, id)) return nullptr;
    return button;
}

std::unique_ptr<CapturePhotoButton> makePhotoButton(HWND chatWindow, const Rect& rect, uintptr_t id,
                                                    const ViewMetrics& metrics) {
    auto button = std::make_unique<CapturePhotoButton>(metrics);
    if (!button->make(chatWindow, rect, id)) return nullptr;
    return button;
}

} // namespace kestrova::messaging
