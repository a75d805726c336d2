#include "command_line.h"

#include <charconv>

namespace kestrova::shell {
namespace {

bool takeValue(const std::vector<std::string>& args, size_t& i, const std::string& name, std::string& value) {
    const std::string& arg = args[i];
    if (arg == name && i + 1 < args.size()) {
        value = args[++i];
        return true;
    }
    if (arg.rfind(name + "=", 0) == 0) {
        value = arg.substr(name.size() + 1);
        return true;
    }
    return false;
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    for (size_t i = 0; i < args.size(); ++i) line.whole += (i ? " " : "") + args[i];
    line.hidden = line.whole.find("/hidden") != std::string::npos;
    line.newInstance = line.whole.find("/newinstance") != std::string::npos;
    line.appRunAtTime = line.whole.find("AppRunAtTime") != std::string::npos;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string value;
        if (args[i] == "--help" || args[i] == "-h") line.help = true;
        else if (args[i] == "--version") line.version = true;
        else if (takeValue(args, i, "--screen", value)) {
            line.screen = platform::parseScreenGeometry(value);
            if (!line.screen) line.error = "bad --screen value \"" + value + "\" (expected WxH@DPI, e.g. 240x320@131)";
        } else if (takeValue(args, i, "--display", value)) {
            auto kind = platform::parseDisplayKind(value);
            if (kind) line.display = *kind;
            else line.error = "bad --display value \"" + value + "\" (expected auto, headless or sdl)";
        } else if (takeValue(args, i, "--automation", value)) {
            line.automationSocket = value;
        } else if (takeValue(args, i, "--screenshot", value)) {
            line.screenshotOnStart = value;
        } else if (takeValue(args, i, "--virtual-clock", value)) {
            int64_t seconds = 0;
            auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), seconds);
            if (ec == std::errc() && end == value.data() + value.size() && seconds >= 0) line.virtualClock = seconds;
            else line.error = "bad --virtual-clock value \"" + value + "\" (expected Unix seconds)";
        } else if (args[i].rfind("--", 0) == 0) {
            line.error = "unknown option " + args[i];
        }
    }
    return line;
}

std::string usageText() {
    return "usage: kestrova [/hidden] [/newinstance] [options]\n"
           "\n"
           "  /hidden              start without showing the main window (and sign in)\n"
           "  /newinstance         start even when another copy is running\n"
           "  --screen WxH@DPI     size and dots per inch of the device screen (default 240x320@131)\n"
           "  --display KIND       auto (default), headless or sdl\n"
           "  --automation PATH    serve the automation protocol on this Unix socket\n"
           "                       (also KESTROVA_AUTOMATION)\n"
           "  --screenshot PATH    save a PNG of the screen once start-up is done\n"
           "  --virtual-clock SECS the clock stands at this Unix time and moves only when the\n"
           "                       automation's \"clock\" command moves it (for tests)\n"
           "  --version            print the version and exit\n"
           "  --help               print this text and exit\n";
}

}  // namespace kestrova::shell
