#include "admin_notice.h"

#include "displayable_text.h"
#include "texts.h"

namespace kestrova::messaging {
namespace {

constexpr size_t kNameOffset = 12;

uint32_t actionWord(uint8_t action) {
    switch (action) {
    case 0:
        return texts::kReset;
    case 1:
        return texts::kAdmined;
    case 2:
        return texts::kModded;
    case 4:
        return texts::kBanned;
    case 8:
        return texts::kSilenced;
    case 16:
        return texts::kKicked;
    default:
        return 0;
    }
}

} // namespace

AdminNotice parseAdminNotice(std::string_view body) {
    AdminNotice notice;
    if (!body.empty()) notice.action = static_cast<uint8_t>(body[0]);
    if (body.size() > kNameOffset) {
        // NOTE: the name is bounded by the body: the sender writes it without
        // a terminator, so it ends at a NUL only if one happens to be there.
        std::string_view name = body.substr(kNameOffset);
        name = name.substr(0, name.find('\0'));
        notice.member = displayableText(name);
    }
    return notice;
}

std::string adminNoticeText(std::string_view actor, const AdminNotice& notice) {
    uint32_t word = actionWord(notice.action);
    std::string out(actor);
    out += ' ';
    if (word) out += text(word);
    out += ' ';
    out += notice.member;
    return out;
}

} // namespace kestrova::messaging
