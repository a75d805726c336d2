// The plug-in object. Loading it starts the five-minute check timer; Start
// finishes or cleans up the last install, runs the settings migrations and
// shows a delivered change log, and lets the timer check; Stop ends the
// current run and the overview item, after which ticks do nothing until the
// plug-in is started again or unloaded.
#pragma once

#include "change_log_window.h"
#include "core_update_host.h"
#include "overview_item.h"
#include "updater.h"

#include "kestrova/api.h"
#include "kestrova/net/platform_hidden_window.h"

#include <filesystem>
#include <memory>
#include <string>

namespace kestrova::updates {

struct PluginPlace {
    std::filesystem::path folder; // the program folder, which updates replace files in
    std::string programName;      // the main program's file name in it
    void* module = nullptr;       // the plug-in's own module (its icons)
};

// Where the running program is: the folder of its executable and its name.
PluginPlace runningProgram();

class UpdatesPlugin final : public Plugin {
  public:
    // In the running program's folder.
    UpdatesPlugin() : UpdatesPlugin(runningProgram()) {}
    explicit UpdatesPlugin(PluginPlace place);
    ~UpdatesPlugin();
    UpdatesPlugin(const UpdatesPlugin&) = delete;
    UpdatesPlugin& operator=(const UpdatesPlugin&) = delete;

    void Start() override;
    void Stop() override;
    const char* GetInfo() override { return ""; }

    Updater& updater() { return *updater_; }
    const OverviewItem& overviewItem() const { return view_; }
    ChangeLogWindow* changeLog() { return changeLog_.get(); }

  private:
    PluginPlace place_;
    CoreUpdateHost host_;
    OverviewItem view_;
    net::PlatformHiddenWindow timerWindow_;
    std::unique_ptr<Updater> updater_;
    std::unique_ptr<ChangeLogWindow> changeLog_;
};

} // namespace kestrova::updates
