#include "module_resources.h"

#include <dlfcn.h>

#include <map>
#include <utility>

namespace kestrova::messaging {

void* messagingModule() {
    // FIXME: kit::ownModule() once the plug-in kit is there.
    Dl_info info{};
    if (!::dladdr(reinterpret_cast<void*>(&messagingModule), &info) || !info.dli_fname) return nullptr;
    void* handle = ::dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
    if (handle) ::dlclose(handle);
    return handle;
}

const platform::Icon* messagingIcon(const platform::ResourceName& name, int size) {
    static std::map<std::pair<std::string, int>, platform::IconPtr> icons;
    std::string key = name.text.empty() ? std::to_string(name.number) : name.text;
    auto [it, added] = icons.try_emplace({key, size});
    if (added) it->second = platform::loadIcon(messagingModule(), name, size);
    return it->second.get();
}

} // namespace kestrova::messaging
