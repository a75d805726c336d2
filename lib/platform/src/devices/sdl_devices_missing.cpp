// Without SDL there is no desktop sound or clipboard.
#include "devices/audio_endpoint.h"
#include "devices/sdl_services.h"

namespace kestrova::platform::detail {

std::unique_ptr<OutputEndpoint> makeSdlOutput() {
    return nullptr;
}
std::unique_ptr<InputEndpoint> makeSdlInput() {
    return nullptr;
}
bool sdlSetClipboardText(const std::string&) {
    return false;
}
std::optional<std::string> sdlClipboardText() {
    return std::nullopt;
}

} // namespace kestrova::platform::detail
