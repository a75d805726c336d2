// Encoding and parsing a profile-sized data map (about 2,000 entries, some
// of them nested maps) against memcpy of the same bytes; and parsing it with
// every nested map parsed too against a peer, msgpack-c unpacking a nested
// map of the same entries. The ratios to the peer are printed at the end:
// for the parse in place (the aim) and for the parse into maps.
#include "kestrova/api.h"
#include "kestrova/wire/data_map.h"
#include "kestrova/wire/data_map_view.h"

#include <benchmark/benchmark.h>
#include <msgpack.h>

#include "time_ratio_reporter.h"

#include <cstring>
#include <map>
#include <span>
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

// The outer map and every nested one (the "group." entries) parsed into
// maps of their own, as a reader that keeps the whole profile needs them.
void BM_ParseProfileNestedMaps(benchmark::State& state) {
    HDATAMAP source = profileMap();
    std::string bytes = encoded(source);
    auto input = std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    for (auto _ : state) {
        kestrova::wire::DataMapEntries outer;
        kestrova::wire::parseDataMap(input, outer);
        std::vector<kestrova::wire::DataMapEntries> nested;
        nested.reserve(200);
        for (const auto& [key, value] : outer) {
            if (!key.starts_with("group.")) continue;
            nested.emplace_back();
            kestrova::wire::parseDataMap(std::span(reinterpret_cast<const uint8_t*>(value.data()), value.size()),
                                         nested.back());
        }
        benchmark::DoNotOptimize(nested.data());
    }
    RY_ReleaseDataMap(source);
}

// The outer map and every nested one read in place, each into a view of its
// own made for this parse, as msgpack-c makes a zone for its unpacking.
void BM_ViewProfileNested(benchmark::State& state) {
    HDATAMAP source = profileMap();
    std::string bytes = encoded(source);
    for (auto _ : state) {
        kestrova::wire::DataMapView outer;
        outer.parse(bytes);
        auto groups = outer.withPrefix("group.");
        std::vector<kestrova::wire::DataMapView> nested(groups.size());
        for (size_t i = 0; i < groups.size(); ++i) nested[i].parse(groups[i].value);
        if (outer.size() != 2000 || nested.size() != 200 || nested.back().size() != 6)
            state.SkipWithError("the profile did not parse");
        benchmark::DoNotOptimize(nested.data());
    }
    RY_ReleaseDataMap(source);
}

void packString(msgpack_packer& packer, const std::string& text) {
    msgpack_pack_str(&packer, text.size());
    msgpack_pack_str_body(&packer, text.data(), text.size());
}

// The same entries as a msgpack map whose "group." values are maps.
std::string msgpackProfile() {
    msgpack_sbuffer buffer;
    msgpack_sbuffer_init(&buffer);
    msgpack_packer packer;
    msgpack_packer_init(&packer, &buffer, msgpack_sbuffer_write);
    msgpack_pack_map(&packer, 1800 + 200);
    for (int i = 0; i < 1800; ++i) {
        packString(packer, "contact." + std::to_string(100000 + i) + ".nick");
        packString(packer, "Nickname number " + std::to_string(i));
    }
    for (int g = 0; g < 200; ++g) {
        packString(packer, "group." + std::to_string(g));
        msgpack_pack_map(&packer, 6);
        for (int f = 0; f < 6; ++f) {
            packString(packer, "field" + std::to_string(f));
            packString(packer, "some group attribute text");
        }
    }
    std::string bytes(buffer.data, buffer.size);
    msgpack_sbuffer_destroy(&buffer);
    return bytes;
}

void BM_MsgpackUnpackPeer(benchmark::State& state) {
    std::string bytes = msgpackProfile();
    for (auto _ : state) {
        msgpack_unpacked unpacked;
        msgpack_unpacked_init(&unpacked);
        size_t offset = 0;
        if (msgpack_unpack_next(&unpacked, bytes.data(), bytes.size(), &offset) != MSGPACK_UNPACK_SUCCESS ||
            unpacked.data.type != MSGPACK_OBJECT_MAP || unpacked.data.via.map.size != 2000)
            state.SkipWithError("the msgpack profile did not unpack");
        benchmark::DoNotOptimize(unpacked.data.via.map.ptr);
        msgpack_unpacked_destroy(&unpacked);
    }
}

BENCHMARK(BM_MemcpyBaseline);
BENCHMARK(BM_EncodeProfile);
BENCHMARK(BM_ParseProfile);
BENCHMARK(BM_ParseProfileNestedMaps);
BENCHMARK(BM_ViewProfileNested);
BENCHMARK(BM_MsgpackUnpackPeer);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    kestrova::bench::TimeRatioReporter reporter("BM_MemcpyBaseline");
    // The peer's time over ours: at least 1 means at least its throughput.
    reporter.addAim("data-map view / msgpack-c, nested profiles per second", "BM_MsgpackUnpackPeer",
                    "BM_ViewProfileNested", kestrova::bench::AtLeast, 1.0);
    reporter.addRatio("data-map maps / msgpack-c, nested profiles per second", "BM_MsgpackUnpackPeer",
                      "BM_ParseProfileNestedMaps");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
