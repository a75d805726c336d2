#include "kestrova/platform/icon_resources.h"

#include "support/ico_builder.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

using namespace kestrova::platform;
using kestrova::testing::PaletteImage;
using kestrova::testing::writeIconFile;

namespace {

// Points the resources root at a fresh folder for the test's lifetime.
class IconResources : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kestrova-icons-XXXXXX";
        root_ = ::mkdtemp(pattern);
        ::setenv("KESTROVA_RESOURCES", root_.c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("KESTROVA_RESOURCES");
        std::filesystem::remove_all(root_);
    }
    std::filesystem::path programIcon(const std::string& name) { return root_ / "kestrova" / "icons" / (name + ".ico"); }

    std::filesystem::path root_;
};

PaletteImage solid(int size, int bitsPerPixel, uint32_t color) {
    return PaletteImage::filled(size, bitsPerPixel, {0, color}, 1);
}

}  // namespace

TEST_F(IconResources, ProgramResourcesLiveUnderTheProgramName) {
    EXPECT_EQ(resourcesRoot(), root_);
    EXPECT_EQ(moduleResourceName(mainProgramModule()), "kestrova");
    EXPECT_EQ(iconResourcePath(mainProgramModule(), {"CONTACT"}), programIcon("CONTACT"));
}

TEST_F(IconResources, PluginResourcesLiveUnderTheLibraryNameAndNumbersAreDecimal) {
    void* module = ::dlopen("libkestrova-platform.so", RTLD_LAZY | RTLD_NOLOAD);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(moduleResourceName(module), "kestrova-platform");
    EXPECT_EQ(iconResourcePath(module, {"", 135}), root_ / "kestrova-platform" / "icons" / "135.ico");
    ::dlclose(module);
}

TEST_F(IconResources, LoadingPrefersTheExactSizeWithTheMostColours) {
    writeIconFile(programIcon("X"), {solid(16, 8, rgb(1, 1, 1)), solid(22, 4, rgb(2, 2, 2)),
                                     solid(22, 8, rgb(3, 3, 3)), solid(22, 8, rgb(4, 4, 4)), solid(32, 8, rgb(5, 5, 5))});
    IconPtr icon = loadIcon(mainProgramModule(), {"X"}, 22);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->width(), 22);
    EXPECT_EQ(icon->pixel(10, 10), rgb(3, 3, 3));  // first of the two 8-bit images
}

TEST_F(IconResources, LoadingScalesTheNearestSizeWhenNoneFits) {
    PaletteImage quarters = PaletteImage::filled(16, 4, {rgb(0, 0, 0), rgb(255, 0, 0)});
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) quarters.set(x, y, 1, false);
    writeIconFile(programIcon("Q"), {quarters, solid(48, 4, rgb(9, 9, 9))});
    IconPtr icon = loadIcon(mainProgramModule(), {"Q"}, 20);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->width(), 20);
    EXPECT_EQ(icon->pixel(0, 0), rgb(255, 0, 0));
    EXPECT_FALSE(icon->isOpaque(9, 9));
    EXPECT_TRUE(icon->isOpaque(10, 10));
    EXPECT_EQ(icon->pixel(19, 19), rgb(0, 0, 0));
}

TEST_F(IconResources, MissingOrDamagedFilesLoadNothing) {
    EXPECT_FALSE(loadIcon(mainProgramModule(), {"ABSENT"}, 16));
    std::filesystem::create_directories(programIcon("BAD").parent_path());
    std::ofstream(programIcon("BAD")) << "not an icon";
    EXPECT_FALSE(loadIcon(mainProgramModule(), {"BAD"}, 16));
}

TEST(Icon, ArgbPixelsAreOpaqueColourOrFullyTransparent) {
    Icon icon(2, 1);
    icon.setPixel(0, 0, rgb(1, 2, 3));
    icon.setPixel(1, 0, rgb(4, 5, 6));
    icon.setOpaque(1, 0, false);
    EXPECT_EQ(icon.argbPixels(), (std::vector<uint32_t>{0xff010203u, 0u}));
}
