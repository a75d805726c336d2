// The program's modules as the About screen lists them: the program itself,
// then every library beside it, each with the build time it carries
// (docs/BUILD_STAMP.md).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kestrova::shell {

struct ModuleVersion {
    std::string name;
    // Seconds since 1970-01-01 UTC; none for a file that carries no stamp
    // or cannot be read.
    std::optional<uint32_t> built;
};

std::vector<ModuleVersion> moduleVersions(const std::filesystem::path& program,
                                          const std::filesystem::path& folder);

// "YYYY-MM-DD hh:mm:ss", in UTC.
std::string formatBuildTime(uint32_t stamp);

} // namespace kestrova::shell
