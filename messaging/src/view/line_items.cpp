#include "line_items.h"

#include "message_time.h"

namespace kestrova::messaging {
namespace {

using platform::Colour;
using platform::rgb;

constexpr Colour kSelection = rgb(187, 205, 225);
constexpr Colour kGrey = rgb(156, 157, 159);
constexpr Colour kBlue = rgb(0, 0, 255);

} // namespace

void paintLineSelection(const ItemPaint& p) {
    if (p.selected && p.viewFocused) p.dc.fillRect(p.rect.inset(1, 1), kSelection);
}

LineItem::LineItem(MessageView& view, std::string text, Colour colour)
    : ChatItem(view), text_(std::move(text)), colour_(colour), made_(platform::unixNow()) {}

int LineItem::height(const ViewMetrics& m, int) {
    return m.lineItemHeight;
}

void LineItem::paintSelection(const ItemPaint& p) {
    paintLineSelection(p);
}

void LineItem::paint(const ItemPaint& p) {
    const ViewMetrics& m = p.metrics;
    platform::Rect area{p.rect.left + m.contentLeft(), p.rect.top,
                        p.rect.left + m.contentRight(p.rect.width()), p.rect.bottom};
    p.dc.selectFont(m.normalFont);
    std::string time = clockTimeText(made_);
    p.dc.setTextColour(kGrey);
    int timeWidth = p.dc.measureText(time).width;
    p.dc.drawText(time, area, platform::DT_RIGHT | platform::DT_SINGLELINE | platform::DT_VCENTER);
    platform::Rect textArea = area;
    textArea.right = std::max(textArea.left, area.right - timeWidth - 4);
    p.dc.setTextColour(colour_);
    p.dc.drawText(text_, textArea,
                  platform::DT_LEFT | platform::DT_SINGLELINE | platform::DT_VCENTER | platform::DT_NOPREFIX |
                      platform::DT_END_ELLIPSIS);
}

StatusLineItem::StatusLineItem(MessageView& view, std::string text)
    : LineItem(view, std::move(text), kGrey) {}

AdminItem::AdminItem(MessageView& view, std::string text) : LineItem(view, std::move(text), kBlue) {}

} // namespace kestrova::messaging
