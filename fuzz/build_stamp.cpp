// The build-stamp reader walks ELF section headers and notes of files it is
// given; it must stay inside the bytes whatever they claim.
#include <cstddef>
#include <cstdint>
#include <span>

#include "kestrova/platform/build_stamp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20)) return 0;
    (void)kestrova::platform::readBuildStamp(std::span<const unsigned char>(data, size));
    return 0;
}
