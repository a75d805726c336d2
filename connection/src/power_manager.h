// What the connection asks of the device's power management on a
// "PocketPC": stay in unattended mode while pings are due soon, otherwise be
// woken for the next keep-alive step. A desktop has none of this; the
// requests are recorded so they can be inspected.
#pragma once

#include "kestrova/platform/clock.h"

#include <optional>
#include <vector>

namespace kestrova::connection {

class PowerManager {
public:
    virtual ~PowerManager() = default;
    virtual void setUnattendedMode(bool on) = 0;
    virtual void resetIdleTimer() = 0;
    // nullopt cancels the scheduled start of the program.
    virtual void scheduleProgramStart(std::optional<platform::UnixTime> at) = 0;
};

class RecordedPower final : public PowerManager {
public:
    void setUnattendedMode(bool on) override { unattendedRequests.push_back(on); }
    void resetIdleTimer() override { ++idleResets; }
    void scheduleProgramStart(std::optional<platform::UnixTime> at) override { programStarts.push_back(at); }

    std::vector<bool> unattendedRequests;
    int idleResets = 0;
    std::vector<std::optional<platform::UnixTime>> programStarts;
};

}  // namespace kestrova::connection
