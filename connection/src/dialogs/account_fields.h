// The account fields the Add a Service screen asks for, by network, and the
// register record built from what was typed into them.
#pragma once

#include "kestrova/bus_records.h"

#include <optional>
#include <string>
#include <vector>

namespace kestrova::connection {

// The XMPP server preset on the screen, and the one a GTalk account always
// names: a public server that has long taken new accounts.
inline constexpr char kDefaultXmppServer[] = "jabber.org";
inline constexpr char kDefaultXmppPort[] = "5222";
inline constexpr char kDefaultResource[] = "Kestrova";

struct AccountField {
    std::string name; // also the label on the screen
    bool required = false;
    bool hidden = false;
    std::string preset;
};

std::vector<AccountField> accountFieldsFor(const std::string& typeShortName);

// The record for "ServiceType/%p/Register" from the values typed, one per
// field in order; null when a required field is empty. Empty optional
// fields and the XMPP default port are left out; a GTalk account names its
// server and resource itself.
std::optional<RY_ServiceTypeRegistration> registrationRecord(HSERVICETYPE type,
                                                             const std::string& typeShortName,
                                                             const std::vector<AccountField>& fields,
                                                             const std::vector<std::string>& values);

} // namespace kestrova::connection
