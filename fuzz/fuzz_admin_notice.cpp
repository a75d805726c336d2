// A group administration notice's body is made by the connection from what
// the server sent; the view reads its action and member name back.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "admin_notice.h"
#include "kestrova/platform/text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 64 * 1024) return 0;
    std::string_view body(reinterpret_cast<const char*>(data), size);
    kestrova::messaging::AdminNotice notice = kestrova::messaging::parseAdminNotice(body);
    if (!kestrova::platform::isValidUtf8(notice.member)) __builtin_trap();
    if (notice.member.find('\0') != std::string::npos) __builtin_trap();
    std::string text = kestrova::messaging::adminNoticeText("actor", notice);
    if (!text.starts_with("actor ")) __builtin_trap();
    return 0;
}
