#include "release_folder.h"

#include "kestrova/platform/build_stamp.h"
#include "kestrova/wire/update_body.h"

#include <charconv>
#include <fstream>
#include <sstream>

namespace kestrova::mkupdate {

std::optional<std::vector<ReleaseFile>> readRelease(const std::filesystem::path& folder) {
    std::error_code ec;
    std::vector<ReleaseFile> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        std::string name = entry.path().filename().string();
        if (!entry.is_regular_file() || entry.is_symlink() || !wire::isSafeUpdateFileName(name)) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        if (!in) return std::nullopt;
        files.push_back({name, bytes.str()});
    }
    if (ec) return std::nullopt;
    std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    return files;
}

std::vector<wire::ModuleBuild> releaseBuilds(const std::filesystem::path& folder,
                                             const std::string& programName) {
    std::vector<wire::ModuleBuild> builds;
    auto files = readRelease(folder);
    if (!files) return builds;
    for (const ReleaseFile& file : *files) {
        if (file.name != programName && !file.name.ends_with(".so")) continue;
        auto stamp = platform::readBuildStamp(
            std::span(reinterpret_cast<const unsigned char*>(file.bytes.data()), file.bytes.size()));
        if (stamp && *stamp != 0) builds.push_back({file.name, static_cast<int32_t>(*stamp)});
    }
    return builds;
}

std::string writeManifest(const UpdateManifest& manifest) {
    std::string out;
    for (const auto& build : manifest.from)
        out += "from " + build.name + " " + std::to_string(build.build) + "\n";
    for (const auto& build : manifest.to)
        out += "to " + build.name + " " + std::to_string(build.build) + "\n";
    return out;
}

std::optional<UpdateManifest> readManifest(std::string_view text) {
    UpdateManifest manifest;
    while (!text.empty()) {
        size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.empty()) continue;
        size_t first = line.find(' '), last = line.rfind(' ');
        if (first == std::string_view::npos || first == last) return std::nullopt;
        std::string_view kind = line.substr(0, first), name = line.substr(first + 1, last - first - 1);
        std::string_view number = line.substr(last + 1);
        int32_t build = 0;
        auto [ptr, error] = std::from_chars(number.data(), number.data() + number.size(), build);
        if (error != std::errc() || ptr != number.data() + number.size()) return std::nullopt;
        if (kind == "from")
            manifest.from.push_back({std::string(name), build});
        else if (kind == "to")
            manifest.to.push_back({std::string(name), build});
        else
            return std::nullopt;
    }
    return manifest;
}

} // namespace kestrova::mkupdate
