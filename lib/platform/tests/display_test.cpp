#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "kestrova/platform/display.h"
#include "kestrova/platform/menu_bar.h"
#include "kestrova/platform/screen.h"
#include "test_window.h"

using namespace testing_windows;

TEST(Screen, SpecsAreParsedAndAbsurdOnesRefused) {
    EXPECT_EQ(parseScreenGeometry("480x640@192"), (ScreenGeometry{480, 640, 192}));
    EXPECT_EQ(parseScreenGeometry("240x320@131"), ScreenGeometry{});
    EXPECT_EQ(parseScreenGeometry("240x320"), std::nullopt);
    EXPECT_EQ(parseScreenGeometry("240x@131"), std::nullopt);
    EXPECT_EQ(parseScreenGeometry("99999x320@131"), std::nullopt);
    EXPECT_EQ(parseScreenGeometry("240x320@131x"), std::nullopt);
    EXPECT_EQ(formatScreenGeometry({480, 640, 192}), "480x640@192");
}

TEST(Screen, TheWorkAreaLiesBetweenTheBars) {
    EXPECT_EQ(navBarHeight(), 26);
    EXPECT_EQ(workArea(), (Rect{0, 26, 240, 294}));
}

using Display = WindowTest;

TEST_F(Display, TheScreenShowsTheFrontWindowBetweenNavigationAndSoftKeyBars) {
    HWND top = makeTopLevel("Kestrova", workArea());
    HWND child = makeChild(top, 1, Rect::ofSize(20, 20, 40, 40));
    hooks()[child] = [](HWND h, uint32_t m, WParam, LParam) -> std::optional<LResult> {
        if (m != WM_PAINT) return std::nullopt;
        PaintScope paint(h);
        paint.dc().fillRect(clientRect(h), rgb(0, 128, 0));
        return 0;
    };
    createMenuBar(top, {{"Chats", 105}, {"Menu", 103}});
    auto shot = captureScreen();
    ASSERT_EQ(shot->width(), 240);
    EXPECT_EQ(shot->pixel(30, 26 + 30), rgb(0, 128, 0));     // the child, at its place
    EXPECT_EQ(shot->pixel(200, 200), rgb(255, 255, 255));    // the window's own background
    EXPECT_NE(shot->pixel(120, 3), rgb(255, 255, 255));       // the navigation bar
    EXPECT_NE(shot->pixel(120, 318), rgb(255, 255, 255));     // the soft-key bar
    int barMiddle = 320 - softKeyBarHeight() / 2;
    EXPECT_EQ(shot->pixel(120, barMiddle), rgb(110, 110, 120)); // the divider between the keys
    setSoftKeyVisible(top, 1, false);
    EXPECT_NE(captureScreen()->pixel(120, barMiddle), rgb(110, 110, 120)) << "no divider beside one key";
    auto window = captureWindow(child);
    EXPECT_EQ(window->width(), 40);
    EXPECT_EQ(window->pixel(5, 5), rgb(0, 128, 0));
}

TEST_F(Display, ScreenshotsAreWrittenAsPng) {
    makeTopLevel("Kestrova", workArea());
    auto path = std::filesystem::temp_directory_path() / "kestrova-display-test.png";
    ASSERT_TRUE(saveScreenPng(path));
    std::ifstream in(path, std::ios::binary);
    char magic[4] = {};
    in.read(magic, 4);
    EXPECT_EQ(std::string(magic + 1, 3), "PNG");
    std::filesystem::remove(path);
}

TEST(DisplayChoice, NamesAreParsedAndAutoIsHeadlessWithoutADesktop) {
    EXPECT_EQ(parseDisplayKind("sdl"), DisplayKind::kSdl);
    EXPECT_EQ(parseDisplayKind("headless"), DisplayKind::kHeadless);
    EXPECT_EQ(parseDisplayKind("x11"), std::nullopt);
    std::string saved = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    EXPECT_EQ(startDisplay(DisplayKind::kAuto), DisplayKind::kHeadless);
    stopDisplay();
    if (!saved.empty()) setenv("DISPLAY", saved.c_str(), 1);
}

TEST(DesktopWindow, ASmallPhoneIsShownDoubledUnlessTheDesktopIsTooLowForIt) {
    // A desktop of 1080 lines: 240x320 doubled, 480x640 as it is.
    EXPECT_EQ(fitOnDesktop({240, 320}, {1920, 1050}, {2, 30}), (Size{480, 640}));
    EXPECT_EQ(fitOnDesktop({480, 640}, {1920, 1050}, {2, 30}), (Size{480, 640}));
    // A screen 600 lines high shows the whole phone, frame included, in its aspect.
    Size fit = fitOnDesktop({240, 320}, {800, 570}, {2, 30});
    EXPECT_EQ(fit, (Size{405, 540}));
    fit = fitOnDesktop({480, 640}, {800, 570}, {2, 30});
    EXPECT_LE(fit.height + 30, 570);
    EXPECT_EQ(fit.width * 640, fit.height * 480);
    // Nothing known of the desktop: the plain size.
    EXPECT_EQ(fitOnDesktop({240, 320}, {}, {}), (Size{480, 640}));
}

TEST(DesktopWindow, ADraggedWindowKeepsTheScreensAspectFollowingTheSideThatMovedMore) {
    const Size screen{240, 320};
    EXPECT_EQ(keepAspect(screen, {480, 640}, {600, 650}), (Size{600, 800}));
    EXPECT_EQ(keepAspect(screen, {480, 640}, {490, 400}), (Size{300, 400}));
    // Already in the aspect, give or take a rounding pixel: left alone.
    EXPECT_EQ(keepAspect(screen, {480, 640}, {360, 481}), (Size{360, 481}));
}
