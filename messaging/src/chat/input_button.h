// The face and keys the voice and photo buttons share: a light grey button
// with a raised edge (sunken while pressed or recording), its text centred
// in the bold font, a focus rectangle inset by four pixels. Left and Right go
// to the chat window (another mode), Up and Down move the focus on; the
// button's own keys and the pointer are the derived button's.
#pragma once

#include <string>

#include "kestrova/ui/window_base.h"
#include "view_metrics.h"

namespace kestrova::messaging {

class InputButton : public ui::WindowBase {
  public:
    explicit InputButton(const ViewMetrics& metrics) : metrics_(metrics) {}
    bool make(platform::HWND parent, const platform::Rect& rect, uintptr_t id);

    void onPaint(platform::HWND hwnd) override;
    platform::LResult onGetDialogCode(platform::HWND, const platform::Msg*) override;
    void onKey(platform::HWND hwnd, uint32_t key, bool down, int repeat, uint32_t flags) override;
    void onSetFocus(platform::HWND hwnd, platform::HWND) override;
    void onKillFocus(platform::HWND hwnd, platform::HWND) override;

  protected:
    virtual std::string label() const = 0;
    virtual bool sunken() const = 0;
    // Enter, the space key (and what else the button takes) pressed or
    // released, auto-repeats left out; false for a key it does not take.
    virtual bool onActionKey(uint32_t key, bool down) = 0;
    void repaintNow();

  private:
    const ViewMetrics& metrics_;
};

} // namespace kestrova::messaging
