// How the service functions find the contacts this plug-in made. The map
// from contact id to contact handle belongs to contact synchronisation,
// which fills it from the profile; the service functions only look ids up.
//
// The lookup gives the contact of an id (the account's own id included,
// once the logon profile has been loaded) with a new reference for the
// caller, or null when the id is unknown. It never creates a contact.
#pragma once

#include "kestrova/api.h"

#include <cstdint>
#include <functional>

namespace kestrova::connection {

using ContactLookup = std::function<HCONTACT(uint64_t contactId)>;

}  // namespace kestrova::connection
