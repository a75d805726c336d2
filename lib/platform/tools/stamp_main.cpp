// kestrova-stamp <module>...: writes the build time (SOURCE_DATE_EPOCH when
// set, else now) into each module's build-stamp note.
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "kestrova/platform/build_stamp.h"

int main(int argc, char** argv) {
    const char* fixed = std::getenv("SOURCE_DATE_EPOCH");
    auto stamp = static_cast<uint32_t>(fixed ? std::strtoul(fixed, nullptr, 10) : std::time(nullptr));
    int failures = 0;
    for (int i = 1; i < argc; ++i) {
        if (!kestrova::platform::writeBuildStamp(argv[i], stamp)) {
            std::fprintf(stderr, "kestrova-stamp: %s has no build-stamp note\n", argv[i]);
            ++failures;
        }
    }
    return failures ? 1 : 0;
}
