#include "row_drawing.h"

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "kestrova/kit/own_module.h"
#include "kestrova/platform/icon_resources.h"

namespace kestrova::shell {

using namespace kestrova::platform;

namespace {

const Icon* cached(const ResourceName& name, int size) {
    static std::map<std::pair<std::string, int>, IconPtr> icons;
    std::string key = name.text.empty() ? std::to_string(name.number) : name.text;
    auto [at, added] = icons.try_emplace({key, size});
    if (added) at->second = loadIcon(kit::ownModule(), name, size);
    return at->second.get();
}

// Measuring a font's line takes a text layout; the rows ask for it on every line.
int lineHeightOf(const Font& font) {
    static std::map<std::pair<int, int>, int> heights;
    auto [at, added] = heights.try_emplace({font.pixelHeight(), font.weight()}, 0);
    if (added) at->second = font.lineHeight();
    return at->second;
}

} // namespace

const Icon* programIcon(std::string_view name, int size) {
    return cached(ResourceName{std::string(name)}, size);
}

const Icon* programIcon(uint32_t number, int size) {
    return cached(ResourceName{{}, number}, size);
}

void drawCentredIcon(DeviceContext& dc, const Icon* icon, const Rect& cell, bool disabled) {
    if (!icon) return;
    Point at{cell.left + (cell.width() - icon->width()) / 2, cell.top + (cell.height() - icon->height()) / 2};
    dc.drawIcon(*icon, at, disabled);
}

int drawTextLine(DeviceContext& dc, std::string_view text, int x, int top, int right, int height,
                 const Font& font, Colour colour) {
    if (text.empty() || x >= right) return x;
    dc.selectFont(font);
    dc.setTextColour(colour);
    // NOTE: a line is shorter than the font's own line height on small
    // screens; the text is centred on the band and may reach past it.
    int textHeight = lineHeightOf(font);
    Rect band{x, top + (height - textHeight) / 2, right, top + (height - textHeight) / 2 + textHeight};
    dc.drawText(text, band, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    return std::min(right, x + dc.measureText(text).width);
}

} // namespace kestrova::shell
