#include "history_items.h"

#include "line_items.h"
#include "message_view.h"
#include "module_resources.h"
#include "texts.h"

namespace kestrova::messaging {
namespace {

using platform::Colour;
using platform::rgb;

struct Bands {
    Colour upper;
    Colour lower;
};
constexpr Bands kMarker{rgb(235, 235, 235), rgb(221, 221, 221)};
constexpr Bands kMarkerSelected{rgb(251, 238, 214), rgb(246, 219, 169)};
constexpr Colour kPlaceholderGrey = rgb(124, 125, 127);
constexpr int kChevronSize = 16;

} // namespace

int HistoryMarkerItem::height(const ViewMetrics& m, int) {
    return m.lineItemHeight;
}

void HistoryMarkerItem::activate() {
    view().host().historyMarkerActivated();
}

void HistoryMarkerItem::paint(const ItemPaint& p) {
    bool highlighted = p.selected && p.viewFocused;
    const Bands& bands = highlighted ? kMarkerSelected : kMarker;
    platform::Rect upper = p.rect, lower = p.rect;
    upper.bottom = lower.top = p.rect.top + p.rect.height() / 2;
    p.dc.fillRect(upper, bands.upper);
    p.dc.fillRect(lower, bands.lower);
    if (highlighted) p.dc.drawEdge(p.rect, platform::Edge::kRaised);
    if (const platform::Icon* chevron = messagingIcon({"CHEVERON_UP"}, kChevronSize))
        p.dc.drawIcon(*chevron, {p.rect.left + (p.rect.width() - kChevronSize) / 2,
                                 p.rect.top + (p.rect.height() - kChevronSize) / 2});
}

int HistoryPlaceholderItem::height(const ViewMetrics& m, int) {
    return m.placeholderHeight;
}

void HistoryPlaceholderItem::paintSelection(const ItemPaint& p) {
    paintLineSelection(p);
}

void HistoryPlaceholderItem::paint(const ItemPaint& p) {
    const ViewMetrics& m = p.metrics;
    int band = (m.dpi / 8) * 2;
    int top = p.rect.top + (p.rect.height() - band) / 2;
    platform::Rect first{p.rect.left + m.leftColumn, top, p.rect.right - m.rightMargin, top + band / 2};
    platform::Rect second{first.left, first.bottom, first.right, top + band};
    uint32_t line =
        platform::DT_LEFT | platform::DT_SINGLELINE | platform::DT_VCENTER | platform::DT_NOPREFIX;
    p.dc.selectFont(m.boldFont);
    p.dc.setTextColour(platform::colours::kWindowText);
    p.dc.drawText(text(texts::kPleaseWait), first, line);
    p.dc.selectFont(m.normalFont);
    p.dc.setTextColour(kPlaceholderGrey);
    p.dc.drawText(text(texts::kRetrievingHistory), second, line);
}

} // namespace kestrova::messaging
