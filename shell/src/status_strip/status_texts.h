// The numbers of the status strip's texts in the program's string table.
#pragma once

#include <cstdint>

namespace kestrova::shell::strip_texts {

enum : uint32_t {
    kNotConnected = 112,
    kConnecting = 113,
    kLoggingIn = 114,
    kSynchronizing = 116,
    kDialing = 117,
    kReconnectPending = 118,
    kBusy = 119,
    kAway = 120,
    kOnline = 121,
    kOneNewMessage = 122,
    kNewMessages = 123, // "%d New Messages"
    kRetrievingContacts = 124,
    kRetrievingGroups = 125,
    kRetrievingMessages = 126,
    kNoMessages = 127,
    kConnectingViaProxy = 131,
    kInvisible = 133,
    kResumingSession = 156,
    kUnknownState = 161,
};

} // namespace kestrova::shell::strip_texts
