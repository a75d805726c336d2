// Encoding and parsing a profile-sized data map (about 2,000 entries, some
// of them nested maps) against memcpy of the same bytes.
#include "kestrova/api.h"
#include "kestrova/wire/data_map.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

HDATAMAP profileMap() {
    HDATAMAP map = RY_CreateDataMap();
    for (int i = 0; i < 1800; ++i) {
        std::string key = "contact." + std::to_string(100000 + i) + ".nick";
        std::string value = "Nickname number " + std::to_string(i);
        RY_SetDataMapString(map, key.c_str(), value.c_str());
    }
    for (int g = 0; g < 200; ++g) {
        HDATAMAP nested = RY_CreateDataMap();
        for (int f = 0; f < 6; ++f)
            RY_SetDataMapString(nested, ("field" + std::to_string(f)).c_str(), "some group attribute text");
        std::string bytes(RY_EncodeDataMap(nested, nullptr), '\0');
        RY_EncodeDataMap(nested, bytes.data());
        RY_SetDataMapEntry(map, ("group." + std::to_string(g)).c_str(), bytes.data(),
                           static_cast<uint32_t>(bytes.size()));
        RY_ReleaseDataMap(nested);
    }
    return map;
}

std::string encoded(HDATAMAP map) {
    std::string bytes(RY_EncodeDataMap(map, nullptr), '\0');
    RY_EncodeDataMap(map, bytes.data());
    return bytes;
}

void BM_MemcpyBaseline(benchmark::State& state) {
    HDATAMAP map = profileMap();
    std::string source = encoded(map);
    std::vector<char> target(source.size());
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), source.size());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * source.size()));
    RY_ReleaseDataMap(map);
}

void BM_EncodeProfile(benchmark::State& state) {
    HDATAMAP map = profileMap();
    std::vector<char> buffer(RY_EncodeDataMap(map, nullptr));
    for (auto _ : state) {
        uint32_t size = RY_EncodeDataMap(map, nullptr);
        RY_EncodeDataMap(map, buffer.data());
        benchmark::DoNotOptimize(size);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * buffer.size()));
    RY_ReleaseDataMap(map);
}

void BM_ParseProfile(benchmark::State& state) {
    HDATAMAP source = profileMap();
    std::string bytes = encoded(source);
    for (auto _ : state) {
        HDATAMAP map = RY_CreateDataMap();
        benchmark::DoNotOptimize(RY_ParseDataMap(map, bytes.data(), static_cast<uint32_t>(bytes.size())));
        RY_ReleaseDataMap(map);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
    RY_ReleaseDataMap(source);
}

BENCHMARK(BM_MemcpyBaseline);
BENCHMARK(BM_EncodeProfile);
BENCHMARK(BM_ParseProfile);

}  // namespace

BENCHMARK_MAIN();
