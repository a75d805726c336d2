#include "profile_frame.h"

namespace kestrova::connection {

std::optional<ProfileFrame> splitProfileBody(std::string_view body, int32_t ivLength, int32_t rkLength) {
    // The trailing block only exists when there is a leading one.
    if (ivLength == 0) rkLength = 0;
    if (ivLength < 0 || rkLength < 0) return std::nullopt;
    size_t iv = static_cast<size_t>(ivLength);
    size_t rk = static_cast<size_t>(rkLength);
    if (iv > body.size() || rk > body.size() - iv) return std::nullopt;
    ProfileFrame frame;
    frame.iv = body.substr(0, iv);
    frame.map = body.substr(iv, body.size() - iv - rk);
    frame.resumeKey = body.substr(body.size() - rk);
    return frame;
}

}  // namespace kestrova::connection
