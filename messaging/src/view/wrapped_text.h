// A message's text laid out once, word-wrapped at a width, and drawn line by
// line: only the lines inside the painted area cost anything, so a message
// of a hundred screens paints as fast as a short one.
//
// NOTE: the platform's drawText lays its text out anew on every call; the
// view keeps this layout per visible message instead, and drops it when the
// message scrolls out of sight.
#pragma once

#include <memory>
#include <string_view>

#include "kestrova/platform/dc.h"

typedef struct _PangoLayout PangoLayout;

namespace kestrova::messaging {

class WrappedText {
  public:
    // text must be valid UTF-8; tabs are expanded, nothing else is interpreted.
    WrappedText(const platform::Font& font, std::string_view text, int width);
    ~WrappedText();
    WrappedText(const WrappedText&) = delete;
    WrappedText& operator=(const WrappedText&) = delete;

    int width() const { return width_; }
    int height() const { return height_; }
    // Draws the lines that meet the DC's clip area (given as visible, in the
    // DC's coordinates) with their top-left corner at origin.
    void draw(platform::DeviceContext& dc, platform::Point origin, const platform::Rect& visible,
              platform::Colour colour) const;

  private:
    struct LayoutDeleter {
        void operator()(PangoLayout* layout) const;
    };
    std::unique_ptr<PangoLayout, LayoutDeleter> layout_;
    int width_ = 0;
    int height_ = 0;
};

} // namespace kestrova::messaging
