#include "command_line.h"

#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace kestrova::connection {

bool startedHidden() {
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string_view rest(all);
    bool first = true;
    while (!rest.empty()) {
        std::string_view argument = rest.substr(0, rest.find('\0'));
        rest.remove_prefix(std::min(rest.size(), argument.size() + 1));
        if (!first && argument == "/hidden") return true;
        first = false;
    }
    return false;
}

}  // namespace kestrova::connection
