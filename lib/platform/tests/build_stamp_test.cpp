#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <vector>

#include "kestrova/platform/build_stamp.h"

using namespace kestrova::platform;

namespace {

std::filesystem::path binFolder() { return std::getenv("KESTROVA_BIN") ? std::getenv("KESTROVA_BIN") : "."; }

std::vector<unsigned char> bytesOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

TEST(BuildStamp, EveryModuleCarriesItsLinkTime) {
    auto stamp = readBuildStamp(binFolder() / "libkestrova-platform.so");
    ASSERT_TRUE(stamp);
    EXPECT_GT(*stamp, 1'600'000'000u);
}

TEST(BuildStamp, AWrittenStampIsReadBackFromTheFile) {
    auto copy = std::filesystem::temp_directory_path() / "kestrova-stamp-test.so";
    std::filesystem::copy_file(binFolder() / "libkestrova-platform.so", copy,
                               std::filesystem::copy_options::overwrite_existing);
    ASSERT_TRUE(writeBuildStamp(copy, 1234567890u));
    EXPECT_EQ(readBuildStamp(copy), 1234567890u);
    std::filesystem::remove(copy);
}

TEST(BuildStamp, FilesWithoutTheNoteOrCutShortGiveNothing) {
    auto image = bytesOf(binFolder() / "libkestrova-platform.so");
    ASSERT_GT(image.size(), 1000u);
    auto offset = findBuildStampOffset(image);
    ASSERT_TRUE(offset);
    // Cut short: the reader must not look past the bytes it was given.
    for (size_t cut : {size_t(0), size_t(10), size_t(63), size_t(*offset + 3), image.size() / 2})
        EXPECT_EQ(readBuildStamp(std::span<const unsigned char>(image.data(), cut)), std::nullopt) << cut;
    std::vector<unsigned char> text(200, 'x');
    EXPECT_EQ(readBuildStamp(text), std::nullopt);
    EXPECT_EQ(readBuildStamp(std::filesystem::path("/nonexistent/module.so")), std::nullopt);
}
