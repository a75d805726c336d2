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
//
// FIXME: push-to-talk recording and photo capture come with the voice and
// photo messages; until then both modes show their button, which only beeps.
#pragma once

#include <memory>

#include "kestrova/ui/window_base.h"
#include "view_metrics.h"

namespace kestrova::messaging {

std::unique_ptr<ui::WindowBase> makeVoiceButton(platform::HWND chatWindow, const platform::Rect& rect,
                                                uintptr_t controlId, const ViewMetrics& metrics);
std::unique_ptr<ui::WindowBase> makePhotoButton(platform::HWND chatWindow, const platform::Rect& rect,
                                                uintptr_t controlId, const ViewMetrics& metrics);

} // namespace kestrova::messaging
