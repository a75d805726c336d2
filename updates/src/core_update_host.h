// UpdateHost over the core API: the settings through the kit, the platform's
// name and language, and the subscriber number the connection publishes.
#pragma once

#include "update_host.h"

namespace kestrova::updates {

class CoreUpdateHost final : public UpdateHost {
  public:
    std::string serverHost() override;
    int32_t serverPort() override;
    int64_t lastCheck() override;
    void setLastCheck(int64_t unixSeconds) override;
    int32_t migrationLevel() override;
    void setMigrationLevel(int32_t level) override;
    void setPowerSave(int32_t value) override;
    std::string platformName() override;
    int32_t languageId() override;
    int64_t subscriberId() override;
};

// The leading signed decimal number of a text, read as atol reads it
// (blanks, a sign, digits up to the first other character; 0 without digits),
// saturating at the ends of the range.
int64_t leadingNumber(std::string_view text);

} // namespace kestrova::updates
