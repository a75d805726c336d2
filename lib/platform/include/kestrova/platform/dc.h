// Drawing: off-screen bitmaps, fonts and the device context over Cairo and
// Pango that windows paint with.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "kestrova/platform/geometry.h"
#include "kestrova/platform/icon.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;
typedef struct _PangoFontDescription PangoFontDescription;

namespace kestrova::platform {

// A colour with its opacity. Converts from the 0x00RRGGBB values that rgb()
// of icon.h makes, which are opaque.
struct Colour {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    uint8_t a = 255;
    constexpr Colour() = default;
    constexpr Colour(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha = 255) : r(red), g(green), b(blue), a(alpha) {}
    constexpr Colour(uint32_t rgbValue) : r(uint8_t(rgbValue >> 16)), g(uint8_t(rgbValue >> 8)), b(uint8_t(rgbValue)) {}
    friend bool operator==(const Colour&, const Colour&) = default;
};

// The colours the system draws its chrome with.
namespace colours {
inline constexpr Colour kWindow = rgb(255, 255, 255);
inline constexpr Colour kWindowText = rgb(0, 0, 0);
inline constexpr Colour kHighlight = rgb(49, 106, 197);
inline constexpr Colour kHighlightText = rgb(255, 255, 255);
inline constexpr Colour kGrayText = rgb(128, 128, 128);
inline constexpr Colour kFace = rgb(212, 208, 200);
inline constexpr Colour kLight = rgb(255, 255, 255);
inline constexpr Colour kShadow = rgb(128, 128, 128);
inline constexpr Colour kDarkShadow = rgb(64, 64, 64);
}  // namespace colours

enum FontWeight : int { kNormalWeight = 400, kBoldWeight = 700 };

// A font by face, pixel height and weight. A negative height is the height of
// the characters (the em size), a positive one the height of the whole line.
// Faces missing on the machine fall back through fontconfig ("Tahoma" to an
// installed sans face such as DejaVu Sans).
class Font {
public:
    Font() = default;
    Font(std::string_view face, int pixelHeight, int weight = kNormalWeight, bool italic = false);
    bool valid() const { return bool(description_); }
    const PangoFontDescription* description() const { return description_.get(); }
    int pixelHeight() const { return pixelHeight_; }
    int weight() const { return weight_; }
    // Height of one line of text in pixels.
    int lineHeight() const;

private:
    std::shared_ptr<PangoFontDescription> description_;
    int pixelHeight_ = 0;
    int weight_ = kNormalWeight;
};

// An off-screen 32-bit image with alpha.
class Bitmap {
public:
    Bitmap(int width, int height);
    ~Bitmap();
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;
    int width() const { return width_; }
    int height() const { return height_; }
    Colour pixel(int x, int y) const;
    void setPixel(int x, int y, Colour colour);
    void clear(Colour colour);
    bool savePng(const std::filesystem::path& path) const;
    static std::unique_ptr<Bitmap> fromIcon(const Icon& icon);
    cairo_surface_t* surface() const { return surface_; }

private:
    cairo_surface_t* surface_;
    int width_;
    int height_;
};

// Text layout flags.
enum TextFlags : uint32_t {
    DT_LEFT = 0x0,
    DT_TOP = 0x0,
    DT_CENTER = 0x1,
    DT_RIGHT = 0x2,
    DT_VCENTER = 0x4,
    DT_BOTTOM = 0x8,
    DT_WORDBREAK = 0x10,
    DT_SINGLELINE = 0x20,
    DT_EXPANDTABS = 0x40,
    DT_TABSTOP = 0x80,  // bits 8 to 15 hold the characters per tab stop
    DT_NOCLIP = 0x100,
    DT_CALCRECT = 0x400,
    DT_NOPREFIX = 0x800,
    DT_END_ELLIPSIS = 0x8000,
};

enum class Edge { kRaised, kSunken };
enum class GradientDirection { kHorizontal, kVertical };

// Painting on a bitmap or a window surface. Coordinates are those of the
// target (a window's client area); the clip limits where anything lands.
class DeviceContext {
public:
    explicit DeviceContext(Bitmap& target);
    DeviceContext(Bitmap& target, const Rect& clip);
    ~DeviceContext();
    DeviceContext(const DeviceContext&) = delete;
    DeviceContext& operator=(const DeviceContext&) = delete;

    void fillRect(const Rect& rect, Colour colour);
    void fillGradient(const Rect& rect, Colour from, Colour to, GradientDirection direction);
    void frameRect(const Rect& rect, Colour colour);
    void drawLine(Point from, Point to, Colour colour, int width = 1);
    void fillEllipse(const Rect& rect, Colour colour);
    // Two-pixel 3-D edge around the rectangle.
    void drawEdge(const Rect& rect, Edge edge);
    // Copies a bitmap (with its alpha) to the point; disabled draws it grey and faded.
    void drawBitmap(const Bitmap& bitmap, Point at, bool disabled = false);
    void drawBitmap(const Bitmap& bitmap, const Rect& source, Point at);
    void drawBitmapScaled(const Bitmap& bitmap, const Rect& target);
    // Draws the icon's opaque pixels; disabled draws them grey and faded.
    void drawIcon(const Icon& icon, Point at, bool disabled = false);

    void selectFont(const Font& font) { font_ = font; }
    const Font& font() const { return font_; }
    void setTextColour(Colour colour) { textColour_ = colour; }
    Colour textColour() const { return textColour_; }

    // Draws the text in the rectangle as the flags say and returns the height
    // it takes; with DT_CALCRECT it only measures. With DT_EXPANDTABS a tab
    // moves to the next stop (every 8 average character widths, or with
    // DT_TABSTOP every (flags >> 8) & 0xFF); without it a tab is a blank.
    int drawText(std::string_view text, const Rect& rect, uint32_t flags = DT_LEFT);
    void drawTextAt(std::string_view text, Point at);
    Size measureText(std::string_view text) const;

    // Narrows the clip; undone when the returned guard goes.
    class ClipGuard {
    public:
        ClipGuard(DeviceContext& dc, const Rect& rect);
        ~ClipGuard();
        ClipGuard(const ClipGuard&) = delete;
        ClipGuard& operator=(const ClipGuard&) = delete;

    private:
        cairo_t* cr_;
    };

    cairo_t* cairo() const { return cr_; }

private:
    cairo_t* cr_;
    Font font_;
    Colour textColour_ = colours::kWindowText;
};

// Measuring without a target. Tabs are expanded to the default stops.
Size measureText(const Font& font, std::string_view text);
// The font's average character width: the unit of tab stops.
int averageCharWidth(const Font& font);
// Height the text takes when word-wrapped into the width.
int wrappedTextHeight(const Font& font, std::string_view text, int width);
// The text as drawn: "&&" becomes "&" and a lone "&" vanishes.
std::string stripMnemonics(std::string_view text);

}  // namespace kestrova::platform
