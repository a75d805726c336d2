#include <gtest/gtest.h>

#include "kestrova/platform/dc.h"
#include "test_window.h"

using namespace testing_windows;

using Painting = WindowTest;

namespace {

bool isDark(Colour c) { return c.r < 128 && c.g < 128 && c.b < 128; }

int darkPixelsIn(const Bitmap& b, const Rect& r) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) n += isDark(b.pixel(x, y));
    return n;
}

}  // namespace

TEST_F(Painting, InvalidationProducesEraseThenPaintAndThePixelsCanBeReadBack) {
    HWND w = makeTopLevel("T", Rect::ofSize(0, 26, 100, 100));
    hooks()[w] = [](HWND h, uint32_t m, WParam, LParam) -> std::optional<LResult> {
        if (m != WM_PAINT) return std::nullopt;
        PaintScope paint(h);
        paint.dc().fillRect(Rect::ofSize(10, 10, 20, 20), rgb(255, 0, 0));
        return 0;
    };
    pumpPendingMessages();
    auto order = messagesOf(w);
    auto erase = std::find(order.begin(), order.end(), WM_ERASEBKGND);
    auto paint = std::find(order.begin(), order.end(), WM_PAINT);
    ASSERT_NE(erase, order.end());
    ASSERT_NE(paint, order.end());
    EXPECT_LT(paint - order.begin(), erase - order.begin());  // erase is sent from inside the paint
    const Bitmap* surface = windowSurface(w);
    EXPECT_EQ(surface->pixel(15, 15), rgb(255, 0, 0));
    EXPECT_EQ(surface->pixel(50, 50), rgb(255, 255, 255));
    EXPECT_FALSE(hasInvalidArea(w));
    size_t paints = countOf(w, WM_PAINT);
    pumpPendingMessages();
    EXPECT_EQ(countOf(w, WM_PAINT), paints);  // nothing new to paint
}

TEST_F(Painting, PaintingIsClippedToTheInvalidArea) {
    HWND w = makeTopLevel("T", Rect::ofSize(0, 26, 100, 100));
    pumpPendingMessages();
    hooks()[w] = [](HWND h, uint32_t m, WParam, LParam) -> std::optional<LResult> {
        if (m != WM_PAINT) return std::nullopt;
        PaintScope paint(h);
        paint.dc().fillRect(clientRect(h), rgb(0, 0, 255));
        return 0;
    };
    Rect part = Rect::ofSize(0, 0, 10, 10);
    invalidateRect(w, &part, false);
    pumpPendingMessages();
    EXPECT_EQ(windowSurface(w)->pixel(5, 5), rgb(0, 0, 255));
    EXPECT_EQ(windowSurface(w)->pixel(50, 50), rgb(255, 255, 255));
}

TEST_F(Painting, HiddenWindowsAreNotPaintedUntilShown) {
    HWND w = makeTopLevel("T", Rect::ofSize(0, 26, 50, 50), 0);
    pumpPendingMessages();
    EXPECT_EQ(countOf(w, WM_PAINT), 0u);
    showWindow(w, SW_SHOW);
    pumpPendingMessages();
    EXPECT_EQ(countOf(w, WM_PAINT), 1u);
}

TEST_F(Painting, PrintClientHandsTheCallersContextToTheWindow) {
    HWND w = makeTopLevel("T", Rect::ofSize(0, 26, 20, 20));
    hooks()[w] = [](HWND h, uint32_t m, WParam wp, LParam) -> std::optional<LResult> {
        if (m != WM_PRINTCLIENT) return std::nullopt;
        reinterpret_cast<DeviceContext*>(wp)->fillRect(clientRect(h), rgb(0, 255, 0));
        return 0;
    };
    Bitmap target(20, 20);
    DeviceContext dc(target);
    sendMessage(w, WM_PRINTCLIENT, reinterpret_cast<WParam>(&dc), PRF_CLIENT);
    EXPECT_EQ(target.pixel(3, 3), rgb(0, 255, 0));
}

TEST(Drawing, GradientsRunFromOneColourToTheOther) {
    Bitmap b(10, 100);
    DeviceContext dc(b);
    dc.fillGradient(Rect::ofSize(0, 0, 10, 100), rgb(0, 0, 0), rgb(255, 255, 255), GradientDirection::kVertical);
    EXPECT_LT(b.pixel(5, 0).r, 10);
    EXPECT_GT(b.pixel(5, 99).r, 245);
    EXPECT_NEAR(b.pixel(5, 50).r, 128, 10);
}

TEST(Drawing, RaisedEdgesAreLightTopLeftAndSunkenOnesTheOtherWayRound) {
    Bitmap b(20, 20);
    DeviceContext dc(b);
    dc.drawEdge(Rect::ofSize(0, 0, 20, 20), Edge::kRaised);
    EXPECT_GT(b.pixel(1, 5).r, b.pixel(18, 5).r);
    dc.drawEdge(Rect::ofSize(0, 0, 20, 20), Edge::kSunken);
    EXPECT_LT(b.pixel(1, 5).r, b.pixel(18, 5).r);
}

TEST(Drawing, DisabledBitmapsLoseTheirColour) {
    Bitmap icon(4, 4);
    icon.clear(rgb(255, 0, 0));
    Bitmap b(4, 4);
    b.clear(rgb(255, 255, 255));
    DeviceContext dc(b);
    dc.drawBitmap(icon, {0, 0}, true);
    Colour c = b.pixel(1, 1);
    EXPECT_NEAR(c.r, c.g, 2);
    EXPECT_NEAR(c.g, c.b, 2);
}

TEST(Text, TahomaFallsBackToAnInstalledFaceAndBoldIsWider) {
    Font normal("Tahoma", -16);
    Font bold("Tahoma", -16, kBoldWeight);
    Size n = measureText(normal, "Kestrova messages");
    Size b = measureText(bold, "Kestrova messages");
    EXPECT_GT(n.width, 50);
    EXPECT_GE(n.height, 16);
    EXPECT_GT(b.width, n.width);
}

TEST(Text, WordWrappingTakesMoreHeightInANarrowerWidth) {
    Font font("Tahoma", -12);
    std::string text = "You have now joined the group and you can access it via the group tab.";
    int wide = wrappedTextHeight(font, text, 1000);
    int narrow = wrappedTextHeight(font, text, 100);
    EXPECT_GT(narrow, 2 * wide);
    Bitmap b(100, 200);
    DeviceContext dc(b);
    dc.selectFont(font);
    EXPECT_EQ(dc.drawText(text, Rect::ofSize(0, 0, 100, 200), DT_WORDBREAK | DT_CALCRECT), narrow);
}

TEST(Text, AlignmentPutsTheInkOnTheRightSide) {
    Font font("Tahoma", -12);
    auto inkOf = [&](uint32_t flags, Rect part) {
        Bitmap b(200, 20);
        b.clear(rgb(255, 255, 255));
        DeviceContext dc(b);
        dc.selectFont(font);
        dc.drawText("OK", Rect::ofSize(0, 0, 200, 20), flags | DT_SINGLELINE | DT_VCENTER);
        return darkPixelsIn(b, part);
    };
    Rect left = Rect::ofSize(0, 0, 40, 20), middle = Rect::ofSize(80, 0, 40, 20), right = Rect::ofSize(160, 0, 40, 20);
    EXPECT_GT(inkOf(DT_LEFT, left), 0);
    EXPECT_EQ(inkOf(DT_LEFT, right), 0);
    EXPECT_GT(inkOf(DT_RIGHT, right), 0);
    EXPECT_EQ(inkOf(DT_RIGHT, left), 0);
    EXPECT_GT(inkOf(DT_CENTER, middle), 0);
    EXPECT_EQ(inkOf(DT_CENTER, left), 0);
}

TEST(Text, MnemonicMarkersAreNotDrawn) {
    EXPECT_EQ(stripMnemonics("E&xit..."), "Exit...");
    EXPECT_EQ(stripMnemonics("A && B"), "A & B");
    EXPECT_EQ(stripMnemonics("&"), "");
}

TEST(Drawing, IconsShowTheirOpaquePixelsAndLeaveTheBackgroundUnderTransparentOnes) {
    Icon icon(2, 1);
    icon.setPixel(0, 0, rgb(255, 0, 0));
    icon.setPixel(1, 0, rgb(0, 0, 255));
    icon.setOpaque(1, 0, false);
    Bitmap b(4, 4);
    b.clear(rgb(255, 255, 255));
    DeviceContext dc(b);
    dc.drawIcon(icon, {1, 1});
    EXPECT_EQ(b.pixel(1, 1), rgb(255, 0, 0));
    EXPECT_EQ(b.pixel(2, 1), rgb(255, 255, 255));
    dc.drawIcon(icon, {1, 2}, true);
    Colour grey = b.pixel(1, 2);
    EXPECT_NEAR(grey.r, grey.g, 2);
    EXPECT_NE(grey, rgb(255, 0, 0));
}
