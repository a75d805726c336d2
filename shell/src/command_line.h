// The program's command line. The system's own switches are found anywhere
// in the whole line, as the shell has always looked for them; the desktop
// options are ordinary --options.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "kestrova/platform/display.h"
#include "kestrova/platform/screen.h"

namespace kestrova::shell {

struct CommandLine {
    std::string whole;         // every argument, joined by blanks
    bool hidden = false;       // "/hidden": start without showing the main window
    bool newInstance = false;  // "/newinstance": start even if another copy runs
    bool appRunAtTime = false; // "AppRunAtTime": a scheduled wake-up; end at once
    bool help = false;
    bool version = false;
    std::optional<platform::ScreenGeometry> screen;
    platform::DisplayKind display = platform::DisplayKind::kAuto;
    std::optional<std::string> automationSocket;
    std::optional<std::string> screenshotOnStart;  // a PNG of the start-up screen
    std::optional<int64_t> virtualClock;           // Unix seconds the clock starts at, moved by automation
    std::string error;         // not empty: the line could not be understood
};

CommandLine parseCommandLine(const std::vector<std::string>& arguments);
std::string usageText();

}  // namespace kestrova::shell
