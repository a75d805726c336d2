// The clock of the process: Unix time and a millisecond tick. Tests replace
// both by a virtual clock so that 10-second ticks and 5-minute deadlines run
// in milliseconds.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace kestrova::platform {

struct UnixTime {
    int64_t seconds = 0;
    int32_t microseconds = 0;
};

UnixTime unixNow();
// Milliseconds since an arbitrary start; wraps like a 32-bit tick counter.
uint32_t tickCount();

// While an object of this class lives, unixNow() and tickCount() read it
// instead of the system clock. Only one may exist at a time.
class VirtualClock {
public:
    explicit VirtualClock(UnixTime start = {1'700'000'000, 0}, uint32_t startTick = 1000);
    ~VirtualClock();
    VirtualClock(const VirtualClock&) = delete;
    VirtualClock& operator=(const VirtualClock&) = delete;

    void advance(std::chrono::milliseconds step);
    void setUnixTime(UnixTime now);
};

// The virtual clock now in use, moved from outside the object that made it
// (the running program's automation). Each returns false, and does nothing,
// while the system clock runs.
bool virtualClockActive();
bool advanceVirtualClock(std::chrono::milliseconds step);
bool setVirtualUnixTime(UnixTime now);

// Called (on the thread that moved it) after the virtual clock moved, so that
// timer owners can look at their deadlines again. Returns an id for removal.
int addClockListener(std::function<void()> listener);
void removeClockListener(int id);

}  // namespace kestrova::platform
