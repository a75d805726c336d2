#include "module_versions.h"

#include <cstdio>
#include <ctime>

#include "kestrova/platform/build_stamp.h"
#include "kestrova/platform/module.h"

namespace kestrova::shell {

namespace {

ModuleVersion versionOf(const std::filesystem::path& file) {
    return {file.filename().string(), platform::readBuildStamp(file)};
}

} // namespace

std::vector<ModuleVersion> moduleVersions(const std::filesystem::path& program,
                                          const std::filesystem::path& folder) {
    std::vector<ModuleVersion> modules{versionOf(program)};
    for (const auto& library : platform::findFiles(folder, "*.so"))
        modules.push_back(versionOf(library));
    return modules;
}

std::string formatBuildTime(uint32_t stamp) {
    std::time_t time = stamp;
    std::tm utc{};
    gmtime_r(&time, &utc);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", utc.tm_year + 1900, utc.tm_mon + 1,
                  utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
    return text;
}

} // namespace kestrova::shell
