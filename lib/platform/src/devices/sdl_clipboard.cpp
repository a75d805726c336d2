#include <SDL.h>

#include "devices/sdl_services.h"

namespace kestrova::platform::detail {

bool sdlSetClipboardText(const std::string& text) {
    return SDL_SetClipboardText(text.c_str()) == 0;
}

std::optional<std::string> sdlClipboardText() {
    if (!SDL_HasClipboardText()) return std::nullopt;
    char* text = SDL_GetClipboardText();
    if (!text) return std::nullopt;
    std::string copy(text);
    SDL_free(text);
    if (copy.empty()) return std::nullopt;
    return copy;
}

} // namespace kestrova::platform::detail
