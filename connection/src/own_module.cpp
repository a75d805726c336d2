#include "own_module.h"

#include <dlfcn.h>

namespace kestrova::connection {

void* ownModuleHandle() {
    Dl_info info{};
    if (!::dladdr(reinterpret_cast<void*>(&ownModuleHandle), &info) || !info.dli_fname) return nullptr;
    // NOTE: asking for the already loaded library gives its handle without
    // loading anything; the extra reference is given back at once, the
    // handle stays valid for as long as the library is loaded.
    void* handle = ::dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
    if (handle) ::dlclose(handle);
    return handle;
}

}  // namespace kestrova::connection
