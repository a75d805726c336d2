// What every messaging test runs in: the plug-in's resources from the build
// folder, and a fixed time zone with daylight saving (Central European), so
// that local times read the same on every machine.
#pragma once

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include "kestrova/api.h"
#include "kestrova/platform/clock.h"
#include "kestrova/platform/paths.h"

namespace kestrova::messaging::testing {

inline void useTestEnvironment() {
    const char* bin = std::getenv("KESTROVA_BIN");
    std::filesystem::path folder =
        bin ? std::filesystem::path(bin) : platform::programFolder().parent_path() / "bin";
    ::setenv("KESTROVA_RESOURCES", (folder / "resources").c_str(), 1);
    ::setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    ::tzset();
}

// A local wall-clock time in the test time zone.
inline platform::UnixTime localTime(int year, int month, int day, int hour, int minute, int second = 0) {
    useTestEnvironment();
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return {static_cast<int64_t>(std::mktime(&tm)), 0};
}

inline std::filesystem::path screenshotFolder() {
    const char* bin = std::getenv("KESTROVA_BIN");
    std::filesystem::path build =
        bin ? std::filesystem::path(bin).parent_path() : platform::programFolder().parent_path();
    std::filesystem::path folder = build / "screenshots";
    std::filesystem::create_directories(folder);
    return folder;
}

// A contact on the service, online, "<nickname>@example.org"; the caller
// releases it.
inline HCONTACT makeContact(HSERVICE service, const char* nickname, uint64_t id) {
    RY_ContactData data{};
    data.size = sizeof data;
    data.flags =
        RY_CONTACT_ID | RY_CONTACT_SERVICE | RY_CONTACT_NAME | RY_CONTACT_NICKNAME | RY_CONTACT_PRESENCE;
    data.contactId = id;
    data.service = service;
    std::string name = std::string(nickname) + "@example.org";
    data.name = name.c_str();
    data.nickname = nickname;
    data.presence = RY_PRESENCE_ONLINE;
    return RY_CreateContact(&data);
}

} // namespace kestrova::messaging::testing
