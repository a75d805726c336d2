#include "wrapped_text.h"

#include <pango/pangocairo.h>

#include <algorithm>

namespace kestrova::messaging {
namespace {

// Every layout is made on one image surface's context, as the platform
// measures text, so heights agree with what it draws on window surfaces.
PangoContext* layoutContext() {
    static cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    static cairo_t* cr = cairo_create(surface);
    static PangoContext* context = pango_cairo_create_context(cr);
    return context;
}

} // namespace

void WrappedText::LayoutDeleter::operator()(PangoLayout* layout) const {
    g_object_unref(layout);
}

WrappedText::WrappedText(const platform::Font& font, std::string_view text, int width)
    : layout_(pango_layout_new(layoutContext())), width_(width) {
    PangoLayout* layout = layout_.get();
    pango_layout_set_font_description(layout, font.description());
    pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));
    pango_layout_set_width(layout, std::max(1, width) * PANGO_SCALE);
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    int w = 0;
    pango_layout_get_pixel_size(layout, &w, &height_);
}

WrappedText::~WrappedText() = default;

void WrappedText::draw(platform::DeviceContext& dc, platform::Point origin, const platform::Rect& visible,
                       platform::Colour colour) const {
    cairo_t* cr = dc.cairo();
    cairo_save(cr);
    cairo_set_source_rgba(cr, colour.r / 255.0, colour.g / 255.0, colour.b / 255.0, colour.a / 255.0);
    PangoLayoutIter* iter = pango_layout_get_iter(layout_.get());
    do {
        PangoRectangle logical;
        pango_layout_iter_get_line_extents(iter, nullptr, &logical);
        int top = origin.y + PANGO_PIXELS(logical.y);
        int bottom = origin.y + PANGO_PIXELS(logical.y + logical.height);
        if (bottom <= visible.top) continue;
        if (top >= visible.bottom) break;
        int baseline = pango_layout_iter_get_baseline(iter);
        cairo_move_to(cr, origin.x + PANGO_PIXELS(logical.x), origin.y + PANGO_PIXELS(baseline));
        pango_cairo_show_layout_line(cr, pango_layout_iter_get_line_readonly(iter));
    } while (pango_layout_iter_next_line(iter));
    pango_layout_iter_free(iter);
    cairo_restore(cr);
}

} // namespace kestrova::messaging
