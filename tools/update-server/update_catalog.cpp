#include "update_catalog.h"

#include <fstream>
#include <map>
#include <sstream>

namespace kestrova::updateserver {
namespace {

std::optional<std::string> readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool carriesAll(const std::map<std::string, int32_t>& posted, const std::vector<wire::ModuleBuild>& builds) {
    if (builds.empty()) return false;
    for (const auto& build : builds) {
        auto it = posted.find(build.name);
        if (it == posted.end() || it->second != build.build) return false;
    }
    return true;
}

} // namespace

std::optional<UpdateCatalog> UpdateCatalog::load(const std::filesystem::path& folder, std::string* error) {
    UpdateCatalog catalog;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        if (entry.path().extension() != ".kup") continue;
        std::string path = entry.path().string();
        auto packed = readFile(path + ".xz");
        auto body = packed ? packed : readFile(path);
        auto signature = readFile(path + ".sig");
        auto builds = readFile(path + ".builds");
        auto manifest = builds ? mkupdate::readManifest(*builds) : std::nullopt;
        if (!body || !signature || signature->size() < 128 || !manifest) {
            if (error) *error = "incomplete update package " + path;
            return std::nullopt;
        }
        catalog.packages_.push_back({entry.path().filename().string(), *body, packed ? "xz" : "",
                                     signature->substr(0, 128), *manifest});
    }
    if (ec) {
        if (error) *error = "cannot read " + folder.string();
        return std::nullopt;
    }
    return catalog;
}

CatalogAnswer UpdateCatalog::answer(const std::vector<wire::ModuleBuild>& posted) const {
    std::map<std::string, int32_t> builds;
    for (const auto& module : posted)
        builds[module.name] = module.build;
    for (const UpdatePackage& package : packages_)
        if (carriesAll(builds, package.manifest.to)) return {};
    for (const UpdatePackage& package : packages_)
        if (carriesAll(builds, package.manifest.from)) return {&package};
    return {};
}

} // namespace kestrova::updateserver
