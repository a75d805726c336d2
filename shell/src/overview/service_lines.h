// The lines of a service's item on the overview, from its record: who the
// account is and what it is doing, the account's name (or an invitation to
// sign in), and why it went offline.
#pragma once

#include <string>
#include <vector>

#include "kestrova/kit/service_record.h"

namespace kestrova::shell {

// The state in words, or the empty text when there is none to show.
std::string serviceStateText(const kit::ServiceFields& service);
// The non-empty lines, top to bottom (at most three).
std::vector<std::string> serviceItemLines(const kit::ServiceFields& service);

} // namespace kestrova::shell
