// What the main window's menu commands open. Each screen or dialog of the
// shell plugs itself in with one line in the table of screen_commands.cpp:
//
//   {kCommandAbout, &SingleScreen<AboutScreen>::open},
//
// A command without a line opens nothing.
#pragma once

#include <span>

#include "kestrova/platform/messages.h"

namespace kestrova::shell {

// Creates the screen, or brings the one that is open to the front; the main
// window is the owner.
using OpenScreen = void (*)(platform::HWND mainWindow);

struct ScreenCommand {
    int command;
    OpenScreen open;
};

// The shell's table.
std::span<const ScreenCommand> screenCommands();

// Opens what the command names in the table; false when it names nothing.
bool openScreenFor(int command, platform::HWND mainWindow,
                   std::span<const ScreenCommand> table = screenCommands());

} // namespace kestrova::shell
