#include "kestrova/kit/texts.h"

#include "kestrova/kit/own_module.h"
#include "kestrova/platform/string_table.h"

namespace kestrova::kit {

const std::string& text(uint32_t number) { return platform::loadString(ownModule(), number); }

}  // namespace kestrova::kit
