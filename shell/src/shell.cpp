#include "shell.h"

#include <cstdio>
#include <cstdlib>

#include "command_line.h"
#include "contact_list/contact_list.h"
#include "kestrova/api.h"
#include "kestrova/bus.h"
#include "kestrova/platform/automation.h"
#include "kestrova/platform/display.h"
#include "kestrova/platform/instance.h"
#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/modal.h"
#include "kestrova/platform/module.h"
#include "kestrova/platform/paths.h"
#include "main_window.h"
#include "plugin_loader.h"
#include "shell_commands.h"

#ifndef KESTROVA_VERSION
#define KESTROVA_VERSION "0.0.0"
#endif

namespace kestrova::shell {
namespace {

using namespace kestrova::platform;

// The platform's start entry: the screen the system runs on.
void preparePlatform(const CommandLine& line) {
    if (line.screen) setScreen(*line.screen);
}

// A second start tells the running copy to come to the front.
void activateRunningInstance() {
    uint32_t message = registerWindowMessage(kActivateMessage);
    postMessage(kBroadcast, message, 0, 0);
    sendToRunningInstance(kInstanceLockName, kActivateMessage);
}

void listenForLaterStarts(InstanceLock& lock) {
    lock.listen([](const std::string& line) {
        // Only the activation message is taken from outside.
        if (line == kActivateMessage) postMessage(kBroadcast, registerWindowMessage(kActivateMessage), 0, 0);
    });
}

std::unique_ptr<AutomationServer> startAutomation(const CommandLine& line) {
    std::string path;
    if (line.automationSocket) path = *line.automationSocket;
    else if (const char* env = std::getenv("KESTROVA_AUTOMATION"); env && *env) path = env;
    if (path.empty()) return nullptr;
    return AutomationServer::start(path);
}

// Without a screen nobody can answer a message box or a menu. The program
// goes on as if it was dismissed and says so, instead of stopping (the
// platform's default, made for tests).
void dismissUnansweredModals() {
    setUnansweredModalHandler([](const ModalRequest& request) {
        std::fprintf(stderr, "kestrova: nobody to answer \"%s\": %s (taken as dismissed)\n", request.caption.c_str(),
                     request.text.c_str());
    });
}

int reportUsageError(const CommandLine& line) {
    std::fprintf(stderr, "kestrova: %s\n\n%s", line.error.c_str(), usageText().c_str());
    return 2;
}

}  // namespace

int runShell(const std::vector<std::string>& arguments) {
    CommandLine line = parseCommandLine(arguments);
    if (!line.error.empty()) return reportUsageError(line);
    if (line.help) {
        std::fputs(usageText().c_str(), stdout);
        return 0;
    }
    if (line.version) {
        std::printf("kestrova %s\n", KESTROVA_VERSION);
        return 0;
    }

    preparePlatform(line);                                   // 1
    InstanceLock instance(kInstanceLockName);                // 2
    if (line.appRunAtTime) return 0;                         // 3
    if (!line.newInstance && instance.alreadyExisted()) {    // 4
        activateRunningInstance();
        return 0;
    }
    startDisplay(line.display);
    dismissUnansweredModals();
    listenForLaterStarts(instance);
    auto automation = startAutomation(line);

    std::unique_ptr<MainWindow> mainWindow = MainWindow::create(line.hidden);  // 5
    // FIXME: the tray icon (step 6, before the contact list) arrives with its screen.
    // The contact list makes the overview, whose functions the plug-ins find at their start.
    std::unique_ptr<ContactList> contactList = ContactList::create();         // 6

    std::filesystem::path folder = programFolder();
    loadLanguageLibraries(folder, userLanguageId());                    // 7
    removeLegacyModules(folder);                                       // 8
    PluginLoader plugins;
    plugins.loadAll(folder, "*.so");                                   // 9
    RY_PluginStartAll();                                               // 10
    bus::raise(names::kCoreStartup);

    if (line.screenshotOnStart) {
        pumpPendingMessages();
        saveScreenPng(*line.screenshotOnStart);
    }
    runMessageLoop();  // 11

    RY_PluginStopAll();  // 12
    automation.reset();
    contactList.reset();
    mainWindow.reset();
    RY_API_Cleanup();
    stopDisplay();
    return 0;
}

}  // namespace kestrova::shell
