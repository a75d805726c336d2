// The body of the update check: an XML list of the program's modules with
// their build stamps, the platform and the user. Written without indentation
// or escaping, exactly as the update server expects it:
//
//   <?xml version='1.0'?>\n<root><file><name>N</name><build>B</build></file>...
//   <platform><name>P</name><language>L</language></platform>
//   <user><subid>S</subid></user></root>
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrova::wire {

struct ModuleBuild {
    std::string name;
    int32_t build = 0;
    bool operator==(const ModuleBuild&) const = default;
};

struct UpdateCheck {
    std::vector<ModuleBuild> modules;
    std::string platform;
    int32_t language = 0;
    int64_t subscriber = 0;
    bool operator==(const UpdateCheck&) const = default;
};

inline constexpr size_t kMaxPlatformNameBytes = 32;

// A text may go into the body as it is when it has no markup or control
// bytes; nothing is escaped, so the module list leaves out files whose names
// are not.
bool isPlainXmlText(std::string_view text);

// Modules with build 0 are left out. The platform name is cut to 32 bytes;
// bytes that would break the markup become "_".
std::string updateCheckBody(const UpdateCheck& check);

struct UpdateCheckLimits {
    size_t maxBody = 1024 * 1024;
    size_t maxModules = 4096;
};

// The server's side: reads a body of exactly the form above (nothing else is
// accepted); nullopt for anything else.
std::optional<UpdateCheck> parseUpdateCheckBody(std::string_view body, const UpdateCheckLimits& limits = {});

} // namespace kestrova::wire
