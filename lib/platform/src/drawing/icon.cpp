#include "kestrova/platform/icon.h"

namespace kestrova::platform {

Icon::Icon(int width, int height)
    : width_(width > 0 ? width : 0),
      height_(height > 0 ? height : 0),
      pixels_(size_t(width_) * size_t(height_), 0),
      mask_(size_t(width_) * size_t(height_), 0) {}

std::vector<uint32_t> Icon::argbPixels() const {
    std::vector<uint32_t> argb(pixels_.size());
    for (size_t k = 0; k < argb.size(); ++k) argb[k] = mask_[k] ? 0 : (0xff000000u | pixels_[k]);
    return argb;
}

}  // namespace kestrova::platform
