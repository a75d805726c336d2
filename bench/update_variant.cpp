// One more source file in an otherwise identical plug-in: the change a
// release typically makes (new code, everything after it moved).
#include <cstdint>
#include <cstring>

extern "C" __attribute__((visibility("default"))) uint32_t kestrova_bench_update_variant(const char* text) {
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < std::strlen(text); ++i)
        hash = (hash ^ static_cast<uint8_t>(text[i])) * 16777619u;
    return hash;
}
