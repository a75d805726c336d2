// kestrova-soak: the long exactly-once run (./dev.sh soak). Prints the seed
// and the table; exits 1 unless nothing was lost, repeated, corrupted or
// invented.
//   kestrova-soak [--seed N] [--messages N] [--cuts N] [--restarts N]
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>

#include "exactly_once.h"

using namespace kestrova::e2e;

int main(int argc, char** argv) {
    ::setenv("KESTROVA_BIN", KESTROVA_BIN_DIR, 0);
    ExactlyOnceOptions options;
    options.seed = std::random_device{}();
    options.messages = 10000;
    options.cuts = 50;
    options.restarts = 5;
    options.settleSeconds = 180;
    for (int i = 1; i + 1 < argc; i += 2) {
        unsigned long long value = std::strtoull(argv[i + 1], nullptr, 10);
        if (!std::strcmp(argv[i], "--seed"))
            options.seed = value;
        else if (!std::strcmp(argv[i], "--messages"))
            options.messages = static_cast<int>(value);
        else if (!std::strcmp(argv[i], "--cuts"))
            options.cuts = static_cast<int>(value);
        else if (!std::strcmp(argv[i], "--restarts"))
            options.restarts = static_cast<int>(value);
        else {
            std::fprintf(stderr,
                         "usage: kestrova-soak [--seed N] [--messages N] [--cuts N] [--restarts N]\n");
            return 2;
        }
    }
    if (options.messages < 1 || options.cuts < 0 || options.restarts < 0) {
        std::fprintf(stderr, "kestrova-soak: messages must be positive, cuts and restarts not negative\n");
        return 2;
    }
    char pattern[] = "/tmp/kestrova-soak-XXXXXX";
    options.workDir = ::mkdtemp(pattern);
    options.progress = [](const std::string& line) {
        std::printf("  %s\n", line.c_str());
        std::fflush(stdout);
    };
    std::printf("soak seed %llu (--seed %llu replays it)\n", static_cast<unsigned long long>(options.seed),
                static_cast<unsigned long long>(options.seed));
    std::fflush(stdout);
    ExactlyOnceTable table = runExactlyOnce(options);
    std::printf("%s", formatTable(table).c_str());
    std::filesystem::remove_all(options.workDir);
    return table.exactlyOnce() ? 0 : 1;
}
