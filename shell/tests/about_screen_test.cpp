// The About screen: the modules beside the program with the build time each
// carries, "Unknown Version" for a file without one, and the credits.
#include <gtest/gtest.h>

#include <fstream>

#include "kestrova/platform/automation.h"
#include "kestrova/platform/build_stamp.h"
#include "kestrova/platform/paths.h"
#include "kestrova/platform/window.h"
#include "screen_scene.h"
#include "screens/about_screen.h"
#include "screens/module_versions.h"
#include "screens/single_screen.h"

namespace kestrova::shell::testing {
namespace {

using namespace kestrova::platform;
namespace fs = std::filesystem;

// A program folder with a stamped program, a stamped library and a library
// that carries no stamp.
struct ModuleFolder {
    fs::path folder = fs::temp_directory_path() / ("kestrova-about-" + std::to_string(::getpid()));
    ModuleFolder() {
        fs::remove_all(folder);
        fs::create_directories(folder);
        fs::copy_file(fs::path(KESTROVA_BIN_DIR) / "kestrova", folder / "kestrova");
        fs::copy_file(fs::path(KESTROVA_BIN_DIR) / "libapi.so", folder / "libapi.so");
        writeBuildStamp(folder / "kestrova", 1'700'000'000);
        writeBuildStamp(folder / "libapi.so", 86'399);
        std::ofstream(folder / "plain.so") << "MZ not a module of ours";
    }
    ~ModuleFolder() { fs::remove_all(folder); }
};

TEST(AboutScreen, ModulesShowTheBuildTimeEachCarriesAndCreditsTheWorkWeShipOn) {
    ScreenScene scene;
    ModuleFolder modules;
    AboutScreen* about = AboutScreen::create(scene.mainWindow(), modules.folder / "kestrova");
    ASSERT_TRUE(about);
    HWND screen = about->hwnd();
    scene.pump();
    EXPECT_EQ(windowText(screen), "About");
    HWND strip = about->tabStrip().hwnd();
    EXPECT_EQ(scene.rows(strip), (std::vector<std::string>{"Modules", "Credits"}));

    std::vector<HWND> lists = findWindows(queryText("Modules"));
    std::erase_if(lists, [&](HWND w) { return !isDescendant(screen, w); });
    ASSERT_EQ(lists.size(), 1u);
    HWND modulesList = lists.front();
    EXPECT_EQ(scene.rows(modulesList),
              (std::vector<std::string>{"kestrova\n2023-11-14 22:13:20", "libapi.so\n1970-01-01 23:59:59",
                                        "plain.so\nUnknown Version"}));
    scene.screenshot("about-modules");

    scene.chooseTab(strip, 1);
    EXPECT_FALSE(isVisible(modulesList));
    std::vector<HWND> credits = findWindows(queryText("Credits", true));
    std::erase_if(credits, [&](HWND w) { return !isDescendant(screen, w); });
    ASSERT_EQ(credits.size(), 1u);
    std::vector<std::string> rows = scene.rows(credits.front());
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.front(), "Kestrova");
    EXPECT_NE(std::find(rows.begin(), rows.end(), "Speex\nThe speech codec of voice messages"), rows.end());
    scene.screenshot("about-credits");

    scene.pressSoftKey(screen, 0);
    EXPECT_FALSE(isWindow(screen));
}

TEST(AboutScreen, BuildTimesAreShownInUtc) {
    EXPECT_EQ(formatBuildTime(0), "1970-01-01 00:00:00");
    EXPECT_EQ(formatBuildTime(4'294'967'295u), "2106-02-07 06:28:15");
    // The program comes first, then the libraries in name order; a folder
    // that cannot be read leaves the program alone.
    auto only = moduleVersions("/nonexistent/kestrova", "/nonexistent");
    ASSERT_EQ(only.size(), 1u);
    EXPECT_EQ(only[0].name, "kestrova");
    EXPECT_FALSE(only[0].built);
}

} // namespace
} // namespace kestrova::shell::testing
