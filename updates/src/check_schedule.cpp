#include "check_schedule.h"

namespace kestrova::updates {

TickDecision decideTick(int64_t nowSeconds, int64_t lastCheckSeconds, bool haveRun, RunActivity activity) {
    TickDecision decision;
    if (haveRun && activity == RunActivity::Busy) return decision;
    decision.dropRun = haveRun;
    int64_t distance = nowSeconds - lastCheckSeconds;
    decision.startCheck = distance > kCheckIntervalSeconds || distance < -kCheckIntervalSeconds;
    return decision;
}

} // namespace kestrova::updates
