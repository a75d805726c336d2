#include "texts.h"

#include "kestrova/kit/texts.h"

namespace kestrova::messaging {

const std::string& text(uint32_t number) {
    return kit::text(number);
}

} // namespace kestrova::messaging
