// Prints every run as usual and, at the end, each run's real time as a ratio
// to the time of a baseline run of the same program, measured in the same run.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace kestrova::bench {

class TimeRatioReporter : public benchmark::ConsoleReporter {
public:
    explicit TimeRatioReporter(std::string baseline) : baseline_(std::move(baseline)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (!run.error_occurred) times_[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        auto baseline = times_.find(baseline_);
        if (baseline == times_.end() || baseline->second <= 0) return;
        for (const auto& [name, time] : times_)
            if (name != baseline_) std::printf("ratio %s / %s = %.1f\n", name.c_str(), baseline_.c_str(), time / baseline->second);
    }

private:
    std::string baseline_;
    std::map<std::string, double> times_;
};

}  // namespace kestrova::bench
