// Taking a photo and sending it: the platform's camera (on this platform a
// picture chooser) saves a JPEG, which goes out as one "image/jpeg" message
// when it is smaller than 64 kB. Every other outcome is told in a message
// box and creates nothing.
#pragma once

#include <cstdint>
#include <string>

#include "kestrova/api.h"
#include "kestrova/kit/handles.h"
#include "kestrova/platform/camera.h"

namespace kestrova::messaging {

// A picture must be smaller than this to be sent.
inline constexpr uintmax_t kMaxPhotoBytes = 65536;

struct PhotoOutcome {
    kit::OwnedMessage message; // the photo to send; null when there is none
    // The message box to show, when there is one.
    std::string caption;
    std::string text;
    uint32_t icon = 0; // MB_ICON*
};

// What a camera result comes to: a complete "image/jpeg" message of the
// whole file, or the box that explains why there is none (or nothing at all
// when the user cancelled).
PhotoOutcome photoOutcome(const platform::CameraResult& result);

// Takes a picture (owner: the window the chooser and the boxes belong to)
// and hands a photo to chatWindow as WM_APP from button.
void captureAndSendPhoto(platform::HWND chatWindow, platform::HWND button);

} // namespace kestrova::messaging
