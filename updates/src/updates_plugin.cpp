#include "updates_plugin.h"

#include "install.h"
#include "startup_tasks.h"

#include "kestrova/bus.h"
#include "kestrova/kit/own_module.h"
#include "kestrova/platform/paths.h"

namespace kestrova::updates {
namespace {

std::filesystem::path runningExecutable() {
    std::error_code ec;
    return std::filesystem::read_symlink("/proc/self/exe", ec);
}

} // namespace

PluginPlace runningProgram() {
    PluginPlace place;
    place.folder = platform::programFolder();
    std::string name = runningExecutable().filename().string();
    place.programName = name.empty() ? std::string("kestrova") : name;
    place.module = kit::ownModule();
    return place;
}

UpdatesPlugin::UpdatesPlugin(PluginPlace place) : place_(std::move(place)), view_(place_.module) {
    UpdaterSetup setup;
    setup.folder = place_.folder;
    setup.programName = place_.programName;
    updater_ = std::make_unique<Updater>(
        timerWindow_, [] { return std::make_unique<net::PlatformHiddenWindow>(); }, host_, view_,
        std::move(setup));
    // NOTE: the timer runs from loading, but checks only while started: a
    // check after Stop would write settings into a core state being torn down.
    updater_->setChecking(false);
}

UpdatesPlugin::~UpdatesPlugin() {
    Stop();
    updater_.reset();
}

void UpdatesPlugin::Start() {
    if (started) return;
    recoverInstall(place_.folder);
    migrateSettings(host_, place_.folder / place_.programName);
    if (auto log = takeChangeLog(place_.folder))
        changeLog_ = ChangeLogWindow::show(bus::get(names::kCoreWindowHwnd), *log);
    updater_->setChecking(true);
    started = 1;
}

void UpdatesPlugin::Stop() {
    if (!started) return;
    updater_->setChecking(false);
    updater_->stopRun();
    view_.hide();
    changeLog_.reset();
    started = 0;
}

} // namespace kestrova::updates
