// ScreenSlot: where the plug-in keeps a screen that exists at most once. The
// first open() makes it, a later one brings it to the front; the slot
// empties itself when the screen's window goes, and destroys the window when
// the slot goes (the screens run the plug-in's code, so they must not
// outlive it).
#pragma once

#include "kestrova/platform/window.h"

namespace kestrova::connection {

template <typename Screen> class ScreenSlot {
  public:
    ScreenSlot() = default;
    ~ScreenSlot() {
        if (screen_) platform::destroyWindow(screen_->hwnd());
    }
    ScreenSlot(const ScreenSlot&) = delete;
    ScreenSlot& operator=(const ScreenSlot&) = delete;

    // The screen in front; null when it could not be made.
    Screen* open() {
        if (screen_) {
            screen_->bringToFront();
            return screen_;
        }
        screen_ = Screen::open();
        if (screen_) screen_->setOnGone([this] { screen_ = nullptr; });
        return screen_;
    }
    Screen* get() const { return screen_; }

  private:
    Screen* screen_ = nullptr;
};

} // namespace kestrova::connection
