// kestrova-harness [--server HOST:PORT] [--user NAME --password PASSWORD]
//
// One headless client: the core API and the connection plug-in of the
// program folder, without screens. The account and server are written to
// the settings store (KESTROVA_HOME) before the plug-in starts, so it signs
// in by itself. Commands come on standard input, events go to standard
// output, one per line; docs/HARNESS.md lists both.
#include <cstdio>
#include <cstring>
#include <string>

#include "command_reader.h"
#include "harness_output.h"
#include "kestrova/api.h"
#include "kestrova/kit/settings.h"
#include "kestrova/platform/display.h"
#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/modal.h"
#include "kestrova/platform/paths.h"
#include "overview_standin.h"
#include "plugin_loader.h"
#include "session_driver.h"

namespace {

using namespace kestrova;

struct Options {
    std::string server, user, password;
};

bool parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        std::string* target = option == "--server" ? &options.server
                              : option == "--user" ? &options.user
                              : option == "--password" ? &options.password
                                                       : nullptr;
        if (!target || i + 1 >= argc) {
            std::fprintf(stderr, "usage: kestrova-harness [--server HOST:PORT] [--user NAME --password PASSWORD]\n");
            return false;
        }
        *target = argv[++i];
    }
    return true;
}

// Stored credentials make the connection sign in when it starts.
void storeAccount(const Options& options) {
    if (!options.server.empty())
        kestrova::kit::writeSetting(kestrova::settings::kServerList, options.server.c_str());
    if (!options.user.empty()) kestrova::kit::writeSetting(kestrova::settings::kUser, options.user.c_str());
    if (!options.password.empty())
        kestrova::kit::writeSetting(kestrova::settings::kPassword, options.password.c_str());
    kestrova::kit::writeSetting(kestrova::settings::kAutoSignIn, 1);
}

// Nobody is there to answer a message box or a menu: each is reported and
// taken as dismissed.
void reportModal(const platform::ModalRequest& request) {
    harness::emit("modal caption=" + harness::escapeText(request.caption) + " text=" + harness::escapeText(request.text));
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseOptions(argc, argv, options)) return 2;
    platform::startDisplay(platform::DisplayKind::kHeadless);
    platform::setUnansweredModalHandler(reportModal);
    storeAccount(options);
    int exitCode = 0;
    {
        harness::OverviewStandIn overview;
        harness::SessionDriver driver;
        harness::CommandReader reader([&driver](const std::string& line) { driver.handle(line); });
        shell::PluginLoader plugins;
        if (plugins.loadAll(platform::programFolder(), "connection.so") != 1) {
            harness::emit("error connection.so not found beside the harness");
            exitCode = 1;
        } else {
            RY_PluginStartAll();
            exitCode = platform::runMessageLoop();
            RY_PluginStopAll();
        }
    }
    RY_API_Cleanup();
    platform::stopDisplay();
    return exitCode;
}
