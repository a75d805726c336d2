#include "tab.h"

#include "section_list/row_drawing.h"

namespace kestrova::shell {

using namespace kestrova::platform;

void paintTabText(DeviceContext& dc, const std::string& text, const Rect& area, const TabLook& look) {
    dc.selectFont(*look.font);
    dc.setTextColour(rowColours::kText);
    dc.drawText(text, area, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

int TextTab::contentWidth(const TabLook& look) const {
    return measureText(*look.font, text_).width;
}

void TextTab::paintContent(DeviceContext& dc, const Rect& content, const TabLook& look) const {
    paintTabText(dc, text_, content, look);
}

} // namespace kestrova::shell
