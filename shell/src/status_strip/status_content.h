// What the status strip shows for a connection state, an unread count and
// the user's own account: the icon at its left and its two lines. Kept apart
// from the window so that the choice reads, and is tested, on its own.
#pragma once

#include <cstdint>
#include <string>

#include "kestrova/kit/service_record.h"

namespace kestrova::shell {

enum class StripIcon {
    kNone,            // a state the strip does not know
    kOffline,         // the grey product icon "KESTORVA_GRAY"
    kOnline,          // icon 100
    kMessagesWaiting, // icon 111: online with unread messages
    kProgress,        // the progress animation
};

struct StripContent {
    StripIcon icon = StripIcon::kNone;
    std::string firstLine;
    std::string secondLine;
    friend bool operator==(const StripContent&, const StripContent&) = default;
};

// state: "connection.state"; unread: "messages.unread"; primary: the user's
// own account.
StripContent stripContent(int32_t state, int32_t unread, const kit::ServiceFields& primary);
// The states the progress animation moves in (a proxy wait shows it still).
bool animatesIn(int32_t state);

} // namespace kestrova::shell
