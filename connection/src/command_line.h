// What the process was started with.
#pragma once

namespace kestrova::connection {

// True when one of the program's arguments is "/hidden".
bool startedHidden();

}  // namespace kestrova::connection
