#include "drawing/text_layout.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <map>

namespace kestrova::platform {
namespace detail {
namespace {

void setColour(cairo_t* cr, Colour c) {
    cairo_set_source_rgba(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0, c.a / 255.0);
}

} // namespace

cairo_t* measuringContext() {
    static cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    static cairo_t* cr = cairo_create(surface);
    return cr;
}

void applyTabStops(PangoLayout* layout, const Font& font, int tabChars) {
    int stop = std::max(1, tabChars) * averageCharWidth(font);
    // One stop: later tabs repeat its spacing.
    PangoTabArray* tabs = pango_tab_array_new_with_positions(1, TRUE, PANGO_TAB_LEFT, stop);
    pango_layout_set_tabs(layout, tabs);
    pango_tab_array_free(tabs);
}

TextLayout::TextLayout(const Font& font, std::string_view utf8, int wrapWidth)
    : layout_(pango_cairo_create_layout(measuringContext())), text_(utf8) {
    static const Font fallback("Tahoma", -12);
    const Font& used = font.valid() ? font : fallback;
    pango_layout_set_font_description(layout_, used.description());
    pango_layout_set_text(layout_, text_.data(), static_cast<int>(text_.size()));
    applyTabStops(layout_, used, 8);
    if (wrapWidth >= 0) {
        pango_layout_set_width(layout_, std::max(1, wrapWidth) * PANGO_SCALE);
        pango_layout_set_wrap(layout_, PANGO_WRAP_WORD_CHAR);
    }
    PangoLayoutIter* iter = pango_layout_get_iter(layout_);
    do {
        PangoLayoutLine* line = pango_layout_iter_get_line_readonly(iter);
        int y0 = 0, y1 = 0;
        pango_layout_iter_get_line_yrange(iter, &y0, &y1);
        size_t start = static_cast<size_t>(line->start_index);
        lines_.push_back({start, start + static_cast<size_t>(line->length), PANGO_PIXELS(y0),
                          PANGO_PIXELS(y1) - PANGO_PIXELS(y0)});
    } while (pango_layout_iter_next_line(iter));
    pango_layout_iter_free(iter);
}

TextLayout::~TextLayout() {
    g_object_unref(layout_);
}

Size TextLayout::size() const {
    int w = 0, h = 0;
    pango_layout_get_pixel_size(layout_, &w, &h);
    return {w, h};
}

int TextLayout::lineOf(size_t byte) const {
    int line = 0, x = 0;
    pango_layout_index_to_line_x(layout_, static_cast<int>(std::min(byte, text_.size())), FALSE, &line, &x);
    return std::clamp(line, 0, lineCount() - 1);
}

Rect TextLayout::caretAt(size_t byte) const {
    PangoRectangle strong;
    pango_layout_get_cursor_pos(layout_, static_cast<int>(std::min(byte, text_.size())), &strong, nullptr);
    int x = PANGO_PIXELS(strong.x), y = PANGO_PIXELS(strong.y);
    return {x, y, x + 1, y + std::max(1, PANGO_PIXELS(strong.height))};
}

size_t TextLayout::byteAt(Point p) const {
    int index = 0, trailing = 0;
    pango_layout_xy_to_index(layout_, p.x * PANGO_SCALE, p.y * PANGO_SCALE, &index, &trailing);
    const char* at = text_.c_str() + index;
    if (trailing > 0) at = g_utf8_offset_to_pointer(at, trailing);
    return std::min(static_cast<size_t>(at - text_.c_str()), text_.size());
}

void TextLayout::highlight(size_t from, size_t to, Colour background, Colour foreground) {
    if (from >= to) return;
    PangoAttrList* list = pango_attr_list_new();
    PangoAttribute* bg =
        pango_attr_background_new(background.r * 257, background.g * 257, background.b * 257);
    PangoAttribute* fg =
        pango_attr_foreground_new(foreground.r * 257, foreground.g * 257, foreground.b * 257);
    for (PangoAttribute* a : {bg, fg}) {
        a->start_index = static_cast<guint>(from);
        a->end_index = static_cast<guint>(to);
        pango_attr_list_insert(list, a);
    }
    pango_layout_set_attributes(layout_, list);
    pango_attr_list_unref(list);
}

void TextLayout::draw(DeviceContext& dc, Point at, Colour colour) const {
    cairo_t* cr = dc.cairo();
    pango_cairo_update_layout(cr, layout_);
    setColour(cr, colour);
    cairo_move_to(cr, at.x, at.y);
    pango_cairo_show_layout(cr, layout_);
}

} // namespace detail

int averageCharWidth(const Font& font) {
    static const Font fallback("Tahoma", -12);
    const PangoFontDescription* description = (font.valid() ? font : fallback).description();
    char* name = pango_font_description_to_string(description);
    std::string key = name;
    g_free(name);
    thread_local std::map<std::string, int> known;
    if (auto it = known.find(key); it != known.end()) return it->second;
    PangoContext* context = pango_cairo_create_context(detail::measuringContext());
    PangoFontMetrics* metrics = pango_context_get_metrics(context, description, nullptr);
    int width = std::max(1, PANGO_PIXELS(pango_font_metrics_get_approximate_char_width(metrics)));
    pango_font_metrics_unref(metrics);
    g_object_unref(context);
    known.emplace(std::move(key), width);
    return width;
}

} // namespace kestrova::platform
