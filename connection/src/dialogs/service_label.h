// How the screens name a service and a service type: the type's short name
// ("XMPP"), or "Kestrova" for the account's own service, which has no type;
// and the type's icon.
#pragma once

#include "kestrova/api.h"
#include "kestrova/platform/icon.h"

#include <string>

namespace kestrova::connection {

std::string serviceTypeShortName(HSERVICETYPE type);
std::string serviceTypeDisplayName(HSERVICETYPE type);
// The icon the type names, at `size` pixels; null when it names none.
platform::IconPtr serviceTypeIcon(HSERVICETYPE type, int size);
// "XMPP - ann@example.org": the type's short name, then the account's user name.
std::string serviceLabel(HSERVICE service);

} // namespace kestrova::connection
