// For fuzz targets that drive the core API: a settings folder of their own,
// and the core state let go at exit (it holds what the inputs left, such as
// profile maps and groups), as the shell lets it go last.
#pragma once

#include <stdlib.h>

#include "kestrova/api.h"

namespace kestrova::fuzz {

inline void useOwnSettingsFolder() {
    static bool done = [] {
        char pattern[] = "/tmp/kestrova-fuzz-XXXXXX";
        ::setenv("KESTROVA_HOME", ::mkdtemp(pattern), 1);
        std::atexit(RY_API_Cleanup);
        return true;
    }();
    (void)done;
}

}  // namespace kestrova::fuzz
