// A screen that exists at most once: its command brings the one that is open
// to the front and creates it otherwise. The screen owns itself: it deletes
// its object when its window is destroyed and calls vacate() from there, so
// that the next command creates it anew.
//
//   class AboutScreen : public ui::WindowBase {
//   public:
//       static AboutScreen* create(HWND owner);   // null when it cannot be made
//       void onDestroy(HWND) override { SingleScreen<AboutScreen>::vacate(this); delete this; }
//   };
#pragma once

#include "kestrova/platform/window.h"

namespace kestrova::shell {

template <typename Screen> class SingleScreen {
  public:
    static void open(platform::HWND owner) {
        if (!current_) current_ = Screen::create(owner);
        if (!current_ || !platform::isWindow(current_->hwnd())) return;
        platform::showWindow(current_->hwnd(), platform::SW_SHOWNORMAL);
        platform::setForegroundWindow(current_->hwnd());
    }
    // The screen is going: the slot is empty again.
    static void vacate(const Screen* screen) {
        if (current_ == screen) current_ = nullptr;
    }
    static Screen* current() { return current_; }

  private:
    static inline Screen* current_ = nullptr;
};

} // namespace kestrova::shell
