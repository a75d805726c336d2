#include <gtest/gtest.h>

#include "test_window.h"

using namespace testing_windows;

using Focus = WindowTest;

TEST_F(Focus, MovingTheFocusTellsTheOldWindowFirstAndNamesTheOtherSide) {
    HWND top = makeTopLevel();
    HWND a = makeChild(top, 1);
    HWND b = makeChild(top, 2);
    setFocus(a);
    journal().clear();
    EXPECT_EQ(setFocus(b), a);
    ASSERT_EQ(journal().size(), 2u);
    EXPECT_EQ(journal()[0].hwnd, a);
    EXPECT_EQ(journal()[0].message, WM_KILLFOCUS);
    EXPECT_EQ(journal()[0].wParam, reinterpret_cast<WParam>(b));
    EXPECT_EQ(journal()[1].hwnd, b);
    EXPECT_EQ(journal()[1].message, WM_SETFOCUS);
    EXPECT_EQ(journal()[1].wParam, reinterpret_cast<WParam>(a));
    EXPECT_EQ(focusWindow(), b);
}

TEST_F(Focus, ShowingATopLevelWindowActivatesItAndTheDefaultGivesItTheFocus) {
    HWND first = makeTopLevel("first");
    EXPECT_EQ(foregroundWindow(), first);
    EXPECT_EQ(focusWindow(), first);
    HWND second = makeTopLevel("second");
    EXPECT_EQ(foregroundWindow(), second);
    bool firstDeactivated = false;
    for (auto& r : journal())
        if (r.hwnd == first && r.message == WM_ACTIVATE && loWord(r.wParam) == WA_INACTIVE)
            firstDeactivated = reinterpret_cast<HWND>(r.lParam) == second;
    EXPECT_TRUE(firstDeactivated);
}

TEST_F(Focus, FocusingAWindowOfAnotherTopLevelActivatesThatOne) {
    HWND first = makeTopLevel("first");
    HWND child = makeChild(first, 1);
    HWND second = makeTopLevel("second");
    EXPECT_EQ(activeWindow(), second);
    setFocus(child);
    EXPECT_EQ(activeWindow(), first);
    EXPECT_EQ(focusWindow(), child);
}

TEST_F(Focus, HidingOrDestroyingTheFrontWindowGivesTheFrontBackToItsOwner) {
    HWND owner = makeTopLevel("owner");
    HWND other = makeTopLevel("other");
    registerRecordingClass();
    HWND box = createWindow({"Recording", "box", WS_VISIBLE, {}, nullptr, owner, 0, nullptr});
    EXPECT_EQ(foregroundWindow(), box);
    destroyWindow(box);
    EXPECT_EQ(foregroundWindow(), owner);
    showWindow(owner, SW_HIDE);
    EXPECT_EQ(foregroundWindow(), other);
}

TEST_F(Focus, DestroyingTheFocusedWindowClearsTheFocus) {
    HWND top = makeTopLevel();
    HWND a = makeChild(top, 1);
    setFocus(a);
    destroyWindow(a);
    EXPECT_EQ(focusWindow(), nullptr);
    EXPECT_EQ(countOf(a, WM_KILLFOCUS), 1u);
}

TEST_F(Focus, NextDialogControlByHandleAndDisabledWindowsRefuseTheFocus) {
    HWND top = makeTopLevel();
    HWND a = makeChild(top, 1);
    HWND b = makeChild(top, 2);
    sendMessage(top, WM_NEXTDLGCTL, reinterpret_cast<WParam>(b), 1);
    EXPECT_EQ(focusWindow(), b);
    sendMessage(top, WM_NEXTDLGCTL, 0, 0);
    EXPECT_EQ(focusWindow(), a);
    enableWindow(b, false);
    setFocus(b);
    EXPECT_EQ(focusWindow(), a);
}

TEST_F(Focus, AFocusRequestForAWindowBehindLeavesTheOneInFrontActive) {
    HWND behind = makeTopLevel("behind");
    HWND pane = makeChild(behind, 1);
    HWND front = makeTopLevel("front");
    setForegroundWindow(front);
    sendMessage(behind, WM_NEXTDLGCTL, reinterpret_cast<WParam>(pane), 1);
    EXPECT_EQ(foregroundWindow(), front);
    EXPECT_NE(focusWindow(), pane);
    setForegroundWindow(behind);
    sendMessage(behind, WM_NEXTDLGCTL, reinterpret_cast<WParam>(pane), 1);
    EXPECT_EQ(focusWindow(), pane);
}

TEST_F(Focus, CaptureIsHeldUntilReleasedAndTheLoserIsTold) {
    HWND top = makeTopLevel();
    HWND a = makeChild(top, 1);
    HWND b = makeChild(top, 2);
    setCapture(a);
    EXPECT_EQ(captureWindow(), a);
    setCapture(b);
    EXPECT_EQ(countOf(a, WM_CAPTURECHANGED), 1u);
    releaseCapture();
    EXPECT_EQ(captureWindow(), nullptr);
}
