// Messages through the window system: post and dispatch on one thread, and a
// send from a worker that waits for the user-interface thread, both against a
// bare condition-variable ping-pong between two threads in the same run.
// Prints each rate as a ratio to the ping-pong at the end.
#include <benchmark/benchmark.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>
#include <thread>

#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/window.h"

namespace platform = kestrova::platform;

namespace {

constexpr uint32_t kPing = platform::WM_APP + 1;
constexpr uint32_t kQuit = platform::WM_APP + 2;

platform::LResult countingProc(platform::HWND hwnd, uint32_t message, platform::WParam wParam, platform::LParam lParam) {
    if (message == kPing) return static_cast<platform::LResult>(wParam + 1);
    if (message == kQuit) platform::postQuitMessage(0);
    return platform::defWindowProc(hwnd, message, wParam, lParam);
}

platform::HWND makeWindow() {
    platform::registerClass({"BenchWindow", countingProc, 0, std::nullopt});
    return platform::createWindow({"BenchWindow", "", 0, {}, nullptr, nullptr, 0, nullptr});
}

void BM_CondVarPingPong(benchmark::State& state) {
    std::mutex m;
    std::condition_variable cv;
    uint64_t ball = 0;  // odd: the partner's turn
    bool stop = false;
    std::thread partner([&] {
        std::unique_lock lock(m);
        for (;;) {
            cv.wait(lock, [&] { return stop || ball % 2 == 1; });
            if (stop) return;
            ++ball;
            cv.notify_all();
        }
    });
    for (auto _ : state) {
        std::unique_lock lock(m);
        ++ball;
        cv.notify_all();
        cv.wait(lock, [&] { return ball % 2 == 0; });
    }
    {
        std::lock_guard lock(m);
        stop = true;
    }
    cv.notify_all();
    partner.join();
    state.SetItemsProcessed(state.iterations());
}

void BM_PostAndDispatchOneThread(benchmark::State& state) {
    platform::HWND window = makeWindow();
    platform::Msg msg;
    for (auto _ : state) {
        platform::postMessage(window, kPing, 1, 0);
        platform::peekMessage(msg);
        benchmark::DoNotOptimize(platform::dispatchMessage(msg));
    }
    platform::destroyWindow(window);
    state.SetItemsProcessed(state.iterations());
}

void BM_SendAcrossThreads(benchmark::State& state) {
    std::atomic<platform::HWND> window{nullptr};
    std::thread ui([&] {
        window = makeWindow();
        platform::runMessageLoop();
        platform::destroyWindow(window);
    });
    while (!window) std::this_thread::yield();
    for (auto _ : state) benchmark::DoNotOptimize(platform::sendMessage(window, kPing, 1, 0));
    platform::sendMessage(window, kQuit);
    ui.join();
    state.SetItemsProcessed(state.iterations());
}

// Prints every rate as a ratio to the condition-variable ping-pong.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (auto& run : runs) {
            auto it = run.counters.find("items_per_second");
            if (it != run.counters.end()) rates_[run.benchmark_name()] = it->second.value;
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        double baseline = 0;
        for (auto& [name, rate] : rates_)
            if (name.rfind("BM_CondVarPingPong", 0) == 0) baseline = rate;
        if (baseline <= 0) return;
        std::printf("\nratio to the condition-variable ping-pong (%.0f round trips/s):\n", baseline);
        for (auto& [name, rate] : rates_) std::printf("  %-30s %8.2f x\n", name.c_str(), rate / baseline);
    }

private:
    std::map<std::string, double> rates_;
};

}  // namespace

BENCHMARK(BM_CondVarPingPong)->UseRealTime();
BENCHMARK(BM_PostAndDispatchOneThread)->UseRealTime();
BENCHMARK(BM_SendAcrossThreads)->UseRealTime();

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
