#include "server_usage.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace kestrova::load {

namespace {

std::optional<double> cpuSecondsOf(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(file, line)) return std::nullopt;
    // The command name stands in parentheses and may hold spaces; the
    // fields are counted from the last closing one: state is field 3,
    // utime 14 and stime 15.
    size_t close = line.rfind(')');
    if (close == std::string::npos) return std::nullopt;
    std::istringstream fields(line.substr(close + 2));
    std::string skip;
    for (int field = 3; field < 14; ++field)
        fields >> skip;
    unsigned long long user = 0, system = 0;
    if (!(fields >> user >> system)) return std::nullopt;
    return double(user + system) / double(::sysconf(_SC_CLK_TCK));
}

// The first field of each thread's schedstat: nanoseconds on a CPU.
double runSecondsOf(pid_t pid) {
    std::error_code error;
    double seconds = 0;
    for (const auto& task :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
        std::ifstream file(task.path() / "schedstat");
        unsigned long long nanos = 0;
        if (file >> nanos) seconds += double(nanos) / 1e9;
    }
    return seconds;
}

} // namespace

std::optional<ServerUsage> readServerUsage(pid_t pid) {
    if (pid <= 0) return std::nullopt;
    std::optional<double> cpu = cpuSecondsOf(pid);
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    if (!cpu || !status) return std::nullopt;
    ServerUsage usage;
    usage.cpuSeconds = *cpu;
    usage.runSeconds = runSecondsOf(pid);
    for (std::string line; std::getline(status, line);) {
        unsigned long long kib = 0;
        if (std::sscanf(line.c_str(), "VmRSS: %llu kB", &kib) == 1) usage.residentKiB = kib;
        if (std::sscanf(line.c_str(), "VmHWM: %llu kB", &kib) == 1) usage.peakResidentKiB = kib;
    }
    return usage;
}

} // namespace kestrova::load
