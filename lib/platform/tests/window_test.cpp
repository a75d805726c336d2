#include <gtest/gtest.h>

#include "test_window.h"

using namespace testing_windows;

using WindowLifecycle = WindowTest;

TEST_F(WindowLifecycle, CreationSendsCreateThenSizeAndHandsOverTheCreationParameter) {
    registerRecordingClass();
    int marker = 7;
    void* seen = nullptr;
    classHook() = [&](HWND, uint32_t m, WParam, LParam l) -> std::optional<LResult> {
        if (m == WM_CREATE) seen = reinterpret_cast<CreateParams*>(l)->createParam;
        return std::nullopt;
    };
    HWND w = createWindow({"Recording", "T", 0, Rect::ofSize(0, 0, 100, 50), nullptr, nullptr, 0, &marker});
    ASSERT_TRUE(w);
    EXPECT_EQ(seen, &marker);
    auto order = messagesOf(w);
    ASSERT_GE(order.size(), 2u);
    EXPECT_EQ(order[0], WM_CREATE);
    EXPECT_EQ(order[1], WM_SIZE);
    EXPECT_EQ(journal()[1].lParam, makeLParam(100, 50));
}

TEST_F(WindowLifecycle, CreateReturningMinusOneGivesNoWindow) {
    registerRecordingClass();
    classHook() = [](HWND, uint32_t m, WParam, LParam) -> std::optional<LResult> {
        if (m == WM_CREATE) return -1;
        return std::nullopt;
    };
    EXPECT_EQ(createWindow({"Recording", "T", 0, {}, nullptr, nullptr, 0, nullptr}), nullptr);
    EXPECT_TRUE(topLevelWindows().empty());
}

TEST_F(WindowLifecycle, UnknownClassOrMissingParentFails) {
    EXPECT_EQ(createWindow({"NoSuchClass", "", 0, {}, nullptr, nullptr, 0, nullptr}), nullptr);
    registerRecordingClass();
    EXPECT_EQ(createWindow({"Recording", "", WS_CHILD, {}, reinterpret_cast<HWND>(0x4), nullptr, 0, nullptr}), nullptr);
}

TEST_F(WindowLifecycle, ClassNamesAreRegisteredOnce) {
    EXPECT_TRUE(registerClass({"Once", defWindowProc, 0, std::nullopt}));
    EXPECT_FALSE(registerClass({"Once", defWindowProc, 0, std::nullopt}));
    EXPECT_TRUE(unregisterClass("Once"));
    EXPECT_FALSE(isClassRegistered("Once"));
}

TEST_F(WindowLifecycle, DestroyingAParentDestroysChildrenFirstThenTheParent) {
    HWND top = makeTopLevel();
    HWND a = makeChild(top, 1);
    HWND a1 = makeChild(a, 11);
    HWND b = makeChild(top, 2);
    journal().clear();
    EXPECT_TRUE(destroyWindow(top));
    std::vector<HWND> destroyed;
    for (auto& r : journal())
        if (r.message == WM_DESTROY) destroyed.push_back(r.hwnd);
    EXPECT_EQ(destroyed, (std::vector<HWND>{a1, a, b, top}));
    for (HWND h : {top, a, a1, b}) EXPECT_FALSE(isWindow(h));
}

TEST_F(WindowLifecycle, OwnedWindowsGoBeforeTheirOwner) {
    HWND owner = makeTopLevel("owner");
    registerRecordingClass();
    HWND owned = createWindow({"Recording", "owned", WS_VISIBLE, {}, nullptr, owner, 0, nullptr});
    EXPECT_EQ(ownerOf(owned), owner);
    journal().clear();
    destroyWindow(owner);
    ASSERT_GE(journal().size(), 2u);
    std::vector<HWND> destroyed;
    for (auto& r : journal()) {
        if (r.message == WM_DESTROY) destroyed.push_back(r.hwnd);
    }
    EXPECT_EQ(destroyed, (std::vector<HWND>{owned, owner}));
}

TEST_F(WindowLifecycle, DestroyingFromInsideWmDestroyIsHarmless) {
    HWND top = makeTopLevel();
    hooks()[top] = [](HWND h, uint32_t m, WParam, LParam) -> std::optional<LResult> {
        if (m == WM_DESTROY) {
            EXPECT_FALSE(destroyWindow(h));
        }
        return std::nullopt;
    };
    EXPECT_TRUE(destroyWindow(top));
    EXPECT_EQ(countOf(top, WM_DESTROY), 1u);
}

TEST_F(WindowLifecycle, StaleHandlesAreRecognisedAndNeverReused) {
    HWND first = makeTopLevel();
    destroyWindow(first);
    HWND second = makeTopLevel();
    EXPECT_NE(first, second);
    EXPECT_FALSE(isWindow(first));
    EXPECT_EQ(sendMessage(first, WM_USER, 0, 0), 0);
    EXPECT_FALSE(postMessage(first, WM_USER, 0, 0));
    EXPECT_EQ(windowText(first), "");
}

TEST_F(WindowLifecycle, CloseByDefaultDestroys) {
    HWND top = makeTopLevel();
    sendMessage(top, WM_CLOSE);
    EXPECT_FALSE(isWindow(top));
}

TEST_F(WindowLifecycle, UniqueWindowDestroysWhatItOwns) {
    HWND raw;
    {
        UniqueWindow owner(makeTopLevel());
        raw = owner.get();
        EXPECT_TRUE(isWindow(raw));
    }
    EXPECT_FALSE(isWindow(raw));
}

using WindowAttributes = WindowTest;

TEST_F(WindowAttributes, TextStyleUserDataAndIds) {
    HWND top = makeTopLevel("Title");
    HWND child = makeChild(top, 42);
    EXPECT_EQ(windowText(top), "Title");
    setWindowText(top, "Other");
    EXPECT_EQ(windowText(top), "Other");
    char buffer[4];
    EXPECT_EQ(sendMessage(top, WM_GETTEXT, sizeof buffer, reinterpret_cast<LParam>(buffer)), 3);
    EXPECT_STREQ(buffer, "Oth");
    EXPECT_EQ(className(child), "Recording");
    EXPECT_EQ(childById(top, 42), child);
    EXPECT_EQ(controlIdOf(child), 42u);
    EXPECT_EQ(parentOf(child), top);
    EXPECT_EQ(topLevelOf(child), top);
    setUserData(child, 1234);
    EXPECT_EQ(userData(child), 1234);
    EXPECT_TRUE(windowStyle(child) & WS_TABSTOP);
}

TEST_F(WindowAttributes, VisibilityFollowsParentsAndEnablingIsReported) {
    HWND top = makeTopLevel("T", Rect::ofSize(0, 26, 240, 268), 0);
    HWND child = makeChild(top, 1);
    EXPECT_FALSE(isVisible(child));
    EXPECT_FALSE(showWindow(top, SW_SHOW));
    EXPECT_TRUE(isVisible(child));
    EXPECT_TRUE(showWindow(child, SW_HIDE));
    EXPECT_FALSE(isVisible(child));
    EXPECT_FALSE(enableWindow(child, false));
    EXPECT_FALSE(isEnabled(child));
    EXPECT_TRUE(enableWindow(child, true));
}

TEST_F(WindowAttributes, GeometryIsRelativeToTheParentsClientArea) {
    HWND top = makeTopLevel("T", Rect::ofSize(0, 26, 240, 268));
    HWND child = makeChild(top, 1, Rect::ofSize(10, 20, 30, 40));
    EXPECT_EQ(windowRect(child), Rect::ofSize(10, 46, 30, 40));
    EXPECT_EQ(clientRect(child), Rect::ofSize(0, 0, 30, 40));
    EXPECT_EQ(clientToScreen(child, {1, 1}), (Point{11, 47}));
    EXPECT_EQ(screenToClient(child, {11, 47}), (Point{1, 1}));
    EXPECT_EQ(windowFromPoint(top, {15, 50}), child);
    EXPECT_EQ(windowFromPoint(top, {100, 200}), top);
    journal().clear();
    moveWindow(child, Rect::ofSize(0, 0, 60, 40));
    EXPECT_EQ(countOf(child, WM_SIZE), 1u);
    moveWindow(child, Rect::ofSize(5, 5, 60, 40));
    EXPECT_EQ(countOf(child, WM_SIZE), 1u);  // a move alone does not resize
}
