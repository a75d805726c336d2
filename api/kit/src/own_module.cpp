#include "kestrova/kit/own_module.h"

#include <dlfcn.h>

namespace kestrova::kit {

void* ownModule() {
    // NOTE: the kit is a static library with hidden symbols, so every module
    // that links it has its own copy of this function, and its address tells
    // which module is asking.
    Dl_info info{};
    if (!::dladdr(reinterpret_cast<void*>(&ownModule), &info) || !info.dli_fname) return nullptr;
    // Asking for the already loaded library gives its handle without loading
    // anything; the extra reference is given back at once, the handle stays
    // valid for as long as the library is loaded.
    void* handle = ::dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
    if (handle) ::dlclose(handle);
    return handle;
}

}  // namespace kestrova::kit
