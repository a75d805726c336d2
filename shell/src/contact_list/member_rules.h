// The rules by which a group page sorts and labels its members: the section
// a member belongs in, the order within a section, the texts of its lines,
// and which moderation entries its menu offers. Pure functions, so that the
// rules can be read (and tested) apart from drawing.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "home_texts.h"
#include "kestrova/api.h"
#include "kestrova/platform/dc.h"

namespace kestrova::shell {

// A member's standing in a group (the member flags of the core API).
namespace membership {
inline constexpr uint32_t kMember = 0;
inline constexpr uint32_t kAdmin = 1;
inline constexpr uint32_t kModerator = 2;
inline constexpr uint32_t kBanned = 4;
inline constexpr uint32_t kSilenced = 8;
inline constexpr uint32_t kKicked = 16;
inline constexpr uint32_t kWaitingForAcceptance = 256;
inline constexpr uint32_t kBlocked = 512;
} // namespace membership

// Members closer than this are nearby.
inline constexpr float kNearbyMetres = 10000.0f;

enum class MemberSection { kNearby, kOnline, kOffline };

// The section keys of a group page, in their order.
inline constexpr const char kGroupSectionKey[] = "GROUP";
inline constexpr const char kNearbySectionKey[] = "NEARBY";
inline constexpr const char kOnlineSectionKey[] = "ONLINE";
inline constexpr const char kOfflineSectionKey[] = "OFFLINE";
const char* sectionKey(MemberSection section);
uint32_t sectionTitle(MemberSection section);

// Offline and "not known since the session ended" both count as offline.
bool presenceCountsAsOffline(int32_t presence);
// distance: set only when the member has a position and the distance from
// the user's own could be computed.
MemberSection chooseSection(int32_t presence, uint32_t memberFlags, std::optional<float> distance);
// Ascending by nickname, ignoring ASCII case; other bytes compare as they are.
bool nicknameBefore(std::string_view a, std::string_view b);

// " (< 0.5km)", " (~ 1.2km)", " (~ 12km)".
std::string distanceText(float metres);
// "*" for a place set by hand, then the place, area and country, then the
// distance when the location has both coordinates and one was computed.
std::string placeText(const RY_LocationData& location, std::optional<float> distance);
bool hasPlaceName(const RY_LocationData& location);

// The role written after a member's name; nothing for most members. The
// roles of a chat group show on a chat group's page only; "Blocked" shows
// on every page.
struct RoleSuffix {
    uint32_t text;
    platform::Colour colour;
};
std::optional<RoleSuffix> roleSuffix(uint32_t memberFlags, bool chatGroupPage);
// The row's last line: new messages, a pending request, the status line, or
// the presence in words.
std::string lastLineText(int unread, uint32_t memberFlags, std::string_view statusText, int32_t presence);
// The presence in words ("Online", "Away", ...).
uint32_t presenceText(int32_t presence);

// The moderation entries of a member's menu on a chat group's page.
struct ModerationEntry {
    uint32_t text;
    uint32_t value;
    int command;
};
inline constexpr std::array<ModerationEntry, 5> kModerationEntries{{
    {texts::kAdmin, membership::kAdmin, 5},
    {texts::kMod, membership::kModerator, 6},
    {texts::kSilence, membership::kSilenced, 7},
    {texts::kKick, membership::kKicked, 8},
    {texts::kBan, membership::kBanned, 9},
}};
// Whether the user, with their own role in the group, may apply the entry
// to a member with these flags.
bool moderationEnabled(uint32_t myRole, uint32_t target, uint32_t entryValue);
bool moderationChecked(uint32_t target, uint32_t entryValue);
// What choosing the entry sends: its value, or, when the member has it
// already, the value that lifts it.
int32_t moderationValue(uint32_t target, uint32_t entryValue);

} // namespace kestrova::shell
