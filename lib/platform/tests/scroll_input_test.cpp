// Scrolling, the wheel, Shift and Ctrl, window icons and tab stops in text.
#include <gtest/gtest.h>

#include "control_test_support.h"
#include "kestrova/platform/clock.h"
#include "kestrova/platform/icon.h"

using namespace testing_windows;

using Scrolling = WindowTest;

TEST_F(Scrolling, ThePositionStaysWhereAWholePageStillFits) {
    HWND main = makeTopLevel();
    ScrollInfo set;
    set.min = 0;
    set.max = 99;
    set.page = 30;
    set.pos = 90;
    EXPECT_EQ(setScrollInfo(main, SB_VERT, set), 70);
    ScrollInfo got;
    ASSERT_TRUE(getScrollInfo(main, SB_VERT, got));
    EXPECT_EQ(got.pos, 70);
    EXPECT_EQ(got.page, 30u);
    EXPECT_EQ(getScrollPos(main, SB_VERT), 70); // also for a window that shows no bar

    ScrollInfo bigPage;
    bigPage.mask = SIF_PAGE;
    bigPage.page = 500;
    setScrollInfo(main, SB_VERT, bigPage);
    ASSERT_TRUE(getScrollInfo(main, SB_VERT, got));
    EXPECT_EQ(got.page, 100u);
    EXPECT_EQ(got.pos, 0);

    EXPECT_EQ(setScrollPos(main, SB_HORZ, -5), 0);
    EXPECT_EQ(getScrollPos(main, SB_HORZ), 0);
    setScrollRange(main, SB_HORZ, 10, 5); // an upside-down range collapses to its start
    EXPECT_EQ(getScrollPos(main, SB_HORZ), 10);
    EXPECT_FALSE(getScrollInfo(reinterpret_cast<HWND>(0x4), SB_VERT, got));

    // Scrolling a window moves its children with its content.
    HWND pane = makeChild(main, 1, Rect::ofSize(0, 40, 50, 20));
    scrollWindow(main, 0, -30);
    EXPECT_EQ(windowRect(pane).top, windowRect(main).top + 10);
}

TEST_F(Scrolling, ABarTakesItsRoomFromTheClientAreaAndATapOnItPages) {
    HWND main = makeTopLevel("T", Rect::ofSize(0, 26, 240, 268));
    HWND pane = makeChild(main, 1, Rect::ofSize(0, 0, 100, 80), WS_VISIBLE | WS_VSCROLL);
    int bar = systemMetric(SM_CXVSCROLL);
    EXPECT_EQ(bar, 7);
    EXPECT_EQ(clientRect(pane), (Rect{0, 0, 100 - bar, 80}));
    std::vector<LParam> sizes;
    for (auto& r : journal())
        if (r.hwnd == pane && r.message == WM_SIZE) sizes.push_back(r.lParam);
    EXPECT_EQ(sizes, std::vector<LParam>{makeLParam(100 - bar, 80)});
    setWindowStyle(pane, windowStyle(pane) & ~WS_VSCROLL);
    EXPECT_EQ(clientRect(pane).width(), 100);
    EXPECT_EQ(countOf(pane, WM_SIZE), 2u);
    setWindowStyle(pane, windowStyle(pane) | WS_VSCROLL);

    ScrollInfo info;
    info.max = 99;
    info.page = 20;
    setScrollInfo(pane, SB_VERT, info);
    Rect r = windowRect(pane);
    tap({r.right - 2, r.bottom - 2}); // below the thumb
    pumpPendingMessages();
    std::vector<int> codes;
    for (auto& m : journal())
        if (m.hwnd == pane && m.message == WM_VSCROLL) codes.push_back(loWord(m.wParam));
    EXPECT_EQ(codes, (std::vector<int>{SB_PAGEDOWN, SB_ENDSCROLL}));
    EXPECT_EQ(countOf(pane, WM_LBUTTONDOWN), 0u);
    auto shot = captureWindow(pane);
    EXPECT_NE(shot->pixel(r.width() - bar / 2 - 1, 2),
              shot->pixel(r.width() - bar / 2 - 1, r.height() - 2)); // thumb at the top
}

namespace {

// The (code, position) of each WM_VSCROLL the window received from the
// given bar control (null: its own bar).
std::vector<std::pair<int, int>> verticalScrolls(HWND hwnd, HWND control = nullptr) {
    std::vector<std::pair<int, int>> out;
    for (auto& m : journal())
        if (m.hwnd == hwnd && m.message == WM_VSCROLL && m.lParam == reinterpret_cast<LParam>(control))
            out.emplace_back(loWord(m.wParam), static_cast<int16_t>(hiWord(m.wParam)));
    return out;
}

} // namespace

TEST_F(Scrolling, DraggingTheThumbTracksItsPositionAndLettingGoEndsTheDrag) {
    HWND main = makeTopLevel("T", Rect::ofSize(0, 26, 240, 268));
    HWND pane = makeChild(main, 1, Rect::ofSize(0, 0, 100, 80), WS_VISIBLE | WS_VSCROLL);
    ScrollInfo info;
    info.max = 99;
    info.page = 20; // a thumb of 16 pixels on a track of 80: 64 pixels for 80 positions
    setScrollInfo(pane, SB_VERT, info);
    Rect r = windowRect(pane);
    int x = r.right - 3;
    pointerDown({x, r.top + 4}); // 4 pixels into the thumb
    pointerMove({x, r.top + 4 + 32});
    pumpPendingMessages();
    ScrollInfo got;
    getScrollInfo(pane, SB_VERT, got);
    EXPECT_EQ(got.trackPos, 40);
    EXPECT_EQ(got.pos, 0); // the window decides whether to follow
    EXPECT_EQ(captureWindow(), pane);
    pointerMove({x, r.top + 500}); // far past the end
    pointerUp({x, r.top + 500});
    pumpPendingMessages();
    EXPECT_EQ(verticalScrolls(pane),
              (std::vector<std::pair<int, int>>{
                  {SB_THUMBTRACK, 40}, {SB_THUMBTRACK, 80}, {SB_THUMBPOSITION, 80}, {SB_ENDSCROLL, 0}}));
    EXPECT_EQ(captureWindow(), nullptr);
    for (uint32_t m : {WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONUP})
        EXPECT_EQ(countOf(pane, m), 0u);

    // A long range goes past what wParam's 16 bits hold; the bar has it whole.
    info.max = 99999;
    info.page = 1000;
    setScrollInfo(pane, SB_VERT, info);
    pointerDown({x, r.top + 2});
    pointerUp({x, r.bottom + 50});
    pumpPendingMessages();
    WParam last = 0;
    for (auto& m : journal())
        if (m.hwnd == pane && m.message == WM_VSCROLL && loWord(m.wParam) == SB_THUMBPOSITION)
            last = m.wParam;
    EXPECT_EQ(thumbPosition(pane, SB_VERT, last), 99000);
    EXPECT_EQ(thumbPosition(pane, SB_VERT, makeWParam(SB_THUMBPOSITION, 7)), 7); // a program's own

    // The SCROLLBAR control reports to its parent, with its handle.
    HWND bar = makeControl(main, kScrollBarClass, 2, SBS_VERT, Rect::ofSize(200, 0, 10, 100));
    info.max = 9;
    info.page = 5; // a thumb of 50 pixels: 50 pixels for 5 positions
    setScrollInfo(bar, SB_CTL, info);
    Rect b = windowRect(bar);
    pointerDown({b.left + 5, b.top + 10});
    pumpPendingMessages();
    pointerMove({b.left + 5, b.top + 31});
    pumpPendingMessages();
    pointerUp({b.left + 5, b.top + 31});
    pumpPendingMessages();
    EXPECT_EQ(verticalScrolls(main, bar), (std::vector<std::pair<int, int>>{
                                              {SB_THUMBTRACK, 2}, {SB_THUMBPOSITION, 2}, {SB_ENDSCROLL, 0}}));
    EXPECT_EQ(captureWindow(), nullptr);
}

TEST_F(Scrolling, TheWheelReachesTheFocusAndScrollsTheFirstWindowThatCan) {
    HWND main = makeTopLevel();
    HWND pane = makeChild(main, 1, Rect::ofSize(0, 0, 100, 80), WS_VISIBLE | WS_VSCROLL);
    HWND inner = makeChild(pane, 2, Rect::ofSize(0, 0, 50, 20));
    setFocus(inner);
    mouseWheel(-WHEEL_DELTA, {5, 6}); // nothing to scroll yet: up to the top
    pumpPendingMessages();
    EXPECT_EQ(countOf(inner, WM_MOUSEWHEEL), 1u);
    EXPECT_EQ(countOf(main, WM_MOUSEWHEEL), 1u);
    EXPECT_EQ(countOf(pane, WM_VSCROLL), 0u);

    ScrollInfo info;
    info.max = 99;
    info.page = 20;
    setScrollInfo(pane, SB_VERT, info);
    keyDown(VK_SHIFT);
    mouseWheel(-WHEEL_DELTA, {5, 6});
    keyUp(VK_SHIFT);
    pumpPendingMessages();
    std::vector<int> codes;
    for (auto& m : journal())
        if (m.hwnd == pane && m.message == WM_VSCROLL) codes.push_back(loWord(m.wParam));
    EXPECT_EQ(codes, (std::vector<int>{SB_LINEDOWN, SB_LINEDOWN, SB_LINEDOWN, SB_ENDSCROLL}));
    EXPECT_EQ(countOf(main, WM_MOUSEWHEEL), 1u);
    for (auto& m : journal())
        if (m.hwnd == inner && m.message == WM_MOUSEWHEEL) {
            EXPECT_EQ(wheelDeltaOf(m.wParam), -WHEEL_DELTA);
            EXPECT_EQ(m.lParam, makeLParam(5, 6));
        }
}

TEST_F(Scrolling, ShiftAndCtrlReadAsTheyWereWhenEachKeyWasPressed) {
    HWND main = makeTopLevel();
    std::vector<std::pair<uint32_t, uint32_t>> seen; // key, modifiers when it came
    hooks()[main] = [&](HWND, uint32_t m, WParam w, LParam) -> std::optional<LResult> {
        if (m == WM_KEYDOWN && w != VK_SHIFT && w != VK_CONTROL)
            seen.emplace_back(static_cast<uint32_t>(w), modifierFlags());
        return std::nullopt;
    };
    keyDown(VK_SHIFT);
    pressKey(VK_END);
    keyUp(VK_SHIFT);
    keyDown(VK_CONTROL);
    pressKey(VK_DELETE);
    keyUp(VK_CONTROL);
    pressKey(VK_HOME);
    // All were queued before any was handled; each still sees its own moment.
    pumpPendingMessages();
    EXPECT_EQ(seen, (std::vector<std::pair<uint32_t, uint32_t>>{
                        {VK_END, MK_SHIFT}, {VK_DELETE, MK_CONTROL}, {VK_HOME, 0}}));
    setModifierKeys(true, true); // a desktop display that saw them pressed elsewhere
    EXPECT_TRUE(keyIsDown(VK_SHIFT));
    EXPECT_EQ(modifierFlags(), MK_SHIFT | MK_CONTROL);
    setModifierKeys(false, false);
}

using WindowIcons = WindowTest;

TEST_F(WindowIcons, AWindowKeepsItsOwnCopiesOfItsSmallAndLargeIcon) {
    HWND main = makeTopLevel();
    EXPECT_EQ(smallIconSize(), 16);
    EXPECT_EQ(systemMetric(SM_CXICON), 32);
    auto small = std::make_unique<Icon>(smallIconSize(), smallIconSize());
    small->setPixel(3, 3, rgb(200, 0, 0));
    Icon large(largeIconSize(), largeIconSize());
    EXPECT_EQ(sendMessage(main, WM_SETICON, ICON_SMALL, reinterpret_cast<LParam>(small.get())), 0);
    EXPECT_EQ(sendMessage(main, WM_SETICON, ICON_BIG, reinterpret_cast<LParam>(&large)), 0);
    small.reset(); // the caller may destroy its icon at once
    auto* kept = reinterpret_cast<const Icon*>(sendMessage(main, WM_GETICON, ICON_SMALL));
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->width(), 16);
    EXPECT_EQ(kept->pixel(3, 3), rgb(200, 0, 0));
    EXPECT_EQ(reinterpret_cast<const Icon*>(sendMessage(main, WM_GETICON, ICON_BIG))->width(), 32);
    EXPECT_EQ(sendMessage(main, WM_SETICON, ICON_SMALL, 0), 1); // it had one
    EXPECT_EQ(sendMessage(main, WM_GETICON, ICON_SMALL), 0);

    ScreenScope vga({480, 640, 192});
    EXPECT_EQ(systemMetric(SM_CXSMICON), 32);
    EXPECT_EQ(largeIconSize(), 64);
    EXPECT_EQ(systemMetric(SM_CXVSCROLL), 10);
}

namespace {

// The first column of the bitmap where the drawn text left dark ink.
int firstInk(const Bitmap& b) {
    for (int x = 0; x < b.width(); ++x)
        for (int y = 0; y < b.height(); ++y)
            if (b.pixel(x, y).r < 128) return x;
    return -1;
}

int inkAfterDrawing(const Font& font, std::string_view text, uint32_t flags) {
    Bitmap b(400, 40);
    b.clear(rgb(255, 255, 255));
    DeviceContext dc(b);
    dc.selectFont(font);
    dc.drawText(text, Rect{0, 0, 400, 40}, flags | DT_SINGLELINE);
    return firstInk(b);
}

} // namespace

TEST(TextTabs, TabsStopEveryEightAverageCharactersOrAsTheFlagsSay) {
    Font font("Tahoma", -14);
    int avg = averageCharWidth(font);
    ASSERT_GT(avg, 3);
    int bare = inkAfterDrawing(font, "X", DT_LEFT);
    EXPECT_NEAR(inkAfterDrawing(font, "\tX", DT_EXPANDTABS) - bare, 8 * avg, 1);
    EXPECT_NEAR(inkAfterDrawing(font, "\t\tX", DT_EXPANDTABS) - bare, 16 * avg, 1);
    EXPECT_NEAR(inkAfterDrawing(font, "\tX", DT_EXPANDTABS | DT_TABSTOP | (4 << 8)) - bare, 4 * avg, 1);
    // Without DT_EXPANDTABS a tab is a blank.
    EXPECT_NEAR(inkAfterDrawing(font, "\tX", DT_LEFT) - bare, measureText(font, " ").width, 1);
    // Wrapped text measures its tabs the same way.
    EXPECT_EQ(wrappedTextHeight(font, "a\tb", 1000), measureText(font, "a").height);
}
