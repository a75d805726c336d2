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
    // The status menu.
    kMenuOnline = 1010,
    kMenuAway = 1011,
    kMenuBusy = 1012,
    kMenuInvisible = 1013,
    kMenuOffline = 1014,
    kMenuMyIdentity = 1015,
    kMenuSignInAs = 1016,
    kMenuRemoveService = 1017,
    kRemoveServiceCaption = 1018,
    kRemoveServiceQuestion = 1019,
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
    // The sign-in and identity forms.
    kSignInTitle = 1030,
    kEmailAddressLabel = 1031,
    kPasswordLabel = 1032,
    kRememberMe = 1033,
    kSignInAutomatically = 1034,
    kMissingInformation = 1035,
    kNeedUserAndPassword = 1036,
    kIdentityTitle = 1037,
    kNicknameLabel = 1038,
    kStatusLineLabel = 1039,
    kNeedNicknameAndStatus = 1040,
    kSoftKeyOk = 1041,
    kSoftKeyCancel = 1042,
    // A registration of another network's account that the server refused.
    kRegistrationCaption = 1050,
    kRegistrationUnsupported = 1051,
    kRegistrationLimit = 1052,
    kRegistrationUnusable = 1053,
    kRegistrationRefused = 1054,
    kRegistrationDisconnected = 1055,
};

}  // namespace kestrova::connection::texts
