#include "kestrova/platform/screen.h"

#include <algorithm>
#include <charconv>
#include <mutex>

namespace kestrova::platform {
namespace {

std::mutex gMutex;
ScreenGeometry gScreen;

bool parseNumber(std::string_view text, int& out) {
    if (text.empty()) return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::optional<ScreenGeometry> parseScreenGeometry(std::string_view text) {
    auto x = text.find('x');
    auto at = text.find('@');
    if (x == std::string_view::npos || at == std::string_view::npos || at < x) return std::nullopt;
    ScreenGeometry geometry;
    if (!parseNumber(text.substr(0, x), geometry.width) || !parseNumber(text.substr(x + 1, at - x - 1), geometry.height) ||
        !parseNumber(text.substr(at + 1), geometry.dpi))
        return std::nullopt;
    if (geometry.width < 100 || geometry.height < 100 || geometry.width > 4096 || geometry.height > 4096) return std::nullopt;
    if (geometry.dpi < 50 || geometry.dpi > 600) return std::nullopt;
    return geometry;
}

std::string formatScreenGeometry(const ScreenGeometry& s) {
    return std::to_string(s.width) + "x" + std::to_string(s.height) + "@" + std::to_string(s.dpi);
}

ScreenGeometry screen() {
    std::lock_guard lock(gMutex);
    return gScreen;
}

void setScreen(const ScreenGeometry& geometry) {
    std::lock_guard lock(gMutex);
    gScreen = geometry;
}

int screenDpi() { return screen().dpi; }

// Both bars are a fifth of an inch high: 26 pixels on the 131 dpi screen.
int navBarHeight() { return (screenDpi() + 2) / 5; }
int softKeyBarHeight() { return (screenDpi() + 2) / 5; }

Rect screenRect() {
    ScreenGeometry s = screen();
    return {0, 0, s.width, s.height};
}

// Icons come in whole multiples of 16 and 32: 96 to 143 dpi use 16 and 32
// pixels, 144 to 239 dpi 32 and 64, as the icon resources are drawn for.
int smallIconSize() { return 16 * std::max(1, (screenDpi() + 48) / 96); }
int largeIconSize() { return 2 * smallIconSize(); }

int systemMetric(SystemMetric metric) {
    switch (metric) {
    case SM_CXSCREEN: return screen().width;
    case SM_CYSCREEN: return screen().height;
    // Slim bars, as on a phone: 7 pixels at 131 dpi, 10 at 192.
    case SM_CXVSCROLL:
    case SM_CYHSCROLL: return (screenDpi() + 9) / 20;
    case SM_CXICON:
    case SM_CYICON: return largeIconSize();
    case SM_CXSMICON:
    case SM_CYSMICON: return smallIconSize();
    }
    return 0;
}

Rect workArea() {
    ScreenGeometry s = screen();
    return {0, navBarHeight(), s.width, s.height - softKeyBarHeight()};
}

}  // namespace kestrova::platform
