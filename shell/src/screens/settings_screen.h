// SettingsScreen: the user's settings of the shell and the plug-ins on three
// pages (General, Display, Proxy). OK saves every page and closes; Cancel
// closes without saving.
#pragma once

#include "tabbed_screen.h"

namespace kestrova::shell {

class SettingsScreen final : public TabbedScreen {
  public:
    // Null when it cannot be made; the screen then is gone already.
    static SettingsScreen* create(platform::HWND owner);

  private:
    friend class TabbedScreen;
    SettingsScreen() = default;
    void closing() override;
};

// What the main window's "Settings..." command calls: opens the screen, or
// brings the open one to the front.
void openSettings(platform::HWND mainWindow);

} // namespace kestrova::shell
