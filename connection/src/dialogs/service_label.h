// How the screens name a service and a service type: the type's short name
// ("XMPP"), or "Kestrova" for the account's own service, which has no type.
#pragma once

#include "kestrova/api.h"

#include <string>

namespace kestrova::connection {

std::string serviceTypeShortName(HSERVICETYPE type);
std::string serviceTypeDisplayName(HSERVICETYPE type);
// "XMPP - ann@example.org": the type's short name, then the account's user name.
std::string serviceLabel(HSERVICE service);

} // namespace kestrova::connection
