// One line per measured ratio with its aim, in a fixed shape that
// `./dev.sh bench` gathers into its summary table:
//   aim | <what> | <ratio> | <aim> | met / NOT met
#pragma once

#include <cstdio>

namespace kestrova::bench {

enum AimKind { AtLeast, AtMost };

inline void printAim(const char* what, double ratio, AimKind kind, double aim) {
    bool met = kind == AtLeast ? ratio >= aim : ratio <= aim;
    std::printf("aim | %s | %.2f | %s %.1f | %s\n", what, ratio, kind == AtLeast ? ">=" : "<=", aim,
                met ? "met" : "NOT met");
    std::fflush(stdout);
}

} // namespace kestrova::bench
