#include "overview_item.h"

#include "update_texts.h"

#include "kestrova/bus.h"
#include "kestrova/bus_records.h"

#include <string>
#include <utility>

namespace kestrova::updates {
namespace {

constexpr char kItemIcon[] = "DOWNLOAD";

} // namespace

OverviewItem::~OverviewItem() {
    hide();
    // NOTE: the overview offers no way to give a section handle back; the
    // empty section stays hidden until the next run.
}

void OverviewItem::show(std::string_view title, std::string_view text) {
    if (!section_) {
        RY_OverviewSectionArgs section{sizeof(RY_OverviewSectionArgs), texts::kSectionKey,
                                       texts::text(texts::kAutomaticUpdates).c_str(), 0};
        section_ = bus::call(names::kOverviewCreateSection, &section);
        if (!section_) return;
    }
    std::string titleText(title), bodyText(text);
    RY_OverviewItemArgs item{sizeof(RY_OverviewItemArgs),
                             section_,
                             item_,
                             titleText.c_str(),
                             bodyText.c_str(),
                             iconModule_,
                             kItemIcon};
    if (item_)
        bus::call(names::kOverviewUpdateStaticItem, &item);
    else
        item_ = bus::call(names::kOverviewAddStaticItem, &item);
}

void OverviewItem::hide() {
    if (!item_) return;
    bus::call(names::kOverviewDeleteItem, std::exchange(item_, nullptr));
}

} // namespace kestrova::updates
