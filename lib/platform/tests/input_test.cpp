#include <gtest/gtest.h>

#include "kestrova/platform/clock.h"
#include "kestrova/platform/input.h"
#include "kestrova/platform/menu_bar.h"
#include "test_window.h"

using namespace testing_windows;
using namespace std::chrono_literals;

using Input = WindowTest;

TEST_F(Input, KeysGoToTheFocusedWindowWithRepeatAndReleaseFlags) {
    HWND top = makeTopLevel();
    HWND edit = makeChild(top, 1);
    setFocus(edit);
    keyDown('A');
    keyDown('A', true);
    keyUp('A');
    pumpPendingMessages();
    std::vector<LParam> flags;
    for (auto& r : journal())
        if (r.hwnd == edit && (r.message == WM_KEYDOWN || r.message == WM_KEYUP)) flags.push_back(r.lParam);
    ASSERT_EQ(flags.size(), 3u);
    EXPECT_EQ(flags[0], 1);
    EXPECT_EQ(flags[1], static_cast<LParam>(1u | kKeyWasDown));
    EXPECT_EQ(flags[2], static_cast<LParam>(1u | kKeyWasDown | kKeyReleasing));
}

TEST_F(Input, TypedTextArrivesAsOneCharacterPerCodePoint) {
    makeTopLevel();
    typeText("h\xC3\xA9\xE2\x82\xAC");  // h, e acute, euro sign
    pumpPendingMessages();
    std::vector<WParam> chars;
    for (auto& r : journal())
        if (r.message == WM_CHAR) chars.push_back(r.wParam);
    EXPECT_EQ(chars, (std::vector<WParam>{'h', 0xE9, 0x20AC}));
}

TEST_F(Input, SoftKeysAndAnOverriddenBackKeyGoToTheFrontWindowsBar) {
    HWND top = makeTopLevel();
    createMenuBar(top, {{"OK", 1}, {"Cancel", 2}});
    pressKey(VK_F2);
    pressKey(VK_ESCAPE);
    pumpPendingMessages();
    // F2 is the right key's command; Back, not taken over, is the dialog's cancel.
    std::vector<int> commands;
    for (auto& r : journal())
        if (r.message == WM_COMMAND) commands.push_back(loWord(r.wParam));
    EXPECT_EQ(commands, (std::vector<int>{2, IDCANCEL}));
    EXPECT_EQ(countOf(top, WM_HOTKEY), 0u);
    overrideBackKey(top, true);
    pressKey(VK_ESCAPE);
    pumpPendingMessages();
    ASSERT_EQ(countOf(top, WM_HOTKEY), 1u);
    for (auto& r : journal()) {
        if (r.message == WM_HOTKEY) {
            EXPECT_EQ(hiWord(static_cast<uintptr_t>(r.lParam)), VK_TBACK);
        }
    }
}

TEST_F(Input, TapsLandOnTheWindowUnderThePointInClientCoordinates) {
    HWND top = makeTopLevel("T", Rect::ofSize(0, 26, 240, 268));
    HWND button = makeChild(top, 1, Rect::ofSize(100, 100, 40, 20));
    tap({110, 130});
    pumpPendingMessages();
    ASSERT_EQ(countOf(button, WM_LBUTTONDOWN), 1u);
    EXPECT_EQ(countOf(button, WM_LBUTTONUP), 1u);
    for (auto& r : journal()) {
        if (r.message == WM_LBUTTONDOWN) {
            EXPECT_EQ(r.lParam, makeLParam(10, 4));
        }
    }
}

TEST_F(Input, ASecondQuickTapNearTheFirstIsADoubleTap) {
    VirtualClock clock;
    HWND top = makeTopLevel();
    tap({50, 50});
    clock.advance(200ms);
    tap({51, 51});
    clock.advance(2s);
    tap({51, 51});
    pumpPendingMessages();
    EXPECT_EQ(countOf(top, WM_LBUTTONDBLCLK), 1u);
    EXPECT_EQ(countOf(top, WM_LBUTTONDOWN), 2u);
}

TEST_F(Input, CaptureTakesPointerInputWhereverItLands) {
    HWND top = makeTopLevel();
    HWND a = makeChild(top, 1, Rect::ofSize(0, 0, 20, 20));
    setCapture(a);
    tap({200, 200});
    pumpPendingMessages();
    EXPECT_EQ(countOf(a, WM_LBUTTONDOWN), 1u);
}

TEST_F(Input, TapAndHoldAsksForTheContextMenuAndChildrenPassItUp) {
    HWND top = makeTopLevel();
    HWND child = makeChild(top, 1, Rect::ofSize(0, 0, 100, 100));
    tapAndHold({30, 60});
    pumpPendingMessages();
    ASSERT_EQ(countOf(child, WM_CONTEXTMENU), 1u);
    ASSERT_EQ(countOf(top, WM_CONTEXTMENU), 1u);  // the default passes it to the parent
    for (auto& r : journal()) {
        if (r.message == WM_CONTEXTMENU) {
            EXPECT_EQ(r.lParam, makeLParam(30, 60));
        }
    }
}

TEST_F(Input, TapsOnTheSoftKeyBarPressTheKeys) {
    HWND top = makeTopLevel();
    createMenuBar(top, {{"Chats", 105}, {"Close", 8}});
    tap({200, 315});
    pumpPendingMessages();
    ASSERT_EQ(countOf(top, WM_COMMAND), 1u);
    for (auto& r : journal()) {
        if (r.message == WM_COMMAND) {
            EXPECT_EQ(loWord(r.wParam), 8);
        }
    }
}
