// Without libFuzzer, a fuzz target is still built and run by the test suite:
// this driver feeds it every file of its seed corpus, every prefix of each
// seed, and a fixed series of pseudo-random mutations, so a crash or an
// AddressSanitizer report fails the ordinary test run.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::vector<uint8_t> readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void feed(const std::vector<uint8_t>& bytes) {
    // Copy into an exactly sized buffer so ASan sees reads past the end.
    std::vector<uint8_t> exact(bytes);
    LLVMFuzzerTestOneInput(exact.empty() ? nullptr : exact.data(), exact.size());
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::vector<uint8_t>> seeds;
    for (int i = 1; i < argc; ++i) {
        std::filesystem::path arg(argv[i]);
        if (std::filesystem::is_directory(arg)) {
            for (const auto& entry : std::filesystem::directory_iterator(arg))
                if (entry.is_regular_file()) seeds.push_back(readFile(entry.path()));
        } else if (std::filesystem::exists(arg)) {
            seeds.push_back(readFile(arg));
        }
    }
    seeds.push_back({});

    std::mt19937 random(12345);
    size_t runs = 0;
    for (const auto& seed : seeds) {
        for (size_t n = 0; n <= seed.size() && n <= 4096; ++n, ++runs)
            feed(std::vector<uint8_t>(seed.begin(), seed.begin() + static_cast<long>(n)));
        for (int m = 0; m < 2000; ++m, ++runs) {
            std::vector<uint8_t> mutated(seed);
            int edits = 1 + static_cast<int>(random() % 8);
            for (int e = 0; e < edits; ++e) {
                switch (random() % 3) {
                case 0:
                    if (!mutated.empty()) mutated[random() % mutated.size()] = static_cast<uint8_t>(random());
                    break;
                case 1: mutated.insert(mutated.begin() + static_cast<long>(random() % (mutated.size() + 1)),
                                       static_cast<uint8_t>(random()));
                    break;
                default:
                    if (!mutated.empty()) mutated.erase(mutated.begin() + static_cast<long>(random() % mutated.size()));
                }
            }
            feed(mutated);
        }
    }
    std::printf("replayed %zu inputs from %zu seeds\n", runs, seeds.size());
    return 0;
}
