// Text laid out once and asked about positions inside it: where the caret of
// a byte offset stands, which offset lies under a point, where lines begin.
// Controls that edit or select text use it; drawText serves everything else.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "kestrova/platform/dc.h"

typedef struct _PangoLayout PangoLayout;

namespace kestrova::platform::detail {

// A cairo context for measuring text where there is no target.
cairo_t* measuringContext();
// Tab stops every tabChars average character widths of the font.
void applyTabStops(PangoLayout* layout, const Font& font, int tabChars);

class TextLayout {
  public:
    // wrapWidth < 0: one line per paragraph, no wrapping.
    TextLayout(const Font& font, std::string_view utf8, int wrapWidth = -1);
    ~TextLayout();
    TextLayout(const TextLayout&) = delete;
    TextLayout& operator=(const TextLayout&) = delete;

    Size size() const;
    int lineCount() const { return static_cast<int>(lines_.size()); }
    int lineOf(size_t byte) const;
    int lineTop(int line) const { return lines_[static_cast<size_t>(line)].top; }
    int lineHeight(int line) const { return lines_[static_cast<size_t>(line)].height; }
    // First byte of the line and the byte after its last character (before
    // a line break).
    size_t lineStart(int line) const { return lines_[static_cast<size_t>(line)].start; }
    size_t lineEnd(int line) const { return lines_[static_cast<size_t>(line)].end; }
    // The caret before the byte: x, top and height in layout pixels.
    Rect caretAt(size_t byte) const;
    // The caret offset nearest to a point in layout pixels.
    size_t byteAt(Point p) const;
    // Draws [from, to) on a coloured band.
    void highlight(size_t from, size_t to, Colour background, Colour foreground);
    void draw(DeviceContext& dc, Point at, Colour colour) const;

  private:
    struct Line {
        size_t start;
        size_t end;
        int top;
        int height;
    };
    PangoLayout* layout_;
    std::string text_;
    std::vector<Line> lines_;
};

} // namespace kestrova::platform::detail
