// The account as the service record of the core API holds it: name and
// password, the desired and the current online status, nickname and status
// line, and the text and reason code of the last failure.
#pragma once

#include "kestrova/api.h"

#include <cstdint>
#include <string>

namespace kestrova::connection {

// Online status numbers.
inline constexpr int32_t kStatusOffline = 0;
inline constexpr int32_t kStatusOnline = 1;
// Reason codes of the last failure.
inline constexpr int32_t kReasonNone = 0;
inline constexpr int32_t kReasonGhosted = 1;

struct AccountSnapshot {
    std::string name;
    std::string password;
    int32_t desiredStatus = 0;
    int32_t presence = 0;
    std::string message;
    int32_t reason = 0;
};

class AccountRecord {
public:
    explicit AccountRecord(HSERVICE service) : service_(service) {}

    AccountSnapshot read() const;
    void setCredentials(const std::string& name, const std::string& password);
    void setPassword(const std::string& password);
    void setDesiredStatus(int32_t status);
    void setPresence(int32_t status);
    // The last failure: its text and reason code.
    void setFailure(const std::string& message, int32_t reason);
    void setProfile(const std::string& nickname, const std::string& statusLine);

private:
    RY_ServiceData blank(uint32_t flags) const;

    HSERVICE service_;
};

}  // namespace kestrova::connection
