#include "status_strip/status_content.h"

#include <optional>

#include "home_texts.h"
#include "kestrova/bus_names.h"
#include "kestrova/kit/texts.h"
#include "shell_commands.h"
#include "text_format.h"

namespace kestrova::shell {
namespace {

namespace state = names::connection_state;

// The first line of every state but online; null for a state the strip does not know.
std::optional<uint32_t> stateText(int32_t s) {
    switch (s) {
    case state::kOffline:
        return texts::kStripNotConnected;
    case state::kCheckingNetwork:
        return texts::kDialing;
    case state::kConnecting:
        return texts::kConnecting;
    case state::kWaitingForProxy:
        return texts::kConnectingViaProxy;
    case state::kLogonSent:
        return texts::kLoggingIn;
    case state::kLoadingContacts:
    case state::kLoadingGroups:
    case state::kFetchingStoredMessages:
        return texts::kSynchronizing;
    case state::kReconnectWait:
        return texts::kReconnectPending;
    case state::kResumeSent:
        return texts::kResumingSession;
    default:
        return std::nullopt;
    }
}

// The presence the user asked for, as the strip names it; empty for a value without a name.
std::string presenceText(int32_t presence) {
    return presenceName(presence == RY_PRESENCE_OFFLINE ? RY_PRESENCE_ONLINE : presence);
}

std::string firstLine(int32_t s, const kit::ServiceFields& primary) {
    if (s != state::kOnline) {
        std::optional<uint32_t> text = stateText(s);
        return kit::text(text ? *text : texts::kUnknownState);
    }
    std::string presence = presenceText(primary.desiredStatus);
    // NOTE: without a presence name the line is the name alone, not the name
    // followed by a dangling separator.
    if (presence.empty()) return primary.displayName();
    return fillIn(kit::text(kTextNameAndState), {primary.displayName(), presence});
}

std::string secondLine(int32_t s, int32_t unread, const kit::ServiceFields& primary) {
    if (unread == 1) return kit::text(texts::kOneNewMessage);
    if (unread > 1) return textWithNumber(texts::kNewMessages, unread);
    switch (s) {
    case state::kLoadingContacts:
        return kit::text(texts::kRetrievingContacts);
    case state::kLoadingGroups:
        return kit::text(texts::kRetrievingGroups);
    case state::kFetchingStoredMessages:
        return kit::text(texts::kRetrievingMessages);
    case state::kOnline:
        if (!primary.statusText.empty()) return primary.statusText;
        break;
    default:
        break;
    }
    return kit::text(texts::kNoMessages);
}

StripIcon iconOf(int32_t s, int32_t unread) {
    if (s == state::kOffline) return StripIcon::kOffline;
    if (s == state::kOnline) return unread > 0 ? StripIcon::kMessagesWaiting : StripIcon::kOnline;
    if (s == state::kWaitingForProxy || animatesIn(s)) return StripIcon::kProgress;
    return StripIcon::kNone;
}

} // namespace

bool animatesIn(int32_t s) {
    switch (s) {
    case state::kCheckingNetwork:
    case state::kConnecting:
    case state::kLogonSent:
    case state::kLoadingContacts:
    case state::kLoadingGroups:
    case state::kFetchingStoredMessages:
    case state::kReconnectWait:
    case state::kResumeSent:
        return true;
    default:
        return false;
    }
}

StripContent stripContent(int32_t s, int32_t unread, const kit::ServiceFields& primary) {
    return {iconOf(s, unread), firstLine(s, primary), secondLine(s, unread, primary)};
}

} // namespace kestrova::shell
