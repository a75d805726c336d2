// The voice message's codec paths against libspeex called directly on the
// same two seconds of sound, in the same run: the recorder's encoding (40 ms
// buffers into body records) and the player's decoding (records read from a
// body, frames into wave buffers). Prints each as a ratio to its direct
// baseline, and how many times faster than real time each runs on one core.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

#include "direct_speex.h"
#include "speex_codec.h"
#include "voice_body.h"

namespace {

using namespace kestrova::messaging;

constexpr size_t kSamples = 2 * 16000;
constexpr double kSeconds = 2.0;

const std::vector<uint8_t>& sound() {
    static const std::vector<uint8_t> pcm = direct_speex::speech(kSamples);
    return pcm;
}

const std::vector<uint8_t>& body() {
    static const std::vector<uint8_t> encoded = [] {
        std::vector<uint8_t> out;
        SpeexEncoder::create()->encode(sound(), out);
        return out;
    }();
    return encoded;
}

void BM_DirectEncode(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(direct_speex::encode(sound()));
}

void BM_RecorderEncode(benchmark::State& state) {
    auto encoder = SpeexEncoder::create();
    std::span<const uint8_t> pcm = sound();
    for (auto _ : state) {
        std::vector<uint8_t> body; // the message's body, grown buffer by buffer
        for (size_t at = 0; at < pcm.size(); at += 4 * 320)
            encoder->encode(pcm.subspan(at, 4 * 320), body);
        benchmark::DoNotOptimize(body.data());
    }
}

void BM_DirectDecode(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(direct_speex::decode(body()));
}

void BM_PlayerDecode(benchmark::State& state) {
    for (auto _ : state) {
        auto decoder = SpeexDecoder::create(); // one per run of the queue
        std::vector<uint8_t> buffer;
        size_t at = 0;
        while (auto record = readVoiceRecord(body(), at)) {
            buffer.clear(); // each frame is one wave buffer of its own
            decoder->decode(record->frame, buffer);
            benchmark::DoNotOptimize(buffer.data());
            at = record->next;
        }
    }
}

BENCHMARK(BM_DirectEncode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecorderEncode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DirectDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlayerDecode)->Unit(benchmark::kMillisecond);

class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (!run.error_occurred) cpu_[run.benchmark_name()] = run.GetAdjustedCPUTime() / 1000.0; // ms → s
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        ratio("BM_RecorderEncode", "BM_DirectEncode");
        ratio("BM_PlayerDecode", "BM_DirectDecode");
        for (const char* name : {"BM_RecorderEncode", "BM_PlayerDecode"})
            if (cpu_[name] > 0)
                std::printf("%s runs %.0fx faster than real time\n", name, kSeconds / cpu_[name]);
    }

  private:
    void ratio(const char* name, const char* baseline) {
        if (cpu_[baseline] > 0)
            std::printf("ratio %s / %s = %.2f\n", name, baseline, cpu_[name] / cpu_[baseline]);
    }
    std::map<std::string, double> cpu_;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
}
