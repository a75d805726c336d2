// What the server process costs, read from /proc: the CPU time it has used
// (user and system, in clock ticks; and to the nanosecond, as the scheduler
// counts it, for short phases) and its memory, resident now and at its peak.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <optional>

namespace kestrova::load {

struct ServerUsage {
    double cpuSeconds = 0;      // utime + stime
    double runSeconds = 0;      // on a CPU, every thread (schedstat)
    size_t residentKiB = 0;     // VmRSS
    size_t peakResidentKiB = 0; // VmHWM
};

std::optional<ServerUsage> readServerUsage(pid_t pid);

} // namespace kestrova::load
