// The texts of the status menu and the friend-request section.
#pragma once

namespace kestrova::connection::texts {

inline constexpr const char kMenuOnline[] = "Online";
inline constexpr const char kMenuAway[] = "Away";
inline constexpr const char kMenuBusy[] = "Busy";
inline constexpr const char kMenuInvisible[] = "Invisible";
inline constexpr const char kMenuOffline[] = "Offline";
inline constexpr const char kMenuMyIdentity[] = "My Identity...";
inline constexpr const char kMenuSignInAs[] = "Sign in as...";

inline constexpr const char kFriendRequestsKey[] = "AWAITING_ACCEPTANCE";
inline constexpr const char kFriendRequestsTitle[] = "Friend Requests";
inline constexpr const char kFriendRequestIcon[] = "CONTACT";
inline constexpr const char kAcceptingContact[] = "Accepting Contact...";
inline constexpr const char kDecliningContact[] = "Declining Contact...";
inline constexpr const char kMenuAccept[] = "Accept";
inline constexpr const char kMenuDecline[] = "Decline";
inline constexpr const char kMenuChat[] = "Chat";
inline constexpr const char kContactAcceptedCaption[] = "Contact Accepted";
inline constexpr const char kContactAcceptedQuestion[] =
    "This contact will now be able to see your online status.\n\nWould you like to add this contact to your "
    "contact list?";
inline constexpr const char kAddBackMessage[] = "You just added me - I'd like to add you too.";

inline constexpr const char kChatGroupDescription[] = "Chat group";

}  // namespace kestrova::connection::texts
