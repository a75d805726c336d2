#include "kestrova/platform/dc.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>

#include "drawing/text_layout.h"

namespace kestrova::platform {
namespace {

void setColour(cairo_t* cr, Colour c) {
    cairo_set_source_rgba(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0, c.a / 255.0);
}

// "Tahoma" may be absent; naming the fallback keeps the look predictable
// even where fontconfig has no alias for it.
std::string familyList(std::string_view face) {
    std::string families(face);
    if (!families.empty()) families += ",";
    return families + "DejaVu Sans,sans-serif";
}

using detail::measuringContext;

// Tabs stand every eight average character widths unless the caller names
// another count.
PangoLayout* makeLayout(cairo_t* cr, const Font& font, std::string_view text, int tabChars = 8) {
    PangoLayout* layout = pango_cairo_create_layout(cr);
    static const Font fallback("Tahoma", -12);
    const Font& used = font.valid() ? font : fallback;
    pango_layout_set_font_description(layout, used.description());
    pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));
    detail::applyTabStops(layout, used, tabChars);
    return layout;
}

// DT_EXPANDTABS expands tabs (DT_TABSTOP: the count of characters per stop
// in bits 8 to 15); otherwise a tab is drawn as one blank.
std::string textForFlags(std::string_view rawText, uint32_t flags) {
    std::string text = (flags & DT_NOPREFIX) ? std::string(rawText) : stripMnemonics(rawText);
    if (!(flags & DT_EXPANDTABS)) std::replace(text.begin(), text.end(), '\t', ' ');
    return text;
}

int tabCharsOf(uint32_t flags) {
    int count = (flags & DT_TABSTOP) ? static_cast<int>((flags >> 8) & 0xFF) : 8;
    return count > 0 ? count : 8;
}

struct LayoutOwner {
    PangoLayout* layout;
    ~LayoutOwner() { g_object_unref(layout); }
};

Size layoutSize(PangoLayout* layout) {
    int w = 0, h = 0;
    pango_layout_get_pixel_size(layout, &w, &h);
    return {w, h};
}

}  // namespace

std::string stripMnemonics(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&') {
            if (i + 1 < text.size() && text[i + 1] == '&') {
                out += '&';
                ++i;
            }
            continue;
        }
        out += text[i];
    }
    return out;
}

Font::Font(std::string_view face, int pixelHeight, int weight, bool italic)
    : pixelHeight_(pixelHeight), weight_(weight) {
    PangoFontDescription* d = pango_font_description_new();
    pango_font_description_set_family(d, familyList(face).c_str());
    // NOTE: a positive height names the whole cell; the em is about 80% of it.
    int em = pixelHeight < 0 ? -pixelHeight : std::max(1, pixelHeight * 4 / 5);
    pango_font_description_set_absolute_size(d, std::max(1, em) * PANGO_SCALE);
    pango_font_description_set_weight(d, static_cast<PangoWeight>(weight));
    pango_font_description_set_style(d, italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    description_.reset(d, pango_font_description_free);
}

int Font::lineHeight() const { return measureText(*this, "Ag").height; }

Bitmap::Bitmap(int width, int height)
    : surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, std::max(1, width), std::max(1, height))),
      width_(std::max(1, width)), height_(std::max(1, height)) {}

Bitmap::~Bitmap() { cairo_surface_destroy(surface_); }

Colour Bitmap::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return {0, 0, 0, 0};
    cairo_surface_flush(surface_);
    const unsigned char* data = cairo_image_surface_get_data(surface_);
    int stride = cairo_image_surface_get_stride(surface_);
    uint32_t v = *reinterpret_cast<const uint32_t*>(data + y * stride + x * 4);
    uint8_t a = v >> 24;
    auto unpremultiply = [a](uint32_t c) { return a ? uint8_t(std::min<uint32_t>(255, c * 255 / a)) : uint8_t(0); };
    return {unpremultiply((v >> 16) & 0xff), unpremultiply((v >> 8) & 0xff), unpremultiply(v & 0xff), a};
}

void Bitmap::setPixel(int x, int y, Colour c) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    cairo_surface_flush(surface_);
    unsigned char* data = cairo_image_surface_get_data(surface_);
    int stride = cairo_image_surface_get_stride(surface_);
    auto pre = [&](uint8_t v) { return uint32_t(v) * c.a / 255; };
    *reinterpret_cast<uint32_t*>(data + y * stride + x * 4) =
        (uint32_t(c.a) << 24) | (pre(c.r) << 16) | (pre(c.g) << 8) | pre(c.b);
    cairo_surface_mark_dirty(surface_);
}

void Bitmap::clear(Colour colour) {
    cairo_t* cr = cairo_create(surface_);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    setColour(cr, colour);
    cairo_paint(cr);
    cairo_destroy(cr);
}

bool Bitmap::savePng(const std::filesystem::path& path) const {
    return cairo_surface_write_to_png(surface_, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

std::unique_ptr<Bitmap> Bitmap::fromIcon(const Icon& icon) {
    auto bitmap = std::make_unique<Bitmap>(icon.width(), icon.height());
    auto pixels = icon.argbPixels();
    cairo_surface_flush(bitmap->surface_);
    unsigned char* data = cairo_image_surface_get_data(bitmap->surface_);
    int stride = cairo_image_surface_get_stride(bitmap->surface_);
    // Alpha is 0 or 255 only, so the pixels are already premultiplied once
    // the transparent ones are cleared.
    for (int y = 0; y < icon.height(); ++y)
        for (int x = 0; x < icon.width(); ++x) {
            uint32_t v = pixels[size_t(y) * size_t(icon.width()) + size_t(x)];
            *reinterpret_cast<uint32_t*>(data + y * stride + x * 4) = (v >> 24) ? v : 0;
        }
    cairo_surface_mark_dirty(bitmap->surface_);
    return bitmap;
}

DeviceContext::DeviceContext(Bitmap& target) : cr_(cairo_create(target.surface())) {}

DeviceContext::DeviceContext(Bitmap& target, const Rect& clip) : DeviceContext(target) {
    cairo_rectangle(cr_, clip.left, clip.top, clip.width(), clip.height());
    cairo_clip(cr_);
}

DeviceContext::~DeviceContext() { cairo_destroy(cr_); }

void DeviceContext::fillRect(const Rect& r, Colour colour) {
    if (r.empty()) return;
    setColour(cr_, colour);
    cairo_rectangle(cr_, r.left, r.top, r.width(), r.height());
    cairo_fill(cr_);
}

void DeviceContext::fillGradient(const Rect& r, Colour from, Colour to, GradientDirection direction) {
    if (r.empty()) return;
    cairo_pattern_t* p = direction == GradientDirection::kVertical
                             ? cairo_pattern_create_linear(0, r.top, 0, r.bottom)
                             : cairo_pattern_create_linear(r.left, 0, r.right, 0);
    cairo_pattern_add_color_stop_rgba(p, 0, from.r / 255.0, from.g / 255.0, from.b / 255.0, from.a / 255.0);
    cairo_pattern_add_color_stop_rgba(p, 1, to.r / 255.0, to.g / 255.0, to.b / 255.0, to.a / 255.0);
    cairo_set_source(cr_, p);
    cairo_rectangle(cr_, r.left, r.top, r.width(), r.height());
    cairo_fill(cr_);
    cairo_pattern_destroy(p);
}

void DeviceContext::frameRect(const Rect& r, Colour colour) {
    fillRect({r.left, r.top, r.right, r.top + 1}, colour);
    fillRect({r.left, r.bottom - 1, r.right, r.bottom}, colour);
    fillRect({r.left, r.top, r.left + 1, r.bottom}, colour);
    fillRect({r.right - 1, r.top, r.right, r.bottom}, colour);
}

void DeviceContext::drawLine(Point from, Point to, Colour colour, int width) {
    setColour(cr_, colour);
    cairo_set_line_width(cr_, width);
    cairo_set_line_cap(cr_, CAIRO_LINE_CAP_SQUARE);
    // Half-pixel offsets put one-pixel lines on pixel centres.
    double o = (width % 2) ? 0.5 : 0.0;
    cairo_move_to(cr_, from.x + o, from.y + o);
    cairo_line_to(cr_, to.x + o, to.y + o);
    cairo_stroke(cr_);
}

void DeviceContext::fillEllipse(const Rect& r, Colour colour) {
    if (r.empty()) return;
    setColour(cr_, colour);
    cairo_save(cr_);
    cairo_translate(cr_, r.left + r.width() / 2.0, r.top + r.height() / 2.0);
    cairo_scale(cr_, r.width() / 2.0, r.height() / 2.0);
    cairo_arc(cr_, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr_);
    cairo_fill(cr_);
}

void DeviceContext::drawEdge(const Rect& r, Edge edge) {
    bool raised = edge == Edge::kRaised;
    Colour outerLight = raised ? colours::kFace : colours::kShadow;
    Colour outerDark = raised ? colours::kDarkShadow : colours::kLight;
    Colour innerLight = raised ? colours::kLight : colours::kDarkShadow;
    Colour innerDark = raised ? colours::kShadow : colours::kFace;
    auto bevel = [&](const Rect& b, Colour light, Colour dark) {
        fillRect({b.left, b.top, b.right, b.top + 1}, light);
        fillRect({b.left, b.top, b.left + 1, b.bottom}, light);
        fillRect({b.left, b.bottom - 1, b.right, b.bottom}, dark);
        fillRect({b.right - 1, b.top, b.right, b.bottom}, dark);
    };
    bevel(r, outerLight, outerDark);
    bevel(r.inset(1, 1), innerLight, innerDark);
}

void DeviceContext::drawBitmap(const Bitmap& bitmap, Point at, bool disabled) {
    if (!disabled) {
        cairo_set_source_surface(cr_, bitmap.surface(), at.x, at.y);
        cairo_paint(cr_);
        return;
    }
    // Disabled: the shape in grey, at reduced strength.
    Bitmap grey(bitmap.width(), bitmap.height());
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x) {
            Colour c = bitmap.pixel(x, y);
            uint8_t l = uint8_t((c.r * 30 + c.g * 59 + c.b * 11) / 100 / 2 + 100);
            grey.setPixel(x, y, {l, l, l, c.a});
        }
    cairo_set_source_surface(cr_, grey.surface(), at.x, at.y);
    cairo_paint_with_alpha(cr_, 0.6);
}

void DeviceContext::drawIcon(const Icon& icon, Point at, bool disabled) {
    drawBitmap(*Bitmap::fromIcon(icon), at, disabled);
}

void DeviceContext::drawBitmap(const Bitmap& bitmap, const Rect& source, Point at) {
    cairo_save(cr_);
    cairo_rectangle(cr_, at.x, at.y, source.width(), source.height());
    cairo_clip(cr_);
    cairo_set_source_surface(cr_, bitmap.surface(), at.x - source.left, at.y - source.top);
    cairo_paint(cr_);
    cairo_restore(cr_);
}

void DeviceContext::drawBitmapScaled(const Bitmap& bitmap, const Rect& target) {
    if (target.empty()) return;
    cairo_save(cr_);
    cairo_translate(cr_, target.left, target.top);
    cairo_scale(cr_, double(target.width()) / bitmap.width(), double(target.height()) / bitmap.height());
    cairo_set_source_surface(cr_, bitmap.surface(), 0, 0);
    cairo_paint(cr_);
    cairo_restore(cr_);
}

int DeviceContext::drawText(std::string_view rawText, const Rect& rect, uint32_t flags) {
    int tabChars = tabCharsOf(flags);
    // NOTE: with DT_TABSTOP bits 8 to 15 hold the tab count, so the flags
    // that live there (DT_NOCLIP, DT_CALCRECT, DT_NOPREFIX) are off.
    if (flags & DT_TABSTOP) flags &= ~0xFF00u;
    std::string text = textForFlags(rawText, flags);
    LayoutOwner owner{makeLayout(cr_, font_, text, tabChars)};
    PangoLayout* layout = owner.layout;
    bool single = flags & DT_SINGLELINE;
    if (!single && (flags & DT_WORDBREAK)) {
        pango_layout_set_width(layout, std::max(1, rect.width()) * PANGO_SCALE);
        pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    } else if (flags & DT_END_ELLIPSIS) {
        pango_layout_set_width(layout, std::max(1, rect.width()) * PANGO_SCALE);
        pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
    }
    if (single) pango_layout_set_single_paragraph_mode(layout, TRUE);
    Size size = layoutSize(layout);
    if (flags & DT_CALCRECT) return size.height;

    int x = rect.left;
    if (flags & DT_CENTER) x = rect.left + (rect.width() - size.width) / 2;
    else if (flags & DT_RIGHT) x = rect.right - size.width;
    if (pango_layout_get_width(layout) > 0) {
        // Wrapped or ellipsized text is aligned by Pango inside the width.
        x = rect.left;
        pango_layout_set_alignment(layout, (flags & DT_CENTER)  ? PANGO_ALIGN_CENTER
                                           : (flags & DT_RIGHT) ? PANGO_ALIGN_RIGHT
                                                                : PANGO_ALIGN_LEFT);
    }
    int y = rect.top;
    if (single && (flags & DT_VCENTER)) y = rect.top + (rect.height() - size.height) / 2;
    else if (single && (flags & DT_BOTTOM)) y = rect.bottom - size.height;

    cairo_save(cr_);
    if (!(flags & DT_NOCLIP)) {
        cairo_rectangle(cr_, rect.left, rect.top, rect.width(), rect.height());
        cairo_clip(cr_);
    }
    setColour(cr_, textColour_);
    cairo_move_to(cr_, x, y);
    pango_cairo_show_layout(cr_, layout);
    cairo_restore(cr_);
    return size.height;
}

void DeviceContext::drawTextAt(std::string_view text, Point at) {
    LayoutOwner owner{makeLayout(cr_, font_, text)};
    setColour(cr_, textColour_);
    cairo_move_to(cr_, at.x, at.y);
    pango_cairo_show_layout(cr_, owner.layout);
}

Size DeviceContext::measureText(std::string_view text) const { return platform::measureText(font_, text); }

DeviceContext::ClipGuard::ClipGuard(DeviceContext& dc, const Rect& r) : cr_(dc.cr_) {
    cairo_save(cr_);
    cairo_rectangle(cr_, r.left, r.top, r.width(), r.height());
    cairo_clip(cr_);
}

DeviceContext::ClipGuard::~ClipGuard() { cairo_restore(cr_); }

Size measureText(const Font& font, std::string_view text) {
    LayoutOwner owner{makeLayout(measuringContext(), font, text)};
    return layoutSize(owner.layout);
}

int wrappedTextHeight(const Font& font, std::string_view text, int width) {
    LayoutOwner owner{makeLayout(measuringContext(), font, text)};
    pango_layout_set_width(owner.layout, std::max(1, width) * PANGO_SCALE);
    pango_layout_set_wrap(owner.layout, PANGO_WRAP_WORD_CHAR);
    return layoutSize(owner.layout).height;
}

}  // namespace kestrova::platform
