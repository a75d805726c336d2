// Where a contact's "Properties" entry leads: the Contact Properties window,
// which is made once and reused. The screen that shows it installs its
// opener here at start-up; the contact list only asks for it.
#pragma once

#include <functional>

#include "kestrova/api.h"

namespace kestrova::shell {

using ContactPropertiesOpener = std::function<void(HCONTACT)>;

// Replaces the opener; an empty one removes it.
void setContactPropertiesOpener(ContactPropertiesOpener opener);
// FIXME: until the Contact Properties window exists nobody installs an
// opener, and the menu entry does nothing.
void openContactProperties(HCONTACT contact);

} // namespace kestrova::shell
