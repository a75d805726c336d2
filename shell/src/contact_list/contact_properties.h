// Where a contact's "Properties" entry leads: the Contact Properties window,
// which is made once and reused; the connection plug-in has it. Tests
// install an opener of their own; the contact list only asks for it.
#pragma once

#include <functional>

#include "kestrova/api.h"

namespace kestrova::shell {

using ContactPropertiesOpener = std::function<void(HCONTACT)>;

// Replaces the opener; an empty one removes it.
void setContactPropertiesOpener(ContactPropertiesOpener opener);
// Without an installed opener the connection plug-in's screen shows it.
void openContactProperties(HCONTACT contact);

} // namespace kestrova::shell
