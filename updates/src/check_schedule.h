// When the update check runs: the plug-in's timer ticks every five minutes,
// and a tick starts a check when the last one is more than an hour away, in
// either direction (a clock set back also triggers one).
#pragma once

#include <cstdint>

namespace kestrova::updates {

inline constexpr uint32_t kCheckTimerPeriodMs = 300000;
inline constexpr int64_t kCheckIntervalSeconds = 3600;

// The run of the last check, as the tick sees it.
enum class RunActivity {
    None, // no run, or one that has ended
    Busy, // downloading, or installed and waiting for a restart: keep it
};

struct TickDecision {
    bool dropRun = false;    // the ended run goes
    bool startCheck = false; // set "Updates/LastCheck" to now and start a run
};

TickDecision decideTick(int64_t nowSeconds, int64_t lastCheckSeconds, bool haveRun, RunActivity activity);

} // namespace kestrova::updates
