// Pictures arrive in messages from other people and are opened in the
// picture viewer.
#include "kestrova/platform/jpeg_image.h"

#include <cstddef>
#include <cstdint>
#include <variant>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Smaller bounds than the viewer's keep each run short; the checks are the same.
    kestrova::platform::JpegLimits limits;
    limits.maxFileBytes = 256 * 1024;
    limits.maxWidth = 1024;
    limits.maxHeight = 1024;
    limits.maxDecodedSide = 256;
    auto image = kestrova::platform::decodeJpeg({data, size}, limits);
    if (auto* decoded = std::get_if<kestrova::platform::DecodedImage>(&image)) {
        volatile uint32_t sink = 0;
        for (uint32_t pixel : decoded->pixels)
            sink = sink + pixel;
    }
    return 0;
}
