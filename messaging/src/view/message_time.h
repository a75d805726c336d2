// How the view writes times: a message's time relative to today, and the
// clock time of status lines. Local time, as the device is set.
#pragma once

#include <string>

#include "kestrova/platform/clock.h"

namespace kestrova::messaging {

// "hh:mm:ss" today, "Yesterday, hh:mm" the day before, else "dd-mm-yy, hh:mm".
std::string messageTimeText(platform::UnixTime when, platform::UnixTime now);
// "hh:mm:ss".
std::string clockTimeText(platform::UnixTime when);

} // namespace kestrova::messaging
