// How the service functions find the contacts this plug-in made. The map
// from contact id to contact handle belongs to contact synchronisation,
// which fills it from the profile; the service functions only look ids up.
#pragma once

#include "kestrova/api.h"

#include <cstdint>

namespace kestrova::connection {

class ContactLookup {
public:
    virtual ~ContactLookup() = default;
    // The contact of that id (the account's own id included, once the logon
    // profile has been loaded), without a new reference; null when unknown.
    virtual HCONTACT contactById(uint64_t contactId) const = 0;
};

// FIXME: stands in until contact synchronisation owns the id map; knows nobody.
class NoContacts final : public ContactLookup {
public:
    HCONTACT contactById(uint64_t) const override { return nullptr; }
};

}  // namespace kestrova::connection
