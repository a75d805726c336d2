// What the update logic needs of the program around it: the core API's
// settings and variants, the platform, and the overview item it reports on.
// The updates plug-in implements both over the core API; tests record them.
#pragma once

#include "kestrova/setting_names.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrova::updates {

inline constexpr const char* kDefaultServerHost = settings::kUpdatesServerHost.defaultValue;
inline constexpr int32_t kDefaultServerPort = settings::kUpdatesServerPort.defaultValue;

// Settings ("Updates/ServerHost", "Updates/ServerPort", "Updates/LastCheck",
// "updates.versionid", "advanced.powersave") and the values the check
// request carries.
class UpdateHost {
  public:
    virtual ~UpdateHost() = default;

    virtual std::string serverHost() = 0; // at most 127 bytes; kDefaultServerHost when unset
    virtual int32_t serverPort() = 0;     // kDefaultServerPort when unset
    virtual int64_t lastCheck() = 0;      // Unix seconds, 0 when never
    virtual void setLastCheck(int64_t unixSeconds) = 0;
    virtual int32_t migrationLevel() = 0; // "updates.versionid", 0 when unset
    virtual void setMigrationLevel(int32_t level) = 0;
    virtual void setPowerSave(int32_t value) = 0;

    virtual std::string platformName() = 0; // RY_GetPlatformName
    virtual int32_t languageId() = 0;       // the user's interface language, e.g. 2057
    virtual int64_t subscriberId() = 0;     // variant "Kestrova/Connection/Sub-Id"
};

// The one item of the overview section "UPDATES" ("Automatic Updates").
class UpdateView {
  public:
    virtual ~UpdateView() = default;
    // Creates the section and the item on first use, else updates the item.
    virtual void show(std::string_view title, std::string_view text) = 0;
    // Removes the item, if there is one.
    virtual void hide() = 0;
};

} // namespace kestrova::updates
