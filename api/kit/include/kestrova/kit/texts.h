// The user-visible texts of the module this code is linked into, by their
// number in its string table (resources/<module>/strings.txt,
// docs/RESOURCES.md). A number the table lacks gives the empty text.
#pragma once

#include <cstdint>
#include <string>

namespace kestrova::kit {

const std::string& text(uint32_t number);

}  // namespace kestrova::kit
