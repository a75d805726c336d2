#include "shell.h"

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "command_line.h"
#include "contact_list/contact_list.h"
#include "kestrova/api.h"
#include "kestrova/bus.h"
#include "kestrova/platform/automation.h"
#include "kestrova/platform/clock.h"
#include "kestrova/platform/display.h"
#include "kestrova/platform/instance.h"
#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/modal.h"
#include "kestrova/platform/module.h"
#include "kestrova/platform/paths.h"
#include "kestrova/platform/system_info.h"
#include "main_window.h"
#include "plugin_loader.h"
#include "shell_commands.h"
#include "tray/tray_icon.h"
#include "termination_signals.h"

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

// The automation socket asked for, if any; empty when none was.
std::string automationPath(const CommandLine& line) {
    if (line.automationSocket) return *line.automationSocket;
    if (const char* env = std::getenv("KESTROVA_AUTOMATION"); env && *env) return env;
    return {};
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

    // Before anything reads the time; it outlives every window and plug-in.
    std::optional<VirtualClock> clock;
    if (line.virtualClock) clock.emplace(UnixTime{*line.virtualClock, 0});
    TerminationSignals signals;                              // before any thread starts
    preparePlatform(line);                                   // 1
    InstanceLock instance(kInstanceLockName);                // 2
    if (line.appRunAtTime) return 0;                         // 3
    if (!line.newInstance && !instance.failure().empty()) {
        std::fprintf(stderr, "kestrova: cannot tell whether another copy runs: %s\n",
                     instance.failure().c_str());
        return 1;
    }
    if (!line.newInstance && instance.alreadyExisted()) {    // 4
        activateRunningInstance();
        return 0;
    }
    // Auto may settle for headless; an SDL display asked for by name may not.
    if (startDisplay(line.display) != line.display && line.display != DisplayKind::kAuto) {
        std::fprintf(stderr,
                     "kestrova: the %s display cannot be opened (is DISPLAY or WAYLAND_DISPLAY set?)\n",
                     displayKindName(line.display));
        stopDisplay();
        return 1;
    }
    dismissUnansweredModals();
    listenForLaterStarts(instance);
    std::unique_ptr<AutomationServer> automation;
    if (std::string path = automationPath(line); !path.empty()) {
        automation = AutomationServer::start(path);
        if (!automation) {
            std::fprintf(stderr,
                         "kestrova: cannot serve automation on %s (a file that is no stale socket, or a "
                         "running server, is there)\n",
                         path.c_str());
            stopDisplay();
            return 1;
        }
    }

    std::unique_ptr<MainWindow> mainWindow = MainWindow::create(line.hidden);  // 5
    // Started hidden, the program is reached through its icon and notification.
    std::unique_ptr<TrayIcon> trayIcon = TrayIcon::create();
    if (mainWindow) signals.setWindow(mainWindow->hwnd());
    // The contact list makes the overview, whose functions the plug-ins find at their start.
    std::unique_ptr<ContactList> contactList = ContactList::create();         // 6

    bus::set(names::kCoreStartedHidden, int32_t{line.hidden ? 1 : 0});
    std::filesystem::path folder = programFolder();
    loadLanguageLibraries(folder, platform::userLanguageId());                 // 7
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
    signals.shutdownStarted();

    RY_PluginStopAll();  // 12
    automation.reset();
    contactList.reset();
    trayIcon.reset();
    mainWindow.reset();
    RY_API_Cleanup();
    stopDisplay();
    return 0;
}

}  // namespace kestrova::shell
