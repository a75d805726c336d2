// The updates plug-in's engine: the five-minute check timer and the current
// update run. The plug-in creates it when it is loaded (which starts the
// timer), calls stopRun() at Stop, and destroys it when unloaded.
//
// The timer runs on the platform clock (a virtual clock in tests). Each tick
// keeps a run that is downloading or has installed, drops any other, and
// starts a new check when "Updates/LastCheck" is more than an hour from now.
#pragma once

#include "update_host.h"
#include "update_run.h"

#include "kestrova/net/hidden_window.h"

#include <functional>
#include <memory>

namespace kestrova::updates {

struct UpdaterSetup {
    std::filesystem::path folder; // the program folder
    std::string programName;      // the program's file name
    PublicKey releaseKey = releasePublicKey();
    wire::UpdateBodyLimits limits;
    InstallStepHook installHook;
};

class Updater {
  public:
    // Each run gets a hidden window of its own (the socket layer closes its
    // window when the run goes); production passes PlatformHiddenWindow.
    using WindowFactory = std::function<std::unique_ptr<net::HiddenWindow>()>;

    // Takes the timer window's handler and starts its timer.
    Updater(net::HiddenWindow& timerWindow, WindowFactory makeRunWindow, UpdateHost& host, UpdateView& view,
            UpdaterSetup setup);
    ~Updater();
    Updater(const Updater&) = delete;
    Updater& operator=(const Updater&) = delete;

    // What the timer does every kCheckTimerPeriodMs.
    void tick();
    // Destroys the current run, if any (plug-in Stop).
    void stopRun();
    // While off, ticks do nothing (the plug-in is loaded but not started).
    void setChecking(bool on) { checking_ = on; }
    const UpdateRun* run() const { return active_ ? active_->run.get() : nullptr; }

  private:
    struct ActiveRun {
        std::unique_ptr<net::HiddenWindow> window;
        std::unique_ptr<UpdateRun> run; // goes before its window
    };

    void startRun();

    net::HiddenWindow& timerWindow_;
    WindowFactory makeRunWindow_;
    UpdateHost& host_;
    UpdateView& view_;
    UpdaterSetup setup_;
    std::unique_ptr<ActiveRun> active_;
    bool checking_ = true;
};

} // namespace kestrova::updates
