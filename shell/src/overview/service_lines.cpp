#include "service_lines.h"

#include "home_texts.h"
#include "kestrova/kit/texts.h"

namespace kestrova::shell {

namespace {

// Reasons (value1) the connection gives for the last time it went offline.
uint32_t reasonText(int32_t reason) {
    switch (reason) {
    case 1:
        return texts::kSignedOnElsewhere;
    case 2:
        return texts::kDisconnected;
    case 3:
        return texts::kGatewayDisconnected;
    case 4:
        return texts::kConnectionThrottled;
    case 5:
        return texts::kUnableToConnect;
    case 6:
        return texts::kLogonIncorrect;
    default:
        return 0;
    }
}

} // namespace

std::string serviceStateText(const kit::ServiceFields& service) {
    bool on = service.presence != RY_PRESENCE_OFFLINE;
    bool wanted = service.desiredStatus != RY_PRESENCE_OFFLINE;
    if (on != wanted) return kit::text(wanted ? texts::kLoggingIn : texts::kLoggingOff);
    switch (service.desiredStatus) {
    case RY_PRESENCE_OFFLINE:
        return kit::text(service.serviceType ? texts::kOffline : texts::kNotConnected);
    case RY_PRESENCE_ONLINE:
        return kit::text(texts::kOnline);
    case RY_PRESENCE_AWAY:
        return kit::text(texts::kAway);
    case RY_PRESENCE_INVISIBLE:
        return kit::text(texts::kInvisible);
    case RY_PRESENCE_BUSY:
        return kit::text(texts::kBusy);
    default:
        return {};
    }
}

std::vector<std::string> serviceItemLines(const kit::ServiceFields& service) {
    bool signedOut = service.presence == RY_PRESENCE_OFFLINE;
    bool disconnected = signedOut && service.desiredStatus == RY_PRESENCE_OFFLINE;

    std::string first = service.nickname;
    if (std::string state = serviceStateText(service); !state.empty()) {
        if (!first.empty()) first += kit::text(texts::kStateSeparator);
        first += state;
    }
    std::string second = service.userName;
    if (second.empty() && signedOut) second = kit::text(texts::kTapToSignIn);
    std::string third;
    if (disconnected) {
        third = service.failureText;
        if (uint32_t reason = reasonText(service.failureReason)) third = kit::text(reason);
        if (third.empty() && !service.serviceType && !service.userName.empty())
            third = kit::text(texts::kTapToSignIn);
    }

    std::vector<std::string> lines;
    for (std::string* line : {&first, &second, &third})
        if (!line->empty()) lines.push_back(std::move(*line));
    return lines;
}

} // namespace kestrova::shell
