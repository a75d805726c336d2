#include "section_header_row.h"

#include "kestrova/ui/fonts.h"
#include "row_drawing.h"
#include "section_list.h"

namespace kestrova::shell {

using namespace kestrova::platform;

namespace {
constexpr Colour kBandTop{236, 239, 244};
constexpr Colour kBandBottom{214, 221, 232};
constexpr Colour kBandLine{190, 198, 212};
} // namespace

void SectionHeaderRow::paint(DeviceContext& dc, const Rect& rect) {
    RowMetrics metrics = list_.metrics();
    // The band would hide the selection drawn under it, so a selected header
    // is banded in the selection's colour.
    bool marked = list_.selectedRow() == this && focusWindow() == list_.hwnd();
    if (marked)
        dc.fillRect(rect.inset(1, 1), rowColours::kSelection);
    else
        dc.fillGradient(rect, kBandTop, kBandBottom, GradientDirection::kVertical);
    dc.drawLine({rect.left, rect.bottom - 1}, {rect.right, rect.bottom - 1}, kBandLine);
    Rect cell{rect.left, rect.top, rect.left + metrics.iconCell(), rect.bottom};
    const char* icon = section_.collapsed ? "GROUP_CONTRACTED" : "GROUP_EXPANDED";
    drawCentredIcon(dc, programIcon(icon, metrics.iconSize()), cell);
    drawTextLine(dc, section_.title, cell.right, rect.top, rect.right - 2, rect.height(), ui::boldFont(),
                 rowColours::kText);
}

int SectionHeaderRow::height() const {
    return list_.metrics().sectionHeader();
}

void SectionHeaderRow::activate() {
    list_.toggle(section_);
}

} // namespace kestrova::shell
