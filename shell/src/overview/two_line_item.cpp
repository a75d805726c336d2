#include "two_line_item.h"

#include "home_texts.h"
#include "kestrova/kit/texts.h"
#include "kestrova/platform/menu.h"
#include "kestrova/ui/fonts.h"
#include "section_list/row_drawing.h"
#include "section_list/section_list.h"

namespace kestrova::shell {

using namespace kestrova::platform;

int TwoLineItem::height() const {
    return list_.metrics().overviewItem();
}

int TwoLineItem::iconSize() const {
    return list_.metrics().overviewIconSize();
}

void TwoLineItem::paint(DeviceContext& dc, const Rect& rect) {
    RowMetrics metrics = list_.metrics();
    Rect cell{rect.left, rect.top, rect.left + metrics.iconCell(), rect.bottom};
    drawCentredIcon(dc, icon(), cell);
    int lineHeight = metrics.unit();
    int y = rect.top + (rect.height() - 2 * lineHeight) / 2;
    int right = rect.right - 2;
    drawTextLine(dc, title(), cell.right, y, right, lineHeight, ui::boldFont(), rowColours::kText);
    drawTextLine(dc, line(), cell.right, y + lineHeight, right, lineHeight, ui::normalFont(),
                 rowColours::kGrey);
}

bool chooseViewMessages(SectionList& list, int x, int y) {
    constexpr int kViewMessages = 1;
    UniqueMenu menu(createPopupMenu());
    appendMenu(menu.get(), MF_STRING, kViewMessages, kit::text(texts::kMenuViewMessages));
    return trackPopupMenu(menu.get(), TPM_BOTTOMALIGN | TPM_RETURNCMD, Point{x, y}, list.hwnd()) ==
           kViewMessages;
}

} // namespace kestrova::shell
