#include "view_metrics.h"

#include <string_view>

namespace kestrova::messaging {

namespace {
constexpr std::string_view kFace = "Tahoma";
// The widest status time: the progress bar takes its size.
constexpr std::string_view kTimeSample = "12:34:56";
} // namespace

ViewMetrics ViewMetrics::forDpi(int dpi) {
    ViewMetrics m;
    m.dpi = dpi;
    m.headerHeight = dpi * 33 / 131;
    m.leftColumn = dpi * 22 / 96;
    m.rightMargin = dpi * 3 / 96;
    m.lineItemHeight = dpi / 8 + 2;
    m.placeholderHeight = (dpi / 8) * 2 + dpi / 16;
    m.iconSize = m.leftColumn < 33 ? 16 : 32;
    m.largeFont = platform::Font(kFace, -(dpi * 17 / 144));
    m.normalFont = platform::Font(kFace, -(dpi * 16 / 144));
    m.boldFont = platform::Font(kFace, -(dpi * 16 / 144), platform::kBoldWeight);
    m.normalLineHeight = m.normalFont.lineHeight();
    platform::Size sample = platform::measureText(m.largeFont, kTimeSample);
    m.progressWidth = sample.width;
    m.progressHeight = sample.height;
    return m;
}

} // namespace kestrova::messaging
