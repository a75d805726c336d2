// The loader's handle of the module this code is linked into: the plug-in
// when the kit is linked into one, the program itself for the shell and the
// tools. A module's icons and string table are looked up by it.
#pragma once

namespace kestrova::kit {

void* ownModule();

}  // namespace kestrova::kit
