// The numbers of the connection's user-visible texts in its string table
// (resources/connection/strings.txt); kit::text gives the text of each.
#pragma once

#include <cstdint>

namespace kestrova::connection::texts {

enum : uint32_t {
    // Error boxes.
    kLoginFailed = 1000,
    kProxyRejected = 1001,
    kServerRefused = 1002,
    kReasonGiven = 1003,
    kNameBreaksLine = 1004,
    // The status menu.
    kMenuOnline = 1010,
    kMenuAway = 1011,
    kMenuBusy = 1012,
    kMenuInvisible = 1013,
    kMenuOffline = 1014,
    kMenuMyIdentity = 1015,
    kMenuSignInAs = 1016,
    // Friend requests on the overview.
    kFriendRequestsTitle = 1020,
    kAcceptingContact = 1021,
    kDecliningContact = 1022,
    kMenuAccept = 1023,
    kMenuDecline = 1024,
    kMenuChat = 1025,
    kContactAcceptedCaption = 1026,
    kContactAcceptedQuestion = 1027,
    kAddBackMessage = 1028,
};

}  // namespace kestrova::connection::texts
