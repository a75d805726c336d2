// The update check body as the update server reads it: any bytes are either
// refused or read into a check that is written back to the same bytes.
#include "kestrova/wire/update_request.h"

#include <cstdlib>
#include <string_view>

using namespace kestrova::wire;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view body(reinterpret_cast<const char*>(data), size);
    auto check = parseUpdateCheckBody(body);
    if (!check) return 0;
    bool writtenAlike = check->platform.size() <= kMaxPlatformNameBytes;
    for (const auto& module : check->modules)
        writtenAlike = writtenAlike && module.build != 0;
    if (!writtenAlike) return 0;
    std::string again = updateCheckBody(*check);
    auto reread = parseUpdateCheckBody(again);
    if (!reread || !(*reread == *check)) std::abort();
    return 0;
}
