#include "static_item.h"

#include "kestrova/bus.h"
#include "kestrova/platform/icon_resources.h"

namespace kestrova::shell {

void StaticItem::loadIcon(void* module, const char* name) {
    icon_ = module && name ? platform::loadIcon(module, platform::ResourceName{name}, iconSize()) : nullptr;
}

void StaticItem::contextMenu(int x, int y) {
    RY_OverviewContextMenu asked{this, x, y};
    bus::raise(names::kOverviewItemOnContextMenu, &asked);
}

} // namespace kestrova::shell
