// The numbers of the Settings and About screens' texts, and the tray icon's,
// in the program's string table (resources/kestrova/strings.txt).
#pragma once

#include <cstdint>

namespace kestrova::shell::texts {

enum : uint32_t {
    kOk = 106,
    kCancel = 107,
    kSettingsCaption = 1300,
    kGeneralPage = 1301,
    kDisplayPage = 1302,
    kProxyPage = 1303,
    kRunAtStartup = 1304,
    kBeepOnNewMessages = 1305,
    kPowerSaving = 1306,
    kTabPerGroup = 1307,
    kShowTrayIcon = 1308,
    kUseProxy = 1309,
    kProxyHost = 1310,
    kProxyPort = 1311,
    kAboutCaption = 1312,
    kModulesPage = 1313,
    kCreditsPage = 1314,
    kUnknownVersion = 1315,
    kNotificationTitle = 1316,
    kNotificationText = 1317,
    kOpenKestrova = 1318,
    kDismiss = 1319,
    kDone = 1320,
};

} // namespace kestrova::shell::texts
