// Sound files come from the resources folder and from the files a test or a
// user names for recording.
#include "kestrova/platform/wav_file.h"

#include <cstddef>
#include <cstdint>
#include <variant>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1024 * 1024) return 0;
    auto sound = kestrova::platform::parseWav({data, size});
    if (auto* pcm = std::get_if<kestrova::platform::PcmSound>(&sound)) {
        auto samples = kestrova::platform::toVoiceFormat(*pcm);
        volatile uint8_t sink = samples.empty() ? 0 : samples.back();
        (void)sink;
    }
    return 0;
}
