#include "texts.h"

#include <fstream>
#include <map>
#include <sstream>

#include "kestrova/platform/icon_resources.h"

namespace kestrova::messaging {

// FIXME: kit::text() once the plug-in kit is there.
const std::string& text(uint32_t number) {
    static const std::map<uint32_t, std::string> table = [] {
        std::map<uint32_t, std::string> out;
        std::ifstream in(platform::resourcesRoot() / "messaging" / "strings.txt");
        std::string line;
        while (std::getline(in, line)) {
            if (line.empty() || line[0] == '#') continue;
            size_t tab = line.find('\t');
            if (tab == std::string::npos) continue;
            out[static_cast<uint32_t>(std::stoul(line.substr(0, tab)))] = line.substr(tab + 1);
        }
        return out;
    }();
    static const std::string empty;
    auto it = table.find(number);
    return it == table.end() ? empty : it->second;
}

} // namespace kestrova::messaging
