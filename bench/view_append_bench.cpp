// Appending a message to a view that holds 10,000 messages against appending
// one to a view of 100, in the same run: the view lays out only what it adds,
// so the two should cost about the same. Prints the ratio at the end.
#include <benchmark/benchmark.h>

#include "time_ratio_reporter.h"
#include "view_scene_bench.h"

namespace {

kestrova::bench::ViewBenchScene& scene() {
    static kestrova::bench::ViewBenchScene s;
    return s;
}

void BM_AppendToView(benchmark::State& state) {
    const size_t held = static_cast<size_t>(state.range(0));
    // The view is filled anew whenever the appends have made it 10% fuller,
    // so each append meets a view of about `held` messages.
    const size_t slack = std::max<size_t>(10, held / 10);
    std::unique_ptr<kestrova::messaging::MessageView> view;
    size_t next = 0;
    auto refill = [&] {
        view = scene().makeView();
        for (next = 0; next < held; ++next)
            view->append(scene().message(next));
    };
    refill();
    for (auto _ : state) {
        if (next >= held + slack) {
            state.PauseTiming();
            refill();
            state.ResumeTiming();
        }
        view->append(scene().message(next++));
    }
}
BENCHMARK(BM_AppendToView)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    kestrova::bench::TimeRatioReporter reporter("BM_AppendToView/100");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
