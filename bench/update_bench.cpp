// Update bodies between two real builds of our own binaries: the program
// folder (build/bin) and the same folder with the connection plug-in rebuilt
// with one more source file. Sizes are compared with xdelta3 on the same
// pair in the same run, for the raw body and for the xz-compressed one that
// is sent; decoding and expanding speed with copying the same bytes.
#include "compressed_body.h"
#include "delta_encoder.h"
#include "release_folder.h"
#include "time_ratio_reporter.h"

#include "kestrova/wire/update_body.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace kestrova;
namespace fs = std::filesystem;

namespace {

struct Pair {
    std::vector<mkupdate::ReleaseFile> oldFiles, newFiles;
    mkupdate::EncodedUpdate encoded;
    size_t newBytes = 0;
};

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

const Pair& pair() {
    static Pair p = [] {
        Pair p;
        p.oldFiles = mkupdate::readRelease(KESTROVA_BIN_DIR).value();
        p.newFiles = p.oldFiles;
        for (auto& file : p.newFiles)
            if (file.name == "connection.so") file.bytes = readFile(BENCH_VARIANT_MODULE);
        p.encoded = mkupdate::encodeUpdate(p.oldFiles, p.newFiles);
        for (const auto& file : p.newFiles)
            p.newBytes += file.bytes.size();
        return p;
    }();
    return p;
}

// xdelta3's size for the changed file, or 0 when it is not installed.
size_t xdeltaSize(const std::string& options) {
    fs::path dir = fs::temp_directory_path() / "kestrova-bench-xdelta";
    fs::create_directories(dir);
    std::string out = (dir / "delta").string();
    std::string command = "xdelta3 -e -f " + options + " -s " +
                          (fs::path(KESTROVA_BIN_DIR) / "connection.so").string() + " " +
                          BENCH_VARIANT_MODULE + " " + out + " 2>/dev/null";
    if (std::system(command.c_str()) != 0) return 0;
    size_t size = fs::file_size(out);
    fs::remove_all(dir);
    return size;
}

void reportSizes() {
    const Pair& p = pair();
    size_t ours = p.encoded.body.size();
    size_t plain = xdeltaSize("-S none"), best = xdeltaSize("-9 -S lzma");
    std::printf("update body: %zu bytes for %zu changed of %zu files (%zu bytes of new files)\n", ours,
                p.encoded.targets.size(), p.newFiles.size(), p.newBytes);
    size_t sent = updates::compressBody(p.encoded.body).size();
    std::printf("sent xz-compressed: %zu bytes\n", sent);
    if (plain) {
        std::printf("ratio body / xdelta3 -S none = %.2f (%zu bytes)\n", double(ours) / plain, plain);
        std::printf("ratio sent / xdelta3 -S none = %.2f\n", double(sent) / plain);
    }
    if (best) {
        std::printf("ratio body / xdelta3 -9 -S lzma = %.2f (%zu bytes)\n", double(ours) / best, best);
        std::printf("ratio sent / xdelta3 -9 -S lzma = %.2f\n", double(sent) / best);
    }
    if (!plain || !best) std::printf("xdelta3 not installed: no size comparison\n");
}

void BM_DecodeUpdate(benchmark::State& state) {
    const Pair& p = pair();
    wire::UpdateBodyParse parsed = wire::parseUpdateBody(p.encoded.body);
    std::vector<std::string_view> sources;
    for (const auto& name : parsed.body.sources)
        for (const auto& file : p.oldFiles)
            if (file.name == name) sources.push_back(file.bytes);
    std::string out(64 << 20, '\0');
    size_t produced = 0;
    for (auto _ : state) {
        produced = 0;
        for (const auto& target : parsed.body.targets)
            wire::decodeUpdateTarget(target, sources, [&](std::string_view piece) {
                std::memcpy(out.data() + produced, piece.data(), piece.size());
                produced += piece.size();
                return true;
            });
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(produced));
}

// Expanding the compressed body as the client receives it.
void BM_ExpandBody(benchmark::State& state) {
    const Pair& p = pair();
    static const std::string packed = updates::compressBody(p.encoded.body);
    for (auto _ : state)
        benchmark::DoNotOptimize(updates::expandBody(packed, p.encoded.body.size())->size());
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(p.encoded.body.size()));
}

void BM_CopySameBytes(benchmark::State& state) {
    const Pair& p = pair();
    std::string_view source = p.newFiles[0].bytes;
    for (const auto& file : p.newFiles)
        if (file.name == "connection.so") source = file.bytes;
    std::string out(source.size(), '\0');
    for (auto _ : state) {
        std::memcpy(out.data(), source.data(), source.size());
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(source.size()));
}

void BM_EncodeUpdate(benchmark::State& state) {
    const Pair& p = pair();
    for (auto _ : state)
        benchmark::DoNotOptimize(mkupdate::encodeUpdate(p.oldFiles, p.newFiles).body.size());
}

} // namespace

BENCHMARK(BM_CopySameBytes);
BENCHMARK(BM_DecodeUpdate);
BENCHMARK(BM_ExpandBody);
BENCHMARK(BM_EncodeUpdate)->Iterations(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    reportSizes();
    benchmark::Initialize(&argc, argv);
    bench::TimeRatioReporter reporter("BM_CopySameBytes");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return 0;
}
