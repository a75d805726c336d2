#include "kestrova/platform/clock.h"

#include <map>
#include <mutex>
#include <optional>
#include <vector>

namespace kestrova::platform {
namespace {

struct VirtualState {
    UnixTime now;
    uint32_t tick;
};

std::mutex gMutex;
std::optional<VirtualState> gVirtual;
std::map<int, std::function<void()>> gListeners;
int gNextListener = 1;

void notifyListeners() {
    std::vector<std::function<void()>> copy;
    {
        std::lock_guard lock(gMutex);
        for (auto& [id, fn] : gListeners) copy.push_back(fn);
    }
    for (auto& fn : copy) fn();
}

}  // namespace

UnixTime unixNow() {
    {
        std::lock_guard lock(gMutex);
        if (gVirtual) return gVirtual->now;
    }
    auto since = std::chrono::system_clock::now().time_since_epoch();
    auto us = std::chrono::duration_cast<std::chrono::microseconds>(since).count();
    return {us / 1'000'000, static_cast<int32_t>(us % 1'000'000)};
}

uint32_t tickCount() {
    {
        std::lock_guard lock(gMutex);
        if (gVirtual) return gVirtual->tick;
    }
    auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

VirtualClock::VirtualClock(UnixTime start, uint32_t startTick) {
    std::lock_guard lock(gMutex);
    gVirtual = VirtualState{start, startTick};
}

VirtualClock::~VirtualClock() {
    std::lock_guard lock(gMutex);
    gVirtual.reset();
}

void VirtualClock::advance(std::chrono::milliseconds step) { advanceVirtualClock(step); }

void VirtualClock::setUnixTime(UnixTime now) { setVirtualUnixTime(now); }

bool virtualClockActive() {
    std::lock_guard lock(gMutex);
    return gVirtual.has_value();
}

bool advanceVirtualClock(std::chrono::milliseconds step) {
    {
        std::lock_guard lock(gMutex);
        if (!gVirtual) return false;
        int64_t us = gVirtual->now.microseconds + step.count() * 1000;
        gVirtual->now.seconds += us / 1'000'000;
        gVirtual->now.microseconds = static_cast<int32_t>(us % 1'000'000);
        gVirtual->tick += static_cast<uint32_t>(step.count());
    }
    notifyListeners();
    return true;
}

bool setVirtualUnixTime(UnixTime now) {
    {
        std::lock_guard lock(gMutex);
        if (!gVirtual) return false;
        gVirtual->now = now;
    }
    notifyListeners();
    return true;
}

int addClockListener(std::function<void()> listener) {
    std::lock_guard lock(gMutex);
    int id = gNextListener++;
    gListeners[id] = std::move(listener);
    return id;
}

void removeClockListener(int id) {
    std::lock_guard lock(gMutex);
    gListeners.erase(id);
}

}  // namespace kestrova::platform
