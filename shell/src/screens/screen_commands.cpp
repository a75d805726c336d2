#include "screens/screen_commands.h"

#include <vector>

#include "shell_commands.h"

namespace kestrova::shell {
namespace {

// One line per screen: {command, &SingleScreen<TheScreen>::open}. The commands
// are kCommandAbout, kCommandAddService, kCommandSettings, kCommandAddContact,
// kCommandJoinGroup and kCommandCreateGroup (shell_commands.h).
// FIXME: the About, Settings, Add a Service, Add a Contact, Join a Group and
// Create a Group screens are not written yet; until each adds its line its
// command opens nothing.
const std::vector<ScreenCommand> kScreens{};

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
