#include "kestrova/kit/pane_layout.h"

#include "kestrova/platform/scroll.h"
#include "kestrova/platform/window.h"

#include <gtest/gtest.h>

#include <vector>

namespace kit = kestrova::kit;
namespace platform = kestrova::platform;
using platform::HWND;
using platform::Rect;

namespace {

platform::LResult paneProc(HWND hwnd, uint32_t message, platform::WParam wParam, platform::LParam lParam) {
    return platform::defWindowProc(hwnd, message, wParam, lParam);
}

// A 200 by 300 owner and panes made in it, destroyed with the test.
class PaneLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!platform::isClassRegistered("PaneTest"))
            platform::registerClass({"PaneTest", &paneProc, 0, 0xffffff});
        owner_ = platform::createWindow({"PaneTest", "owner", platform::WS_POPUP | platform::WS_VISIBLE,
                                         Rect::ofSize(0, 0, 200, 300), nullptr, nullptr, 0, nullptr});
        ASSERT_EQ(platform::clientRect(owner_).width(), 200);
        ASSERT_EQ(platform::clientRect(owner_).height(), 300);
        layout_.setOwner(owner_);
    }
    void TearDown() override { platform::destroyWindow(owner_); }

    HWND pane(bool tabStop = false) {
        uint32_t style = platform::WS_CHILD | platform::WS_VISIBLE | (tabStop ? uint32_t{platform::WS_TABSTOP} : 0u);
        return platform::createWindow({"PaneTest", "", style, Rect{}, owner_, nullptr, 0, nullptr});
    }
    // Where the pane is, in the owner's client coordinates.
    Rect placed(HWND pane) const {
        platform::Point origin = platform::clientToScreen(owner_, {0, 0});
        return platform::windowRect(pane).offset(-origin.x, -origin.y);
    }

    HWND owner_ = nullptr;
    kit::PaneLayout layout_;
};

TEST_F(PaneLayoutTest, BarsFillsAndPlacedPanesResolveAgainstTheClientArea) {
    HWND tabs = pane(), strip = pane(), lower = pane(), fill = pane(), placed = pane();
    layout_.addTopBar(tabs, 20);
    layout_.addBottomBar(lower, 38);  // the first bottom bar ends at 100 percent
    layout_.addBottomBar(strip, 10);  // the next one sits above it
    layout_.addFill(fill);
    kit::PanePlacement p;
    p.left = 50;
    p.leftPercent = 1;
    p.top = -100;  // 100 pixels above the bottom edge
    p.right = -25;
    p.rightPercent = 1;  // -25 % of 200 is -50, so 150
    p.bottom = 75;
    p.bottomPercent = 1;
    layout_.insert(placed, p);
    layout_.relayout();

    EXPECT_EQ(this->placed(tabs), Rect::ofSize(0, 0, 200, 20));
    EXPECT_EQ(this->placed(lower), Rect::ofSize(0, 262, 200, 38));
    EXPECT_EQ(this->placed(strip), Rect::ofSize(0, 252, 200, 10));
    EXPECT_EQ(this->placed(fill), Rect::ofSize(0, 20, 200, 232)) << "inside margins 20 and 48";
    EXPECT_EQ(this->placed(placed), (Rect{100, 200, 150, 225}));
    EXPECT_EQ(layout_.marginTop(), 20);
    EXPECT_EQ(layout_.marginBottom(), 48);

    // Scrolling the owner moves placed panes up; a fill pane stays inside the margins.
    platform::ScrollInfo scrolled{platform::SIF_RANGE | platform::SIF_PAGE | platform::SIF_POS, 0, 399, 300, 5};
    ASSERT_EQ(platform::setScrollInfo(owner_, platform::SB_VERT, scrolled), 5);
    layout_.relayout();
    EXPECT_EQ(this->placed(placed), (Rect{100, 195, 150, 220}));
    EXPECT_EQ(this->placed(tabs), Rect::ofSize(0, -5, 200, 20));
    EXPECT_EQ(this->placed(fill), Rect::ofSize(0, 20, 200, 232));
}

TEST_F(PaneLayoutTest, RemovingABarGivesItsOwnHeightBackToItsMargin) {
    HWND tabs = pane(), lower = pane(), upper = pane(), fill = pane();
    layout_.addTopBar(tabs, 21);
    layout_.addBottomBar(lower, 38);
    layout_.addBottomBar(upper, 10);
    layout_.addFill(fill);

    // The lowest bar's bottom edge is a percentage: its height is still 38.
    layout_.remove(lower);
    EXPECT_EQ(layout_.marginBottom(), 10);
    layout_.remove(upper);
    EXPECT_EQ(layout_.marginBottom(), 0);
    layout_.remove(tabs);
    EXPECT_EQ(layout_.marginTop(), 0);
    layout_.remove(tabs);  // no longer there: nothing changes
    layout_.remove(pane());
    EXPECT_EQ(layout_.marginTop(), 0);
    EXPECT_EQ(layout_.panes().size(), 1u);

    // Taking a bar out and adding it again with another height, as a page
    // does once it knows its own height.
    layout_.addTopBar(tabs, 21);
    layout_.remove(tabs);
    layout_.addTopBar(tabs, 17);
    EXPECT_EQ(layout_.marginTop(), 17);
    EXPECT_EQ(placed(fill), Rect::ofSize(0, 17, 200, 283));
}

TEST_F(PaneLayoutTest, FocusGoesThroughTabStopsTopToBottomThenLeftToRightSkippingDisabledAndHidden) {
    EXPECT_EQ(layout_.nextFocus(nullptr, false), nullptr) << "no focus order yet";
    HWND right = pane(true), left = pane(true), top = pane(true), bottom = pane(true), plain = pane(false);
    auto at = [](int x, int y) {
        kit::PanePlacement p;
        p.left = x;
        p.top = y;
        p.right = x + 10;
        p.bottom = y + 10;
        return p;
    };
    layout_.insert(right, at(100, 50));
    layout_.insert(left, at(10, 50));
    layout_.insert(top, at(150, 10));
    layout_.insert(bottom, at(0, 200));
    layout_.insert(plain, at(0, 0));
    layout_.relayout();
    EXPECT_EQ(layout_.focusOrder(), (std::vector<HWND>{top, left, right, bottom}));

    EXPECT_EQ(layout_.nextFocus(top, false), left);
    EXPECT_EQ(layout_.nextFocus(left, true), top);
    platform::enableWindow(right, false);
    platform::showWindow(bottom, platform::SW_HIDE);
    EXPECT_EQ(layout_.nextFocus(left, false), left) << "nothing enabled and visible after it: no wrapping";
    EXPECT_EQ(layout_.nextFocus(bottom, true), left);
    EXPECT_EQ(layout_.nextFocus(top, true), top);
    EXPECT_EQ(layout_.nextFocus(plain, false), plain) << "not in the focus order";
}

}  // namespace
