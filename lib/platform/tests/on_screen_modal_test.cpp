#include <gtest/gtest.h>

#include <cstdlib>

#include "kestrova/platform/display.h"
#include "kestrova/platform/input.h"
#include "kestrova/platform/menu.h"
#include "kestrova/platform/message_box.h"
#include "kestrova/platform/modal.h"
#include "test_window.h"

using namespace testing_windows;

namespace {

constexpr uint32_t kScript = WM_APP + 50;

// Runs a list of steps from inside the modal's own loop: the modal window
// exists and has the focus by the time a posted message is handled.
struct Script {
    std::vector<std::function<void()>> steps;
};

void postScript(HWND helper, Script& script) {
    hooks()[helper] = [&script](HWND, uint32_t m, WParam, LParam) -> std::optional<LResult> {
        if (m != kScript) return std::nullopt;
        for (auto& step : script.steps) step();
        return 0;
    };
    postMessage(helper, kScript);
}

std::filesystem::path screenshots() {
    const char* bin = std::getenv("KESTROVA_BIN");
    auto dir = (bin ? std::filesystem::path(bin).parent_path() : std::filesystem::temp_directory_path()) / "screenshots";
    std::filesystem::create_directories(dir);
    return dir;
}

struct OnScreen : WindowTest {
    void SetUp() override {
        WindowTest::SetUp();
        setModalsOnScreen(true);
    }
    void TearDown() override {
        setModalsOnScreen(false);
        WindowTest::TearDown();
    }
};

}  // namespace

TEST_F(OnScreen, APopupMenuIsWalkedWithTheKeysAndSkipsSeparatorsAndGreyedEntries) {
    HWND owner = makeTopLevel("Kestrova", Rect::ofSize(0, 26, 240, 268));
    UniqueMenu menu(createPopupMenu());
    appendMenu(menu.get(), MF_STRING, 1, "Online");
    appendMenu(menu.get(), MF_SEPARATOR, 0);
    appendMenu(menu.get(), MF_STRING | MF_GRAYED, 2, "Away");
    appendMenu(menu.get(), MF_STRING | MF_CHECKED, 5, "Busy");
    Script script{{[] { pressKey(VK_DOWN); }, [] { pressKey(VK_RETURN); }}};
    postScript(owner, script);
    EXPECT_EQ(trackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_BOTTOMALIGN, {0, 294}, owner), 5);
    // Once more for a picture of the open menu, then dismissed.
    Script look{{[] { saveScreenPng(screenshots() / "popup-menu.png"); }, [] { pressKey(VK_ESCAPE); }}};
    postScript(owner, look);
    EXPECT_EQ(trackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_BOTTOMALIGN, {0, 294}, owner), 0);
    EXPECT_EQ(foregroundWindow(), owner);  // the menu is gone and the owner in front again
}

TEST_F(OnScreen, AMenuTallerThanTheScreenScrollsWithTheSelectionAndTheWheel) {
    HWND owner = makeTopLevel("Kestrova", Rect::ofSize(0, 26, 240, 268));
    UniqueMenu menu(createPopupMenu());
    for (int i = 1; i <= 40; ++i) appendMenu(menu.get(), MF_STRING, i, "Entry " + std::to_string(i));
    auto tapRow = [](bool top) {
        Rect r = windowRect(focusWindow());  // the open menu has the keys
        tap({r.left + 20, top ? r.top + 4 : r.bottom - 4});
    };
    // Up from the first entry goes round to the last, and the menu follows it.
    Script last{{[] { pressKey(VK_UP); }, [] { saveScreenPng(screenshots() / "popup-menu-scrolled.png"); },
                 [&] { tapRow(false); }}};
    postScript(owner, last);
    EXPECT_EQ(trackPopupMenu(menu.get(), TPM_RETURNCMD, {0, 26}, owner), 40) << "the bottom row is the last entry";
    Script topRow{{[] { pressKey(VK_UP); }, [&] { tapRow(true); }}};
    postScript(owner, topRow);
    int shownFirst = trackPopupMenu(menu.get(), TPM_RETURNCMD, {0, 26}, owner);
    EXPECT_GT(shownFirst, 20) << "the top row is one of the last entries, not the first";
    EXPECT_LT(shownFirst, 40);
    // The wheel scrolls without moving the selection.
    Script wheel{{[] { mouseWheel(-2 * WHEEL_DELTA); }, [&] { tapRow(true); }}};
    postScript(owner, wheel);
    EXPECT_EQ(trackPopupMenu(menu.get(), TPM_RETURNCMD, {0, 26}, owner), 7) << "two notches, three entries each";
}

TEST_F(OnScreen, BackDismissesAPopupMenuAndTheLeftSoftKeySelects) {
    HWND owner = makeTopLevel();
    UniqueMenu menu(createPopupMenu());
    appendMenu(menu.get(), MF_STRING, 1, "Online");
    Script script{{[] { pressKey(VK_ESCAPE); }}};
    postScript(owner, script);
    EXPECT_EQ(trackPopupMenu(menu.get(), TPM_RETURNCMD, {10, 40}, owner), 0);
    Script select{{[] { pressKey(VK_F1); }}};  // the left soft key selects
    postScript(owner, select);
    EXPECT_EQ(trackPopupMenu(menu.get(), TPM_RETURNCMD, {10, 40}, owner), 1);
}

TEST_F(OnScreen, AMessageBoxIsAnsweredWithItsSoftKeysAndDisablesItsOwnerMeanwhile) {
    HWND owner = makeTopLevel("Kestrova", Rect::ofSize(0, 26, 240, 268));
    bool ownerDisabled = false;
    Script script{{[&] { ownerDisabled = !isEnabled(owner); },
                   [] { saveScreenPng(screenshots() / "message-box.png"); },
                   [] { pressKey(VK_F2); }}};
    postScript(owner, script);
    EXPECT_EQ(messageBox(owner, "Are you sure you wish to remove this service?", "Remove Service",
                         MB_YESNO | MB_ICONQUESTION),
              IDNO);
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(isEnabled(owner));
    EXPECT_EQ(foregroundWindow(), owner);
}

TEST_F(OnScreen, EnterGivesAMessageBoxsDefaultAnswer) {
    HWND owner = makeTopLevel();
    Script script{{[] { pressKey(VK_RETURN); }}};
    postScript(owner, script);
    EXPECT_EQ(messageBox(owner, "Could not connect.", "Login Failed", MB_OK | MB_ICONERROR), IDOK);
}
