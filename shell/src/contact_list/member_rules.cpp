#include "member_rules.h"

#include <cstdio>

#include "home_texts.h"
#include "kestrova/kit/texts.h"
#include "section_list/row_drawing.h"
#include "text_format.h"

namespace kestrova::shell {

const char* sectionKey(MemberSection section) {
    switch (section) {
    case MemberSection::kNearby:
        return kNearbySectionKey;
    case MemberSection::kOnline:
        return kOnlineSectionKey;
    case MemberSection::kOffline:
        return kOfflineSectionKey;
    }
    return kOfflineSectionKey;
}

uint32_t sectionTitle(MemberSection section) {
    switch (section) {
    case MemberSection::kNearby:
        return texts::kNearby;
    case MemberSection::kOnline:
        return texts::kOnline;
    case MemberSection::kOffline:
        return texts::kOffline;
    }
    return texts::kOffline;
}

bool presenceCountsAsOffline(int32_t presence) {
    return presence == RY_PRESENCE_OFFLINE || presence == RY_PRESENCE_UNKNOWN;
}

MemberSection chooseSection(int32_t presence, uint32_t memberFlags, std::optional<float> distance) {
    if (presenceCountsAsOffline(presence)) return MemberSection::kOffline;
    if (memberFlags == membership::kBanned || memberFlags == membership::kWaitingForAcceptance)
        return MemberSection::kOffline;
    if (distance && *distance < kNearbyMetres) return MemberSection::kNearby;
    return MemberSection::kOnline;
}

bool nicknameBefore(std::string_view a, std::string_view b) {
    auto fold = [](char c) {
        unsigned char u = static_cast<unsigned char>(c);
        return u >= 'A' && u <= 'Z' ? static_cast<unsigned char>(u - 'A' + 'a') : u;
    };
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = fold(a[i]), y = fold(b[i]);
        if (x != y) return x < y;
    }
    return a.size() < b.size();
}

std::string distanceText(float metres) {
    if (metres < 500.0f) return kit::text(texts::kDistanceUnderHalf);
    char number[32];
    double kilometres = static_cast<double>(metres) * 0.001;
    if (metres < kNearbyMetres) {
        std::snprintf(number, sizeof number, "%.1f", kilometres);
        return fillIn(kit::text(texts::kDistanceTenths), {number});
    }
    std::snprintf(number, sizeof number, "%.0f", kilometres);
    return fillIn(kit::text(texts::kDistanceWhole), {number});
}

bool hasPlaceName(const RY_LocationData& location) {
    return (location.flags & RY_LOCATION_NAME) && location.name[0] != '\0';
}

std::string placeText(const RY_LocationData& location, std::optional<float> distance) {
    std::string text;
    if ((location.flags & RY_LOCATION_SOURCE) && location.source == RY_LOCATION_MANUAL)
        text += kit::text(texts::kManualPlaceMark);
    text += location.name;
    if ((location.flags & RY_LOCATION_AREA) && location.area[0])
        text += kit::text(texts::kPlaceSeparator) + location.area;
    if ((location.flags & RY_LOCATION_COUNTRY) && location.country[0])
        text += kit::text(texts::kPlaceSeparator) + location.country;
    bool bothCoordinates = (location.flags & RY_LOCATION_LAT) && (location.flags & RY_LOCATION_LON);
    if (bothCoordinates && distance) text += distanceText(*distance);
    return text;
}

std::optional<RoleSuffix> roleSuffix(uint32_t memberFlags, bool chatGroupPage) {
    if (memberFlags == membership::kBlocked) return RoleSuffix{texts::kRoleBlocked, rowColours::kLightGrey};
    if (!chatGroupPage) return std::nullopt;
    switch (memberFlags) {
    case membership::kAdmin:
        return RoleSuffix{texts::kRoleAdmin, rowColours::kAdmin};
    case membership::kModerator:
        return RoleSuffix{texts::kRoleMod, rowColours::kModerator};
    case membership::kBanned:
        return RoleSuffix{texts::kRoleBanned, rowColours::kLightGrey};
    case membership::kSilenced:
        return RoleSuffix{texts::kRoleSilenced, rowColours::kLightGrey};
    default:
        return std::nullopt;
    }
}

uint32_t presenceText(int32_t presence) {
    switch (presence) {
    case RY_PRESENCE_OFFLINE:
        return texts::kOffline;
    case RY_PRESENCE_AWAY:
        return texts::kAway;
    case RY_PRESENCE_BUSY:
        return texts::kBusy;
    case RY_PRESENCE_UNKNOWN:
        return texts::kUnknownState;
    default:
        return texts::kOnline;
    }
}

std::string lastLineText(int unread, uint32_t memberFlags, std::string_view statusText, int32_t presence) {
    if (unread == 1) return kit::text(texts::kOneNewMessage);
    if (unread > 1) return textWithNumber(texts::kNewMessages, unread);
    if (memberFlags & membership::kWaitingForAcceptance) return kit::text(texts::kWaitingForAcceptance);
    if (!statusText.empty()) return std::string(statusText);
    return kit::text(presenceText(presence));
}

namespace {

bool isRole(uint32_t value) {
    return value == membership::kAdmin || value == membership::kModerator;
}

bool targetFits(uint32_t target, uint32_t entryValue) {
    if (isRole(entryValue)) return target == membership::kMember || isRole(target);
    if (target == membership::kMember || target == membership::kSilenced) return true;
    return entryValue == membership::kBanned && target == membership::kBanned;
}

} // namespace

bool moderationEnabled(uint32_t myRole, uint32_t target, uint32_t entryValue) {
    bool allowed = myRole == membership::kAdmin ||
                   (myRole == membership::kModerator && !isRole(target) && !isRole(entryValue));
    return allowed && targetFits(target, entryValue);
}

bool moderationChecked(uint32_t target, uint32_t entryValue) {
    return (target & entryValue) != 0;
}

int32_t moderationValue(uint32_t target, uint32_t entryValue) {
    if (!(target & entryValue)) return static_cast<int32_t>(entryValue);
    return entryValue == membership::kBanned ? static_cast<int32_t>(membership::kKicked) : 0;
}

} // namespace kestrova::shell
