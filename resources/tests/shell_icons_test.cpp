#include "kestrova/platform/ico_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <utility>

using namespace kestrova::platform;

namespace {

std::optional<IconGroup> shellIcon(const std::string& name) {
    std::ifstream in(std::filesystem::path(KESTROVA_SHELL_ICON_DIR) / (name + ".ico"), std::ios::binary);
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return parseIconFile(bytes);
}

class ShellIcons : public ::testing::TestWithParam<const char*> {};

}  // namespace

TEST_P(ShellIcons, HaveEverySizeInFourAndEightBitsWithSomethingDrawn) {
    const auto group = shellIcon(GetParam());
    ASSERT_TRUE(group) << GetParam();
    std::set<std::pair<int, int>> sizesAndDepths;
    for (const IconImage& image : group->images) {
        EXPECT_EQ(image.width, image.height);
        sizesAndDepths.insert({image.width, image.bitsPerPixel});
        int opaque = 0;
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x) opaque += image.isOpaque(x, y);
        EXPECT_GT(opaque, 0);
        EXPECT_LT(opaque, image.width * image.height);  // never a solid square
    }
    for (int size : {16, 22, 32})
        for (int bits : {4, 8}) EXPECT_TRUE(sizesAndDepths.count({size, bits})) << size << "px " << bits << " bpp";
}

INSTANTIATE_TEST_SUITE_P(Names, ShellIcons,
                         ::testing::Values("CONTACT", "CONTACT_BOT", "CONTACT_PC", "CONTACT_MOBILE", "CONTACT_MAC",
                                           "CONTACT_IPHONE", "CONTACT_ONLINE", "GROUP", "OVERLAY_AWAY",
                                           "OVERLAY_BUSY"));
