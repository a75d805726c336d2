#include "kestrova/platform/ico_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <utility>

using namespace kestrova::platform;

namespace {

// "module/NAME" under the built resources.
std::optional<IconGroup> moduleIcon(const std::string& moduleAndName) {
    const auto slash = moduleAndName.find('/');
    const auto path = std::filesystem::path(KESTROVA_RESOURCE_DIR) / moduleAndName.substr(0, slash) / "icons" /
                      (moduleAndName.substr(slash + 1) + ".ico");
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return parseIconFile(bytes);
}

class DrawnIcons : public ::testing::TestWithParam<const char*> {};

}  // namespace

TEST_P(DrawnIcons, HaveEverySizeInFourAndEightBitsWithSomethingDrawn) {
    const auto group = moduleIcon(GetParam());
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

INSTANTIATE_TEST_SUITE_P(
    Names, DrawnIcons,
    ::testing::Values("kestrova/CONTACT", "kestrova/CONTACT_BOT", "kestrova/CONTACT_PC", "kestrova/CONTACT_MOBILE",
                      "kestrova/CONTACT_MAC", "kestrova/CONTACT_IPHONE", "kestrova/CONTACT_ONLINE", "kestrova/GROUP",
                      "kestrova/OVERLAY_AWAY", "kestrova/OVERLAY_BUSY", "kestrova/GROUP_EXPANDED",
                      "kestrova/GROUP_CONTRACTED", "kestrova/MESSAGE_NONE", "kestrova/MESSAGE_UNREAD",
                      "kestrova/KESTORVA_GRAY", "kestrova/SP_OFFLINE", "kestrova/SP_ONLINE", "kestrova/SP_MESSAGES",
                      "kestrova/100", "kestrova/111", "kestrova/174", "messaging/101", "messaging/102",
                      "messaging/103", "messaging/GROUP", "messaging/CHEVERON_UP", "updates/DOWNLOAD",
                      "connection/CONTACT", "connection/103", "connection/104", "connection/105",
                      "connection/106", "connection/107", "connection/108"));
