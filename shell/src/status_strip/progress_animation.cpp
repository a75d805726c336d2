#include "status_strip/progress_animation.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kestrova::shell {

using platform::Colour;
using platform::Rect;

void drawProgressFrame(platform::DeviceContext& dc, const Rect& cell, int frame) {
    const int head = ((frame % kProgressFrames) + kProgressFrames) % kProgressFrames;
    const double size = std::min(cell.width(), cell.height());
    const double ring = size * 0.36;
    const int dot = std::max(2, static_cast<int>(std::lround(size * 0.2)));
    const double centreX = cell.left + cell.width() / 2.0;
    const double centreY = cell.top + cell.height() / 2.0;
    for (int i = 0; i < kProgressFrames; ++i) {
        // How many steps this dot trails the head: 0 is brightest.
        const int behind = (head - i + kProgressFrames) % kProgressFrames;
        const auto alpha = static_cast<uint8_t>(255 - behind * 200 / (kProgressFrames - 1));
        const double angle = 2 * std::numbers::pi * i / kProgressFrames - std::numbers::pi / 2;
        const int x = static_cast<int>(std::lround(centreX + ring * std::cos(angle) - dot / 2.0));
        const int y = static_cast<int>(std::lround(centreY + ring * std::sin(angle) - dot / 2.0));
        dc.fillEllipse(Rect::ofSize(x, y, dot, dot), Colour(190, 220, 255, alpha));
    }
}

} // namespace kestrova::shell
