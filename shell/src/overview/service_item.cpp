#include "service_item.h"

#include "kestrova/bus.h"
#include "kestrova/platform/icon_resources.h"
#include "kestrova/platform/menu.h"
#include "kestrova/ui/fonts.h"
#include "section_list/row_drawing.h"
#include "section_list/section_list.h"
#include "service_lines.h"

namespace kestrova::shell {

using namespace kestrova::platform;

namespace {
constexpr char kDefaultServiceIcon[] = "CONTACT_MOBILE";
} // namespace

ServiceItem::ServiceItem(SectionList& list, HSERVICE service)
    : list_(list), service_(kit::OwnedService::share(service)) {
    readRecord();
    changes_ = kit::subscribe(service, [this](HSERVICE) {
        readRecord();
        // The number of lines, and so the height, may have changed.
        list_.layOut();
    });
}

int ServiceItem::iconSize() const {
    return list_.metrics().overviewIconSize();
}

void ServiceItem::readRecord() {
    record_ = kit::ServiceRecord(service_.get()).read();
    lines_ = serviceItemLines(record_);
    int size = iconSize();
    icon_ = record_.iconModule && record_.iconResource
                ? loadIcon(record_.iconModule, ResourceName{{}, record_.iconResource}, size)
                : nullptr;
    RY_IconResource overlay{};
    RY_GetStateOverlayIconResource(&overlay, record_.desiredStatus);
    overlay_ = overlay.module ? loadIcon(overlay.module,
                                         ResourceName{overlay.name ? overlay.name : "", overlay.number}, size)
                              : nullptr;
}

int ServiceItem::height() const {
    return list_.metrics().serviceItem(static_cast<int>(lines_.size()));
}

void ServiceItem::paint(DeviceContext& dc, const Rect& rect) {
    RowMetrics metrics = list_.metrics();
    Rect cell{rect.left, rect.top, rect.left + metrics.iconCell(), rect.bottom};
    const Icon* base = icon_ ? icon_.get() : programIcon(kDefaultServiceIcon, iconSize());
    bool signedOut = record_.presence == RY_PRESENCE_OFFLINE;
    drawCentredIcon(dc, base, cell, signedOut);
    drawCentredIcon(dc, overlay_.get(), cell);
    int lineHeight = metrics.unit();
    int y = rect.top + (rect.height() - lineHeight * static_cast<int>(lines_.size())) / 2;
    for (size_t i = 0; i < lines_.size(); ++i, y += lineHeight)
        drawTextLine(dc, lines_[i], cell.right, y, rect.right - 2, lineHeight,
                     i == 0 ? ui::boldFont() : ui::normalFont(),
                     i == 0 ? rowColours::kText : rowColours::kGrey);
}

std::string ServiceItem::text() const {
    std::string out;
    for (const std::string& line : lines_)
        out += (out.empty() ? "" : "\n") + line;
    return out;
}

void ServiceItem::activate() {
    RY_PresenceStatusArgs status{record_.presence == RY_PRESENCE_OFFLINE ? RY_PRESENCE_ONLINE
                                                                         : RY_PRESENCE_OFFLINE};
    bus::call(names::kServiceSetPresenceStatus, service_.get(), &status);
}

void ServiceItem::contextMenu(int x, int y) {
    // Held: the menu's nested loop may see the service go.
    kit::OwnedService service = kit::OwnedService::share(service_.get());
    UniqueMenu menu(bus::call(names::kServiceCreatePopupMenu, service.get()));
    int command = menu.get()
                      ? trackPopupMenu(menu.get(), TPM_BOTTOMALIGN | TPM_RETURNCMD, Point{x, y}, list_.hwnd())
                      : 0;
    menu.reset();
    bus::call(names::kServiceHandlePopupMenu, service.get(), static_cast<uint32_t>(command));
}

} // namespace kestrova::shell
