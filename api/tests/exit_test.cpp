#include <gtest/gtest.h>

#include "kestrova/api.h"
#include "kestrova/bus_names.h"
#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/window.h"

namespace platform = kestrova::platform;

namespace {

int gCloses = 0;

platform::LResult refusingToClose(platform::HWND hwnd, uint32_t message, platform::WParam wParam,
                                  platform::LParam lParam) {
    if (message == platform::WM_CLOSE) {
        ++gCloses;
        return 77;
    }
    return platform::defWindowProc(hwnd, message, wParam, lParam);
}

}  // namespace

TEST(Exit, SendsCloseToTheMainWindowAndReturnsItsResult) {
    platform::registerClass({"ExitTestWindow", refusingToClose, 0, std::nullopt});
    platform::UniqueWindow main(platform::createWindow({"ExitTestWindow", "Kestrova", 0, {}, nullptr, nullptr, 0, nullptr}));
    RY_SetVariantPtr(kestrova::names::kCoreWindowHwnd.name, main.get());
    EXPECT_EQ(RY_Exit(), 77);
    EXPECT_EQ(gCloses, 1);
    RY_API_Cleanup();
}

TEST(Exit, WithoutAMainWindowNothingHappensAndTheResultIsZero) {
    EXPECT_EQ(RY_Exit(), 0);
    RY_API_Cleanup();
}

TEST(Exit, TheDefaultCloseDestroysTheMainWindow) {
    platform::registerClass({"ExitDefaultWindow", platform::defWindowProc, 0, std::nullopt});
    platform::HWND main = platform::createWindow({"ExitDefaultWindow", "Kestrova", 0, {}, nullptr, nullptr, 0, nullptr});
    RY_SetVariantPtr(kestrova::names::kCoreWindowHwnd.name, main);
    RY_Exit();
    EXPECT_FALSE(platform::isWindow(main));
    RY_API_Cleanup();
}
