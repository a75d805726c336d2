// A service's record read and written by what its fields mean. The core API
// stores text1..text6 and value1 without knowing what they are; the
// connection plug-in, which alone writes them, gives them these meanings,
// and every reader (status strip, menus, dialogs) goes through this file
// instead of spelling text1 or text3 itself.
#pragma once

#include "kestrova/api.h"

#include <cstdint>
#include <string>

namespace kestrova::kit {

// value1: why the account went offline the last time.
inline constexpr int32_t kFailureNone = 0;
inline constexpr int32_t kFailureGhosted = 1;  // signed in elsewhere

struct ServiceFields {
    HSERVICETYPE serviceType = nullptr;    // null for the primary service
    std::string userName;                  // text1: the account's sign-in name
    std::string password;                  // text2
    std::string nickname;                  // text3
    std::string statusText;                // text4: the status line shown to others
    std::string domain;                    // text5: the domain of a bridged account
    std::string failureText;               // text6: what the last failure said
    int32_t failureReason = kFailureNone;  // value1
    int32_t presence = 0;                  // the current online status (0: offline)
    int32_t desiredStatus = 0;             // connectionState: the status the user asked for
    void* iconModule = nullptr;
    uint32_t iconResource = 0;

    // The account's label: its nickname, else its user name.
    const std::string& displayName() const { return nickname.empty() ? userName : nickname; }
};

// A change of some fields, written with one RY_SetServiceData, so the
// service's subscribers hear of it once.
class ServiceChange {
public:
    ServiceChange& userName(const std::string& text) { return text_(RY_SERVICE_TEXT1, userName_, text); }
    ServiceChange& password(const std::string& text) { return text_(RY_SERVICE_TEXT2, password_, text); }
    ServiceChange& nickname(const std::string& text) { return text_(RY_SERVICE_TEXT3, nickname_, text); }
    ServiceChange& statusText(const std::string& text) { return text_(RY_SERVICE_TEXT4, statusText_, text); }
    ServiceChange& domain(const std::string& text) { return text_(RY_SERVICE_TEXT5, domain_, text); }
    // The last failure: text6 and value1 go together.
    ServiceChange& failure(const std::string& text, int32_t reason);
    // The reason alone, leaving the text as it is.
    ServiceChange& failureReason(int32_t reason);
    ServiceChange& presence(int32_t status);
    ServiceChange& desiredStatus(int32_t status);
    ServiceChange& icon(void* module, uint32_t resource);
    ServiceChange& serviceType(HSERVICETYPE type);

    void applyTo(HSERVICE service) const;

private:
    ServiceChange& text_(uint32_t flag, std::string& field, const std::string& text);

    uint32_t flags_ = 0;
    std::string userName_, password_, nickname_, statusText_, domain_, failureText_;
    int32_t failureReason_ = 0, presence_ = 0, desiredStatus_ = 0;
    void* iconModule_ = nullptr;
    uint32_t iconResource_ = 0;
    HSERVICETYPE serviceType_ = nullptr;
};

// The record of one service; the caller keeps the handle alive.
class ServiceRecord {
public:
    explicit ServiceRecord(HSERVICE service) : service_(service) {}

    ServiceFields read() const;
    void write(const ServiceChange& change) { change.applyTo(service_); }

private:
    HSERVICE service_;
};

// The primary service's fields (the user's own account).
ServiceFields readPrimaryService();

}  // namespace kestrova::kit
