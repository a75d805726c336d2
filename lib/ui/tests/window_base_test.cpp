#include <gtest/gtest.h>

#include <cstdio>

#include "kestrova/platform/module.h"
#include "kestrova/platform/screen.h"
#include "kestrova/ui/fonts.h"
#include "kestrova/ui/window_base.h"

using namespace kestrova::ui;
namespace platform = kestrova::platform;
using namespace kestrova::platform;

namespace {

// Records the handlers it was called with.
class Probe : public WindowBase {
public:
    std::vector<std::string> calls;
    const Font* font = nullptr;
    bool deleteOnDestroy = false;
    static int deleted;

    ~Probe() override { ++deleted; }

    bool make(HWND parent = nullptr, uint32_t style = WS_VISIBLE) {
        return create("probe", style | (parent ? uint32_t(WS_CHILD) : 0u), Rect::ofSize(0, 26, 100, 100), parent);
    }

    bool makeInOwnClass() {
        return create(OwnClass{"RY_TESTSCREEN", CS_DBLCLKS, 0x00FF00}, "screen", WS_VISIBLE,
                      Rect::ofSize(0, 26, 100, 100), nullptr);
    }

    LResult handleMessage(HWND h, uint32_t m, WParam w, LParam l) override {
        if (m == WM_SETFONT) font = reinterpret_cast<const Font*>(w);
        return WindowBase::handleMessage(h, m, w, l);
    }
    void onCommand(HWND, int id, HWND, int code) override { calls.push_back("command " + std::to_string(id) + "/" + std::to_string(code)); }
    void onKey(HWND, uint32_t key, bool down, int repeat, uint32_t) override {
        calls.push_back("key " + std::to_string(key) + (down ? " down " : " up ") + std::to_string(repeat));
    }
    void onLeftButtonDown(HWND, bool dbl, int x, int y, uint32_t) override {
        calls.push_back(std::string(dbl ? "double " : "down ") + std::to_string(x) + "," + std::to_string(y));
    }
    void onContextMenu(HWND, HWND, int x, int y) override { calls.push_back("context " + std::to_string(x) + "," + std::to_string(y)); }
    LResult onGetDialogCode(HWND, const Msg*) override { return DLGC_WANTARROWS; }
    void onSize(HWND, int, int w, int h) override { calls.push_back("size " + std::to_string(w) + "x" + std::to_string(h)); }
    void onDestroy(HWND hwnd) override {
        calls.push_back("destroy");
        if (deleteOnDestroy) delete this;
    }
};
int Probe::deleted = 0;

}  // namespace

TEST(WindowFramework, TheClassIsNamedAfterTheModulesBaseAddress) {
    char expected[64];
    std::snprintf(expected, sizeof expected, "RY_CTRL_%p", moduleBaseOf(reinterpret_cast<const void*>(&windowFont)));
    EXPECT_EQ(WindowBase::className(), expected);
}

TEST(WindowFramework, MessagesAreUnpackedIntoTheirHandlers) {
    Probe probe;
    ASSERT_TRUE(probe.make());
    EXPECT_EQ(className(probe.hwnd()), WindowBase::className());
    EXPECT_EQ(userData(probe.hwnd()), reinterpret_cast<intptr_t>(&probe));
    probe.calls.clear();
    sendMessage(probe.hwnd(), WM_COMMAND, makeWParam(40004, 1), 0);
    sendMessage(probe.hwnd(), WM_KEYDOWN, VK_DOWN, 1);
    sendMessage(probe.hwnd(), WM_KEYUP, VK_DOWN, static_cast<LParam>(1u | kKeyWasDown | kKeyReleasing));
    sendMessage(probe.hwnd(), WM_LBUTTONDBLCLK, 1, makeLParam(5, 7));
    sendMessage(probe.hwnd(), WM_CONTEXTMENU, 0, makeLParam(-3, 40));
    EXPECT_EQ(sendMessage(probe.hwnd(), WM_GETDLGCODE), DLGC_WANTARROWS);
    EXPECT_EQ(probe.calls, (std::vector<std::string>{"command 40004/1", "key 40 down 1", "key 40 up 1", "double 5,7",
                                                     "context -3,40"}));
}

TEST(WindowFramework, AScreenMayHaveAClassOfItsOwnNameAndStillReachItsHandlers) {
    Probe first, second;
    ASSERT_TRUE(first.makeInOwnClass());
    ASSERT_TRUE(second.makeInOwnClass()) << "the class is registered once and used again";
    EXPECT_EQ(className(first.hwnd()), "RY_TESTSCREEN");
    EXPECT_EQ(classStyle(first.hwnd()), uint32_t(CS_DBLCLKS));
    EXPECT_NE(first.font, nullptr) << "it gets the shared window font too";
    sendMessage(second.hwnd(), WM_KEYDOWN, 'A', 1);
    EXPECT_EQ(second.calls.back(), "key 65 down 1");
}

TEST(WindowFramework, EveryWindowGetsTheSharedWindowFontAndItsSize) {
    Probe probe;
    ASSERT_TRUE(probe.make());
    EXPECT_EQ(probe.font, &windowFont());
    EXPECT_EQ(probe.calls.front(), "size 100x100");
}

TEST(WindowFramework, SharedFontsAreSizedFromTheScreensDotsPerInch) {
    EXPECT_EQ(windowFontHeight(131), -15);
    EXPECT_EQ(normalFontHeight(131), -14);
    EXPECT_EQ(windowFontHeight(192), -22);
    EXPECT_EQ(normalFont().pixelHeight(), normalFontHeight(screenDpi()));
    EXPECT_EQ(boldFont().weight(), 700);
}

TEST(WindowFramework, TheDefaultCloseDestroysTheWindowButNotTheObject) {
    Probe::deleted = 0;
    auto* probe = new Probe;
    ASSERT_TRUE(probe->make());
    HWND h = probe->hwnd();
    sendMessage(h, WM_CLOSE);
    EXPECT_FALSE(isWindow(h));
    EXPECT_EQ(probe->hwnd(), nullptr);
    EXPECT_EQ(Probe::deleted, 0);
    delete probe;
    EXPECT_EQ(Probe::deleted, 1);
}

TEST(WindowFramework, DeletingTheObjectDestroysItsWindow) {
    auto* probe = new Probe;
    ASSERT_TRUE(probe->make());
    HWND h = probe->hwnd();
    delete probe;
    EXPECT_FALSE(isWindow(h));
}

TEST(WindowFramework, AnObjectMayDeleteItselfWhenItsWindowIsDestroyed) {
    Probe::deleted = 0;
    auto* parent = new Probe;
    ASSERT_TRUE(parent->make());
    auto* child = new Probe;
    ASSERT_TRUE(child->make(parent->hwnd()));
    parent->deleteOnDestroy = true;
    child->deleteOnDestroy = true;
    HWND h = parent->hwnd();
    destroyWindow(h);
    EXPECT_EQ(Probe::deleted, 2);
    EXPECT_FALSE(isWindow(h));
}

TEST(WindowFramework, CentringPutsAChildInTheMiddleOfItsParent) {
    Probe parent;
    ASSERT_TRUE(parent.make());
    Probe child;
    ASSERT_TRUE(child.make(parent.hwnd()));
    moveWindow(child.hwnd(), Rect::ofSize(0, 0, 40, 20));
    centreWindow(child.hwnd());
    Rect r = windowRect(child.hwnd());
    Rect p = windowRect(parent.hwnd());
    EXPECT_EQ(r.left - p.left, 30);
    EXPECT_EQ(r.top - p.top, 40);
}
