// The numbers of the home screen's texts (the contact list and the overview)
// in the program's string table, resources/kestrova/strings.txt.
#pragma once

#include <cstdint>

namespace kestrova::shell::texts {

enum : uint32_t {
    kLoggingIn = 114,
    kBusy = 119,
    kAway = 120,
    kOnline = 121,
    kOneNewMessage = 122,
    kNewMessages = 123, // "%d New Messages"
    kLoggingOff = 128,
    kInvisible = 133,
    kContacts = 157,
    kWaitingForAcceptance = 158,
    kUnknownState = 161,
    kOffline = 162,
    kAdmin = 163,
    kMod = 164,
    kSilence = 165,
    kKick = 166,
    kBan = 167,
    kServices = 168,
    kGroup = 169,
    kGroupChat = 170,
    kMessages = 171,
    kNoUnreadMessages = 172,
    kNoUnreadMessagesText = 173,
    kNotConnected = 174,
    kTapToSignIn = 176,
    kSignedOnElsewhere = 177,
    kDisconnected = 178,
    kGatewayDisconnected = 179,
    kConnectionThrottled = 180,
    kUnableToConnect = 181,
    kLogonIncorrect = 182,
    kNearby = 183,

    kMenuPrivateChat = 1100,
    kMenuChat = 1101,
    kMenuDelete = 1102,
    kMenuAddToContacts = 1103,
    kMenuProperties = 1104,
    kMenuLeaveGroup = 1105,
    kDeleteContactCaption = 1106,
    kDeleteContactQuestion = 1107,
    kAddContactMessage = 1108,
    kRoleAdmin = 1109,         // " (Admin)"
    kRoleMod = 1110,           // " (Mod)"
    kRoleBanned = 1111,        // " (Banned)"
    kRoleSilenced = 1112,      // " (Silenced)"
    kRoleBlocked = 1113,       // " (Blocked)"
    kDistanceUnderHalf = 1114, // " (< 0.5km)"
    kDistanceTenths = 1115,    // " (~ %.1fkm)"
    kDistanceWhole = 1116,     // " (~ %.0fkm)"
    kPrivateMessages = 1117,   // "%d Private Messages"
    kPrivateMessage = 1118,    // "%d Private Message"
    kGroupMessages = 1119,     // "%d Group Messages"
    kGroupMessage = 1120,      // "%d Group Message"
    kMenuViewMessages = 1121,
    kGroupTitle = 1122,      // "%s: %s"
    kStateSeparator = 1123,  // " - "
    kPlaceSeparator = 1124,  // ", "
    kManualPlaceMark = 1125, // "*"
};

} // namespace kestrova::shell::texts
