#include "capture_photo_button.h"

#include "kestrova/platform/window.h"
#include "photo_capture.h"
#include "texts.h"

namespace kestrova::messaging {

using namespace kestrova::platform;

std::string CapturePhotoButton::label() const {
    return text(texts::kCapturePhoto);
}

bool CapturePhotoButton::onActionKey(uint32_t key, bool down) {
    if (key != VK_RETURN && key != VK_SPACE) return false;
    if (down)
        setPressed(true);
    else
        release();
    return true;
}

void CapturePhotoButton::onLeftButtonDown(HWND hwnd, bool, int, int, uint32_t) {
    setFocus(hwnd);
    setCapture(hwnd);
    setPressed(true);
}

void CapturePhotoButton::onLeftButtonUp(HWND, int, int, uint32_t) {
    releaseCapture();
    release();
}

void CapturePhotoButton::setPressed(bool pressed) {
    if (pressed_ == pressed) return;
    pressed_ = pressed;
    repaintNow();
}

// Captures only what was pressed here: a release whose press went elsewhere
// takes no photo.
void CapturePhotoButton::release() {
    if (!pressed_) return;
    setPressed(false);
    captureAndSendPhoto(parentOf(hwnd()), hwnd());
}

} // namespace kestrova::messaging
