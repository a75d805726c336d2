// The voice message's codec paths against libspeex called directly on the
// same two seconds of sound, in the same run: the recorder's encoding (40 ms
// buffers into body records) and the player's decoding (records read from a
// body, frames into wave buffers). Prints each as a ratio to its direct
// baseline, and how many times faster than real time each runs on one core.
#include <benchmark/benchmark.h>
#include <speex/speex.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "speex_codec.h"
#include "voice_body.h"

namespace {

using namespace kestrova::messaging;

constexpr size_t kSamples = 2 * 16000;
constexpr double kSeconds = 2.0;

std::vector<uint8_t> speech() {
    std::vector<uint8_t> pcm;
    for (size_t i = 0; i < kSamples; ++i) {
        auto s = static_cast<int16_t>(6000 * std::sin(double(i) * (0.05 + double(i % 4000) / 80000.0)));
        pcm.push_back(uint8_t(s & 0xFF));
        pcm.push_back(uint8_t((uint16_t(s) >> 8) & 0xFF));
    }
    return pcm;
}

const std::vector<uint8_t>& sound() {
    static const std::vector<uint8_t> pcm = speech();
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
    void* encoder = speex_encoder_init(speex_lib_get_mode(SPEEX_MODEID_WB));
    spx_int32_t on = 1;
    float quality = 1.0f;
    speex_encoder_ctl(encoder, SPEEX_SET_VBR, &on);
    speex_encoder_ctl(encoder, SPEEX_SET_DTX, &on);
    speex_encoder_ctl(encoder, SPEEX_SET_VBR_QUALITY, &quality);
    SpeexBits bits;
    speex_bits_init(&bits);
    std::vector<int16_t> samples(kSamples);
    std::memcpy(samples.data(), sound().data(), sound().size());
    char out[1024];
    for (auto _ : state) {
        for (size_t at = 0; at < kSamples; at += 320) {
            speex_bits_reset(&bits);
            speex_encode_int(encoder, &samples[at], &bits);
            benchmark::DoNotOptimize(speex_bits_write(&bits, out, sizeof out));
        }
    }
    speex_bits_destroy(&bits);
    speex_encoder_destroy(encoder);
}

void BM_RecorderEncode(benchmark::State& state) {
    auto encoder = SpeexEncoder::create();
    std::vector<uint8_t> block;
    std::span<const uint8_t> pcm = sound();
    for (auto _ : state) {
        for (size_t at = 0; at < pcm.size(); at += 4 * 320) {
            block.clear();
            encoder->encode(pcm.subspan(at, 4 * 320), block);
            benchmark::DoNotOptimize(block.data());
        }
    }
}

void BM_DirectDecode(benchmark::State& state) {
    void* decoder = speex_decoder_init(speex_lib_get_mode(SPEEX_MODEID_WB));
    spx_int32_t on = 1;
    speex_decoder_ctl(decoder, SPEEX_SET_ENH, &on);
    SpeexBits bits;
    speex_bits_init(&bits);
    int16_t out[320];
    const std::vector<uint8_t>& encoded = body();
    for (auto _ : state) {
        for (size_t at = 0; at + 2 <= encoded.size();) {
            size_t n = encoded[at] | (encoded[at + 1] << 8);
            speex_bits_read_from(&bits, reinterpret_cast<char*>(const_cast<uint8_t*>(&encoded[at + 2])),
                                 int(n));
            speex_decode_int(decoder, &bits, out);
            benchmark::DoNotOptimize(out);
            at += 2 + n;
        }
    }
    speex_bits_destroy(&bits);
    speex_decoder_destroy(decoder);
}

void BM_PlayerDecode(benchmark::State& state) {
    auto decoder = SpeexDecoder::create();
    std::vector<uint8_t> buffer;
    for (auto _ : state) {
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
