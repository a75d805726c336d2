// The rules by which the home screen sorts, labels and offers: sections,
// order, distances, the lines of members and services, moderation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "contact_list/member_rules.h"
#include "overview/service_lines.h"
#include "section_list/row_metrics.h"
#include "text_format.h"

namespace kestrova::shell {
namespace {

using namespace membership;

TEST(MemberSections, PresenceStandingAndDistanceDecideTheSection) {
    EXPECT_EQ(chooseSection(RY_PRESENCE_ONLINE, kMember, std::nullopt), MemberSection::kOnline);
    EXPECT_EQ(chooseSection(RY_PRESENCE_BUSY, kMember, 9999.0f), MemberSection::kNearby);
    EXPECT_EQ(chooseSection(RY_PRESENCE_AWAY, kMember, 10000.0f), MemberSection::kOnline);
    EXPECT_EQ(chooseSection(RY_PRESENCE_OFFLINE, kMember, 5.0f), MemberSection::kOffline);
    EXPECT_EQ(chooseSection(RY_PRESENCE_UNKNOWN, kAdmin, std::nullopt), MemberSection::kOffline);
    // Banned and not yet accepted members are offline whatever they say.
    EXPECT_EQ(chooseSection(RY_PRESENCE_ONLINE, kBanned, 5.0f), MemberSection::kOffline);
    EXPECT_EQ(chooseSection(RY_PRESENCE_ONLINE, kWaitingForAcceptance, std::nullopt),
              MemberSection::kOffline);
    // Other standings (and unknown presence codes) count as online.
    EXPECT_EQ(chooseSection(RY_PRESENCE_INVISIBLE, kSilenced | kModerator, std::nullopt),
              MemberSection::kOnline);
    EXPECT_EQ(chooseSection(42, kBlocked, std::nullopt), MemberSection::kOnline);
}

TEST(MemberSections, NicknamesSortIgnoringAsciiCaseOnly) {
    std::vector<std::string> names{"bob", "Cat", "alice", "Bob2", "Émile", "ALAN", ""};
    std::sort(names.begin(), names.end(), nicknameBefore);
    EXPECT_EQ(names, (std::vector<std::string>{"", "ALAN", "alice", "bob", "Bob2", "Cat", "Émile"}));
    EXPECT_FALSE(nicknameBefore("Ann", "aNN"));
    EXPECT_FALSE(nicknameBefore("aNN", "Ann"));
    EXPECT_TRUE(nicknameBefore("[x", "a")); // '[' sorts before 'a', not after 'Z' as the upper case would
}

TEST(MemberLines, DistancesSwitchFormAtHalfAKilometreAndAtTen) {
    EXPECT_EQ(distanceText(0.0f), " (< 0.5km)");
    EXPECT_EQ(distanceText(499.9f), " (< 0.5km)");
    EXPECT_EQ(distanceText(500.0f), " (~ 0.5km)");
    EXPECT_EQ(distanceText(1234.0f), " (~ 1.2km)");
    EXPECT_EQ(distanceText(9999.0f), " (~ 10.0km)");
    EXPECT_EQ(distanceText(10000.0f), " (~ 10km)");
    EXPECT_EQ(distanceText(123456.0f), " (~ 123km)");
}

RY_LocationData place(const char* name, const char* area, const char* country, uint32_t extraFlags = 0) {
    RY_LocationData location{};
    location.size = sizeof location;
    std::strcpy(location.name, name);
    std::strcpy(location.area, area);
    std::strcpy(location.country, country);
    location.flags = extraFlags;
    if (*name) location.flags |= RY_LOCATION_NAME;
    if (*area) location.flags |= RY_LOCATION_AREA;
    if (*country) location.flags |= RY_LOCATION_COUNTRY;
    return location;
}

TEST(MemberLines, ThePlaceLineMarksHandSetPlacesAndNeedsBothCoordinatesForTheDistance) {
    RY_LocationData here = place("Soho", "London", "UK", RY_LOCATION_LAT | RY_LOCATION_LON);
    EXPECT_EQ(placeText(here, 1500.0f), "Soho, London, UK (~ 1.5km)");
    EXPECT_EQ(placeText(here, std::nullopt), "Soho, London, UK");
    RY_LocationData manual = place("Home", "", "NZ", RY_LOCATION_LAT | RY_LOCATION_SOURCE);
    manual.source = RY_LOCATION_MANUAL;
    EXPECT_EQ(placeText(manual, 20.0f), "*Home, NZ");
    EXPECT_TRUE(hasPlaceName(manual));
    EXPECT_FALSE(hasPlaceName(place("", "London", "UK")));
}

TEST(MemberLines, RolesShowOnChatGroupPagesAndBlockedEverywhere) {
    EXPECT_EQ(roleSuffix(kAdmin, true)->text, texts::kRoleAdmin);
    EXPECT_EQ(roleSuffix(kAdmin, true)->colour, platform::Colour(192, 0, 0));
    EXPECT_EQ(roleSuffix(kModerator, true)->colour, platform::Colour(0, 192, 0));
    EXPECT_EQ(roleSuffix(kBanned, true)->text, texts::kRoleBanned);
    EXPECT_EQ(roleSuffix(kSilenced, true)->colour, platform::Colour(192, 192, 192));
    EXPECT_FALSE(roleSuffix(kAdmin, false));
    EXPECT_FALSE(roleSuffix(kMember, true));
    EXPECT_FALSE(roleSuffix(kAdmin | kSilenced, true)); // standings are compared whole
    EXPECT_EQ(roleSuffix(kBlocked, false)->text, texts::kRoleBlocked);
}

TEST(MemberLines, TheLastLinePutsNewMessagesBeforeRequestsBeforeStatusBeforePresence) {
    EXPECT_EQ(lastLineText(1, kWaitingForAcceptance, "busy here", RY_PRESENCE_ONLINE), "1 New Message");
    EXPECT_EQ(lastLineText(7, kMember, "", RY_PRESENCE_OFFLINE), "7 New Messages");
    EXPECT_EQ(lastLineText(0, kWaitingForAcceptance | kBlocked, "busy here", RY_PRESENCE_ONLINE),
              "Waiting for Acceptance");
    EXPECT_EQ(lastLineText(0, kMember, "busy here", RY_PRESENCE_OFFLINE), "busy here");
    EXPECT_EQ(lastLineText(0, kMember, "", RY_PRESENCE_OFFLINE), "Offline");
    EXPECT_EQ(lastLineText(0, kMember, "", RY_PRESENCE_AWAY), "Away");
    EXPECT_EQ(lastLineText(0, kMember, "", RY_PRESENCE_BUSY), "Busy");
    EXPECT_EQ(lastLineText(0, kMember, "", RY_PRESENCE_UNKNOWN), "Unknown State");
    EXPECT_EQ(lastLineText(0, kMember, "", RY_PRESENCE_INVISIBLE), "Online");
}

// The enabled entries (Admin, Mod, Silence, Kick, Ban) for a role and a target.
std::string enabledEntries(uint32_t myRole, uint32_t target) {
    std::string out;
    for (const ModerationEntry& entry : kModerationEntries)
        out += moderationEnabled(myRole, target, entry.value) ? "1" : "0";
    return out;
}

TEST(Moderation, WhoMayDoWhatToWhom) {
    // An administrator: roles for members and staff; sanctions for members
    // and the silenced; lifting a ban.
    EXPECT_EQ(enabledEntries(kAdmin, kMember), "11111");
    EXPECT_EQ(enabledEntries(kAdmin, kModerator), "11000");
    EXPECT_EQ(enabledEntries(kAdmin, kAdmin), "11000");
    EXPECT_EQ(enabledEntries(kAdmin, kSilenced), "00111");
    EXPECT_EQ(enabledEntries(kAdmin, kBanned), "00001");
    EXPECT_EQ(enabledEntries(kAdmin, kWaitingForAcceptance), "00000");
    // A moderator: sanctions for members only; nothing against staff.
    EXPECT_EQ(enabledEntries(kModerator, kMember), "00111");
    EXPECT_EQ(enabledEntries(kModerator, kSilenced), "00111");
    EXPECT_EQ(enabledEntries(kModerator, kAdmin), "00000");
    EXPECT_EQ(enabledEntries(kModerator, kModerator), "00000");
    // Everybody else, and a role not known: nothing.
    EXPECT_EQ(enabledEntries(kMember, kMember), "00000");
    EXPECT_EQ(enabledEntries(kSilenced, kMember), "00000");
}

TEST(Moderation, AnEntryTheMemberHasAlreadyIsCheckedAndChoosingItLiftsIt) {
    EXPECT_TRUE(moderationChecked(kBanned, kBanned));
    EXPECT_TRUE(moderationChecked(kAdmin | kSilenced, kSilenced));
    EXPECT_FALSE(moderationChecked(kMember, kAdmin));
    EXPECT_EQ(moderationValue(kMember, kSilenced), 8);
    EXPECT_EQ(moderationValue(kSilenced, kSilenced), 0);
    EXPECT_EQ(moderationValue(kAdmin, kAdmin), 0);
    EXPECT_EQ(moderationValue(kBanned, kBanned), 16);
    EXPECT_EQ(moderationValue(kModerator, kAdmin), 1);
}

kit::ServiceFields service(int32_t presence, int32_t wanted, std::string nickname = "Ann",
                           std::string user = "ann@example.org") {
    kit::ServiceFields fields;
    fields.presence = presence;
    fields.desiredStatus = wanted;
    fields.nickname = std::move(nickname);
    fields.userName = std::move(user);
    return fields;
}

TEST(ServiceLines, TheStateFollowsWhatIsAndWhatIsWanted) {
    using Lines = std::vector<std::string>;
    EXPECT_EQ(serviceItemLines(service(1, 1)), (Lines{"Ann - Online", "ann@example.org"}));
    EXPECT_EQ(serviceItemLines(service(5, 2)), (Lines{"Ann - Away", "ann@example.org"}));
    EXPECT_EQ(serviceItemLines(service(1, 0))[0], "Ann - Logging Off");
    EXPECT_EQ(serviceItemLines(service(0, 2))[0], "Ann - Logging In");
    EXPECT_EQ(serviceItemLines(service(1, 3, ""))[0], "Invisible");
    EXPECT_EQ(serviceItemLines(service(1, 5))[0], "Ann - Busy");
    EXPECT_EQ(serviceItemLines(service(1, 42)), (Lines{"Ann", "ann@example.org"}));
    // Offline: the own account is "Not Connected" and invites a tap; a
    // bridged one is "Offline".
    EXPECT_EQ(serviceItemLines(service(0, 0)),
              (Lines{"Ann - Not Connected", "ann@example.org", "Tap here to sign in."}));
    kit::ServiceFields bridged = service(0, 0);
    bridged.serviceType = reinterpret_cast<HSERVICETYPE>(0x10);
    EXPECT_EQ(serviceItemLines(bridged), (Lines{"Ann - Offline", "ann@example.org"}));
    // Without a user name the second line invites a tap instead.
    EXPECT_EQ(serviceItemLines(service(0, 0, "", "")), (Lines{"Not Connected", "Tap here to sign in."}));
}

TEST(ServiceLines, TheThirdLineSaysWhyTheAccountWentOffline) {
    kit::ServiceFields refused = service(0, 0);
    refused.failureText = "the server's words";
    EXPECT_EQ(serviceItemLines(refused)[2], "the server's words");
    refused.failureReason = 6;
    EXPECT_EQ(serviceItemLines(refused)[2], "Logon Incorrect");
    refused.failureReason = 1;
    EXPECT_EQ(serviceItemLines(refused)[2], "Signed on elsewhere");
    refused.failureReason = 5;
    EXPECT_EQ(serviceItemLines(refused)[2], "Unable to Connect");
    // Only while offline and not on the way in.
    refused.desiredStatus = 1;
    EXPECT_EQ(serviceItemLines(refused).size(), 2u);
}

TEST(RowSizes, FollowTheScreensDotsPerInch) {
    RowMetrics small{131}, large{192}, plain{96};
    EXPECT_EQ(small.contactRow(), 32);
    EXPECT_EQ(small.contactRowWithPlace(), 45);
    EXPECT_EQ(small.groupChatRow(), 32);
    EXPECT_EQ(small.sectionHeader(), 26);
    EXPECT_EQ(small.iconSize(), 22);
    EXPECT_EQ(small.overviewItem(), 40);
    EXPECT_EQ(small.overviewIconSize(), 16);
    EXPECT_EQ(small.serviceItem(3), 56);
    EXPECT_EQ(large.contactRow(), 48);
    EXPECT_EQ(large.sectionHeader(), 38);
    EXPECT_EQ(large.iconSize(), 32);
    EXPECT_EQ(large.overviewIconSize(), 32);
    EXPECT_EQ(plain.iconSize(), 16); // a 24-pixel cell takes the 16-pixel icon
    EXPECT_EQ(RowMetrics{104}.iconSize(), 22);
}

TEST(TextFormat, PlaceholdersAreFilledInOrderAndNeverRead) {
    EXPECT_EQ(fillIn("%d New Messages", {"3"}), "3 New Messages");
    EXPECT_EQ(fillIn("%s: %s", {"Group", "Demo"}), "Group: Demo");
    EXPECT_EQ(fillIn(" (~ %.1fkm)", {"2.5"}), " (~ 2.5km)");
    EXPECT_EQ(fillIn("%s %s %n %%", {"a"}), "a  %n %"); // missing values vanish; %n is no placeholder
    EXPECT_EQ(textWithNumber(texts::kPrivateMessages, 2), "2 Private Messages");
}

} // namespace
} // namespace kestrova::shell
