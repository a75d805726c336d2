// The loader's handle of the library this code runs in: the plug-in when it
// is loaded as one, the program itself when the code is linked in (tests).
// Icons of the plug-in are looked up by it.
#pragma once

namespace kestrova::connection {

void* ownModuleHandle();

}  // namespace kestrova::connection
