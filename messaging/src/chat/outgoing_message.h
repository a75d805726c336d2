// A complete message the user composed (a text, a photo), made as the chat
// window takes it: a new local id, the content type and the whole body.
#pragma once

#include <string_view>

#include "kestrova/kit/handles.h"

namespace kestrova::messaging {

kit::OwnedMessage makeOutgoingMessage(const char* contentType, std::string_view body);

} // namespace kestrova::messaging
