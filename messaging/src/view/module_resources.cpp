#include "module_resources.h"

#include <map>
#include <utility>

#include "kestrova/kit/own_module.h"

namespace kestrova::messaging {

void* messagingModule() {
    return kit::ownModule();
}

const platform::Icon* messagingIcon(const platform::ResourceName& name, int size) {
    static std::map<std::pair<std::string, int>, platform::IconPtr> icons;
    std::string key = name.text.empty() ? std::to_string(name.number) : name.text;
    auto [it, added] = icons.try_emplace({key, size});
    if (added) it->second = platform::loadIcon(messagingModule(), name, size);
    return it->second.get();
}

} // namespace kestrova::messaging
