#include "updater.h"

#include "check_schedule.h"

#include "kestrova/platform/clock.h"

namespace kestrova::updates {
namespace {

constexpr size_t kMaxHostBytes = 127;

} // namespace

Updater::Updater(net::HiddenWindow& timerWindow, WindowFactory makeRunWindow, UpdateHost& host,
                 UpdateView& view, UpdaterSetup setup)
    : timerWindow_(timerWindow), makeRunWindow_(std::move(makeRunWindow)), host_(host), view_(view),
      setup_(std::move(setup)) {
    timerWindow_.setHandler([this](uint32_t message, uintptr_t, intptr_t) -> intptr_t {
        if (message != net::kMsgTimer) return 0;
        tick();
        return 1;
    });
    timerWindow_.startTimer(kCheckTimerPeriodMs);
}

Updater::~Updater() {
    timerWindow_.stopTimer();
    timerWindow_.setHandler(nullptr);
    stopRun();
}

void Updater::tick() {
    if (!checking_) return;
    int64_t now = platform::unixNow().seconds;
    const UpdateRun* current = run();
    TickDecision decision = decideTick(now, host_.lastCheck(), current != nullptr,
                                       current && current->busy() ? RunActivity::Busy : RunActivity::None);
    if (decision.dropRun) stopRun();
    if (!decision.startCheck) return;
    host_.setLastCheck(now);
    startRun();
}

void Updater::stopRun() {
    active_.reset();
}

void Updater::startRun() {
    UpdateRunSetup setup;
    setup.host = host_.serverHost().substr(0, kMaxHostBytes);
    setup.port = host_.serverPort();
    setup.folder = setup_.folder;
    setup.programName = setup_.programName;
    setup.check.platform = host_.platformName();
    setup.check.language = host_.languageId();
    setup.check.subscriber = host_.subscriberId();
    setup.releaseKey = setup_.releaseKey;
    setup.limits = setup_.limits;
    setup.installHook = setup_.installHook;

    auto active = std::make_unique<ActiveRun>();
    active->window = makeRunWindow_();
    active->run = std::make_unique<UpdateRun>(*active->window, view_, std::move(setup));
    active_ = std::move(active);
    active_->run->start();
}

} // namespace kestrova::updates
