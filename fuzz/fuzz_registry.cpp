// The registry file is read back at every start; a damaged one must not crash.
#include "kestrova/platform/registry.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto tree = kestrova::platform::parseRegistryText(text);
    // What was read survives a write and a second read unchanged.
    if (kestrova::platform::parseRegistryText(kestrova::platform::formatRegistryText(tree)) != tree) std::abort();
    return 0;
}
