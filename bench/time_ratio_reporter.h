// Prints every run as usual and, at the end, each run's time as a ratio
// to the time of a baseline run of the same program, measured in the same run;
// then the ratios that have an aim, as aim lines (aim_line.h).
#pragma once

#include <benchmark/benchmark.h>

#include "aim_line.h"

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace kestrova::bench {

class TimeRatioReporter : public benchmark::ConsoleReporter {
  public:
    explicit TimeRatioReporter(std::string baseline) : baseline_(std::move(baseline)) {}

    // At the end: time of `numerator` / time of `denominator`, against the aim.
    void addAim(std::string what, std::string numerator, std::string denominator, AimKind kind, double aim) {
        aims_.push_back({std::move(what), std::move(numerator), std::move(denominator), kind, aim});
    }

    // At the end: "ratio <what> = <time of numerator / time of denominator>",
    // a measurement without an aim.
    void addRatio(std::string what, std::string numerator, std::string denominator) {
        ratios_.push_back({std::move(what), std::move(numerator), std::move(denominator), AtMost, 0});
    }

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (!run.error_occurred) times_[run.benchmark_name()] = timeOf(run);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        auto baseline = times_.find(baseline_);
        if (baseline != times_.end() && baseline->second > 0)
            for (const auto& [name, time] : times_)
                if (name != baseline_)
                    std::printf("ratio %s / %s = %.1f\n", name.c_str(), baseline_.c_str(),
                                time / baseline->second);
        for (const Aim& ratio : ratios_) {
            double numerator = times_[ratio.numerator], denominator = times_[ratio.denominator];
            if (numerator > 0 && denominator > 0)
                std::printf("ratio %s = %.2f\n", ratio.what.c_str(), numerator / denominator);
        }
        for (const Aim& aim : aims_) {
            double numerator = times_[aim.numerator], denominator = times_[aim.denominator];
            if (numerator > 0 && denominator > 0)
                printAim(aim.what.c_str(), numerator / denominator, aim.kind, aim.aim);
        }
    }

  private:
    // NOTE: CPU time unless the benchmark asked for real time (it waits on
    // sockets or other threads): on a shared, loaded machine the real time of
    // a computing loop mostly measures the other processes.
    static double timeOf(const Run& run) {
        return run.benchmark_name().ends_with("/real_time") ? run.GetAdjustedRealTime() : run.GetAdjustedCPUTime();
    }

    struct Aim {
        std::string what, numerator, denominator;
        AimKind kind;
        double aim;
    };
    std::string baseline_;
    std::vector<Aim> aims_;
    std::vector<Aim> ratios_;
    std::map<std::string, double> times_;
};

} // namespace kestrova::bench
