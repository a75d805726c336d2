// The messaging plug-in's own resources: its module handle (by which its
// icons, sound and string table are found) and its icons, loaded once each.
#pragma once

#include "kestrova/platform/icon_resources.h"

namespace kestrova::messaging {

void* messagingModule();
// The module's icon at that size; null when it has none.
const platform::Icon* messagingIcon(const platform::ResourceName& name, int size);

} // namespace kestrova::messaging
