#include "message_time.h"

#include <cstdio>
#include <ctime>

#include "texts.h"

namespace kestrova::messaging {
namespace {

std::tm localDate(int64_t seconds) {
    std::time_t t = static_cast<std::time_t>(seconds);
    std::tm local{};
    localtime_r(&t, &local);
    return local;
}

bool sameDay(const std::tm& a, const std::tm& b) {
    return a.tm_year == b.tm_year && a.tm_mon == b.tm_mon && a.tm_mday == b.tm_mday;
}

// The calendar day before, whatever the month, year or daylight-saving change.
std::tm dayBefore(const std::tm& day) {
    std::tm before{};
    before.tm_year = day.tm_year;
    before.tm_mon = day.tm_mon;
    before.tm_mday = day.tm_mday - 1;
    before.tm_hour = 12;
    before.tm_isdst = -1;
    std::time_t t = std::mktime(&before);
    localtime_r(&t, &before);
    return before;
}

} // namespace

std::string messageTimeText(platform::UnixTime when, platform::UnixTime now) {
    std::tm at = localDate(when.seconds);
    std::tm today = localDate(now.seconds);
    char out[64];
    if (sameDay(at, today)) {
        std::snprintf(out, sizeof out, "%02d:%02d:%02d", at.tm_hour, at.tm_min, at.tm_sec);
        return out;
    }
    if (sameDay(at, dayBefore(today))) {
        std::snprintf(out, sizeof out, ", %02d:%02d", at.tm_hour, at.tm_min);
        return text(texts::kYesterday) + out;
    }
    // NOTE: the year is written with two digits for every century, so that a
    // message without a time stamp (1970) reads "70" rather than "-30".
    int year = (at.tm_year + 1900) % 100;
    std::snprintf(out, sizeof out, "%02d-%02d-%02d, %02d:%02d", at.tm_mday, at.tm_mon + 1, year, at.tm_hour,
                  at.tm_min);
    return out;
}

std::string clockTimeText(platform::UnixTime when) {
    std::tm at = localDate(when.seconds);
    char out[16];
    std::snprintf(out, sizeof out, "%02d:%02d:%02d", at.tm_hour, at.tm_min, at.tm_sec);
    return out;
}

} // namespace kestrova::messaging
