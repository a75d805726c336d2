// The photo mode's button: pressed and released (Enter, the space key or
// the pointer), it takes a photo and sends it (photo_capture.h).
#pragma once

#include "input_button.h"

namespace kestrova::messaging {

class CapturePhotoButton final : public InputButton {
  public:
    explicit CapturePhotoButton(const ViewMetrics& metrics) : InputButton(metrics) {}

    void onLeftButtonDown(platform::HWND hwnd, bool, int, int, uint32_t) override;
    void onLeftButtonUp(platform::HWND hwnd, int, int, uint32_t) override;

  protected:
    std::string label() const override;
    bool sunken() const override { return pressed_; }
    bool onActionKey(uint32_t key, bool down) override;

  private:
    void setPressed(bool pressed);
    void release();
    bool pressed_ = false;
};

} // namespace kestrova::messaging
