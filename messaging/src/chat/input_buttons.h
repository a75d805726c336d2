// The voice and photo input controls of a chat window (its "Voice" and
// "Photo" modes). A control composes a message and hands it to the chat
// window as WM_APP: wParam the control's window, lParam the message, which
// the control made with RY_CreateMessage and releases after the call. The
// chat window addresses it to the conversation, shows it and sends it, also
// while it is still growing (a recording streams as it is spoken).
//
// Keys the controls leave to the chat window: Left and Right (another mode)
// as WM_KEYDOWN to the parent; Up and Down (the focus moves on) as
// WM_NEXTDLGCTL to the parent, 1 for Up.
#pragma once

#include <memory>

#include "capture_photo_button.h"
#include "push_to_talk_button.h"

namespace kestrova::messaging {

// playback: the queue a recording holds while it runs (may be null).
std::unique_ptr<PushToTalkButton> makeVoiceButton(platform::HWND chatWindow, const platform::Rect& rect,
                                                  uintptr_t controlId, const ViewMetrics& metrics,
                                                  VoicePlayback* playback);
std::unique_ptr<CapturePhotoButton> makePhotoButton(platform::HWND chatWindow, const platform::Rect& rect,
                                                    uintptr_t controlId, const ViewMetrics& metrics);

} // namespace kestrova::messaging
