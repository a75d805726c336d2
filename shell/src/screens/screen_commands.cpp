#include "screens/screen_commands.h"

#include <vector>

#include "screens/about_screen.h"
#include "screens/settings_screen.h"
#include "kestrova/bus.h"
#include "shell_commands.h"

namespace kestrova::shell {
namespace {

// One line per screen: {command, &SingleScreen<TheScreen>::open}. The
// service, contact and group dialogs are the connection plug-in's, asked for
// on the bus (without the plug-in they open nothing).
const std::vector<ScreenCommand> kScreens{
    {kCommandSettings, &openSettings},
    {kCommandAbout, &openAbout},
    {kCommandAddService, [](platform::HWND) { bus::call(names::kConnectionOpenAddService); }},
    {kCommandAddContact, [](platform::HWND) { bus::call(names::kConnectionOpenAddContact); }},
    {kCommandJoinGroup, [](platform::HWND) { bus::call(names::kConnectionOpenJoinGroup); }},
    {kCommandCreateGroup, [](platform::HWND) { bus::call(names::kConnectionOpenCreateGroup); }},
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
