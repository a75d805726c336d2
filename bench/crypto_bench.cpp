// Throughput of our MD5 and Salsa20 against well-known implementations
// (OpenSSL's MD5, libsodium's Salsa20), measured in the same run. The report
// ends with one ratio per primitive: our time per byte over theirs.
#include "kestrova/crypto/md5.h"
#include "kestrova/crypto/salsa20.h"

#include <benchmark/benchmark.h>

#include "aim_line.h"
#include <openssl/evp.h>
#include <sodium.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

using namespace kestrova::crypto;

namespace {

constexpr size_t kBufferSize = 64 * 1024;

std::vector<uint8_t>& buffer() {
    static std::vector<uint8_t> bytes(kBufferSize, 0x5a);
    return bytes;
}

void setThroughput(benchmark::State& state) {
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kBufferSize));
}

void Md5_Ours(benchmark::State& state) {
    for (auto _ : state) {
        Md5Digest digest = md5(buffer().data(), buffer().size());
        benchmark::DoNotOptimize(digest);
    }
    setThroughput(state);
}

void Md5_Baseline(benchmark::State& state) {
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    for (auto _ : state) {
        EVP_DigestInit_ex(context, EVP_md5(), nullptr);
        EVP_DigestUpdate(context, buffer().data(), buffer().size());
        EVP_DigestFinal_ex(context, digest, &length);
        benchmark::DoNotOptimize(digest);
    }
    EVP_MD_CTX_free(context);
    setThroughput(state);
}

const uint8_t kKey[32] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16,
                          17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32};
const uint8_t kNonce[8] = {8, 7, 6, 5, 4, 3, 2, 1};

void Salsa20_Ours(benchmark::State& state) {
    std::vector<uint8_t> out(kBufferSize);
    for (auto _ : state) {
        Salsa20Context context;
        salsa20KeySetup(context, kKey, 256);
        salsa20IvSetup(context, kNonce);
        salsa20EncryptBytes(context, buffer().data(), out.data(), out.size());
        benchmark::DoNotOptimize(out.data());
    }
    setThroughput(state);
}

void Salsa20_Baseline(benchmark::State& state) {
    std::vector<uint8_t> out(kBufferSize);
    for (auto _ : state) {
        crypto_stream_salsa20_xor(out.data(), buffer().data(), out.size(), kNonce, kKey);
        benchmark::DoNotOptimize(out.data());
    }
    setThroughput(state);
}

BENCHMARK(Md5_Ours);
BENCHMARK(Md5_Baseline);
BENCHMARK(Salsa20_Ours);
BENCHMARK(Salsa20_Baseline);

// Keeps the measured time per iteration of every run so that main can print
// the ratios once all have finished.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) timeOf_[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
    void printRatio(const std::string& primitive) const {
        const auto ours = timeOf_.find(primitive + "_Ours");
        const auto baseline = timeOf_.find(primitive + "_Baseline");
        if (ours == timeOf_.end() || baseline == timeOf_.end()) return;
        kestrova::bench::printAim((primitive + " ours / OpenSSL-libsodium, time").c_str(),
                                  ours->second / baseline->second, kestrova::bench::AtMost, 1.5);
    }

private:
    std::map<std::string, double> timeOf_;
};

}  // namespace

int main(int argc, char** argv) {
    if (sodium_init() < 0) return 1;
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatio("Md5");
    reporter.printRatio("Salsa20");
    benchmark::Shutdown();
    return 0;
}
