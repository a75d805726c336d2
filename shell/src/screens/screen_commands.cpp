#include "screens/screen_commands.h"

#include <vector>

#include "screens/about_screen.h"
#include "screens/settings_screen.h"
#include "shell_commands.h"

namespace kestrova::shell {
namespace {

// One line per screen: {command, &SingleScreen<TheScreen>::open}. The commands
// are kCommandAbout, kCommandAddService, kCommandSettings, kCommandAddContact,
// kCommandJoinGroup and kCommandCreateGroup (shell_commands.h).
// FIXME: the Add a Service, Add a Contact, Join a Group and Create a Group
// dialogs are not written yet; until each adds its line its command opens
// nothing.
const std::vector<ScreenCommand> kScreens{
    {kCommandSettings, &openSettings},
    {kCommandAbout, &openAbout},
};

} // namespace

std::span<const ScreenCommand> screenCommands() {
    return kScreens;
}

bool openScreenFor(int command, platform::HWND mainWindow, std::span<const ScreenCommand> table) {
    for (const ScreenCommand& entry : table)
        if (entry.command == command && entry.open) {
            entry.open(mainWindow);
            return true;
        }
    return false;
}

} // namespace kestrova::shell
