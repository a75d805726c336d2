// Icon files come from the resources folder, which a user can change.
#include "kestrova/platform/ico_file.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kestrova::platform::kMaxIconFileSize) return 0;
    const auto group = kestrova::platform::parseIconFile({data, size});
    if (group) {
        volatile uint32_t sink = 0;
        for (const auto& image : group->images)
            for (int y = 0; y < image.height; ++y)
                for (int x = 0; x < image.width; ++x) sink = sink + image.pixel(x, y) + image.isOpaque(x, y);
    }
    return 0;
}
