// The main window's soft keys: "Chats" on the left and "Menu" on the right,
// whose popup starts with one submenu per service. The services fill their
// own submenus ("Service/%p/CreatePopupMenu"); their commands come back to
// the main window and go out on "core.window.OnCommand".
#pragma once

#include <string>
#include <string_view>

#include "kestrova/platform/messages.h"

namespace kestrova::shell {

// Attaches the soft-key bar with its "Menu" popup to the main window.
void createMainMenuBar(platform::HWND owner);

// The entries the services put at the top of the "Menu" popup.
class ServiceSubmenus {
  public:
    // Takes out the entries of the last opening (destroying their submenus)
    // and asks every service for a new menu, inserted from the top.
    void rebuild(platform::HMENU popup);
    int count() const { return count_; }

  private:
    int count_ = 0;
};

// A service's entry: its type's short name (or the product's name for the
// user's own account) with the account in brackets, the account cut at "@"
// and then to 13 characters and "..." when it is longer than 16.
std::string serviceMenuLabel(std::string_view base, std::string_view userName, std::string_view nickname);

} // namespace kestrova::shell
