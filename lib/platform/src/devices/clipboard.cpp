#include "kestrova/platform/clipboard.h"

#include <mutex>

#include "devices/sdl_services.h"
#include "kestrova/platform/display.h"
#include "kestrova/platform/text.h"

namespace kestrova::platform {
namespace {

std::mutex gMutex;
std::optional<std::string> gText;

bool onDesktop() {
    return currentDisplay() == DisplayKind::kSdl;
}

} // namespace

bool setClipboardText(std::string_view text) {
    if (!isValidUtf8(text)) return false;
    // NOTE: a NUL would cut the text short on the desktop; the clipboard
    // takes the text up to it, as a C string would.
    std::string copy(text.substr(0, text.find('\0')));
    if (onDesktop()) return detail::sdlSetClipboardText(copy);
    std::lock_guard lock(gMutex);
    gText = copy.empty() ? std::nullopt : std::optional(copy);
    return true;
}

std::optional<std::string> clipboardText() {
    if (onDesktop()) return detail::sdlClipboardText();
    std::lock_guard lock(gMutex);
    return gText;
}

} // namespace kestrova::platform
