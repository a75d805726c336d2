#include "kestrova/platform/screen.h"

#include <charconv>
#include <mutex>

namespace kestrova::platform {
namespace {

std::mutex gMutex;
ScreenSpec gScreen;

bool parseNumber(std::string_view text, int& out) {
    if (text.empty()) return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::optional<ScreenSpec> parseScreenSpec(std::string_view text) {
    auto x = text.find('x');
    auto at = text.find('@');
    if (x == std::string_view::npos || at == std::string_view::npos || at < x) return std::nullopt;
    ScreenSpec spec;
    if (!parseNumber(text.substr(0, x), spec.width) || !parseNumber(text.substr(x + 1, at - x - 1), spec.height) ||
        !parseNumber(text.substr(at + 1), spec.dpi))
        return std::nullopt;
    if (spec.width < 100 || spec.height < 100 || spec.width > 4096 || spec.height > 4096) return std::nullopt;
    if (spec.dpi < 50 || spec.dpi > 600) return std::nullopt;
    return spec;
}

std::string formatScreenSpec(const ScreenSpec& s) {
    return std::to_string(s.width) + "x" + std::to_string(s.height) + "@" + std::to_string(s.dpi);
}

ScreenSpec screen() {
    std::lock_guard lock(gMutex);
    return gScreen;
}

void setScreen(const ScreenSpec& spec) {
    std::lock_guard lock(gMutex);
    gScreen = spec;
}

int screenDpi() { return screen().dpi; }

// Both bars are a fifth of an inch high: 26 pixels on the 131 dpi screen.
int navBarHeight() { return (screenDpi() + 2) / 5; }
int softKeyBarHeight() { return (screenDpi() + 2) / 5; }

Rect screenRect() {
    ScreenSpec s = screen();
    return {0, 0, s.width, s.height};
}

Rect workArea() {
    ScreenSpec s = screen();
    return {0, navBarHeight(), s.width, s.height - softKeyBarHeight()};
}

}  // namespace kestrova::platform
