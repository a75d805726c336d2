// The update check as it goes on the wire: "POST /u.php HTTP/1.0" with the
// module list as its XML body, written the way every packet is written
// (lower-case header names in order, bare line feeds).
#pragma once

#include "kestrova/wire/update_request.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrova::updates {

// The modules beside the program: the program itself and every "*.so", each
// with the build stamp it carries. Files without a stamp, and names that
// cannot go into the request unescaped, are left out. Sorted by name.
std::vector<wire::ModuleBuild> listModuleBuilds(const std::filesystem::path& folder,
                                                std::string_view programName);

// The request bytes; nullopt when the host name could break the header
// (a line break, a zero byte) or is empty.
std::optional<std::string> checkRequest(std::string_view host, const wire::UpdateCheck& check);

} // namespace kestrova::updates
