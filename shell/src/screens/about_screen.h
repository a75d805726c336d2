// AboutScreen: the program's modules with their build times, and the
// credits. "Done" closes it.
#pragma once

#include <filesystem>

#include "kestrova/platform/paths.h"
#include "tabbed_screen.h"

namespace kestrova::shell {

class AboutScreen final : public TabbedScreen {
  public:
    // Null when it cannot be made; the screen then is gone already.
    // `program` is the program whose folder the Modules page lists.
    static AboutScreen* create(platform::HWND owner,
                               const std::filesystem::path& program = platform::programPath());

  private:
    friend class TabbedScreen;
    AboutScreen() = default;
    void closing() override;
};

// What the main window's "About..." command calls: opens the screen, or
// brings the open one to the front.
void openAbout(platform::HWND mainWindow);

} // namespace kestrova::shell
