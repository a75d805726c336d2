#include "devices/display_backend.h"

namespace kestrova::platform::detail {

std::unique_ptr<DisplayBackend> makeSdlBackend() { return nullptr; }

}  // namespace kestrova::platform::detail
