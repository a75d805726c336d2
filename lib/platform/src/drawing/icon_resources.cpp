#include "kestrova/platform/icon_resources.h"

#include "kestrova/platform/paths.h"

#include <dlfcn.h>
#include <link.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

namespace kestrova::platform {
namespace {

// What the program's own resources are: the program's, unless a test
// program stands in for a plug-in. Set once before any lookup.
struct ProgramResources {
    std::filesystem::path root;  // empty: beside the program
    std::string name = "kestrova";
};

ProgramResources& programResources() {
    static ProgramResources resources;
    return resources;
}

std::optional<std::vector<uint8_t>> readBoundedFile(const std::filesystem::path& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error || size > kMaxIconFileSize) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<uint8_t> bytes(size);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(size))) return std::nullopt;
    return bytes;
}

// Higher is better: exact sizes first, then the nearest size; more colours
// break ties; the first listed wins among equals.
long fitScore(const IconImage& image, int size) {
    const long distance = std::labs(long(image.width) - size) + std::labs(long(image.height) - size);
    return -distance * 64 + image.bitsPerPixel;
}

IconPtr scaledCopy(const IconImage& image, int size) {
    auto icon = std::make_unique<Icon>(size, size);
    for (int y = 0; y < size; ++y) {
        const int sourceY = y * image.height / size;
        for (int x = 0; x < size; ++x) {
            const int sourceX = x * image.width / size;
            icon->setPixel(x, y, image.pixel(sourceX, sourceY));
            icon->setOpaque(x, y, image.isOpaque(sourceX, sourceY));
        }
    }
    return icon;
}

}  // namespace

std::filesystem::path resourcesRoot() {
    if (const char* root = std::getenv("KESTROVA_RESOURCES"); root && *root) return root;
    if (!programResources().root.empty()) return programResources().root;
    return programFolder() / "resources";
}

void standInForModule(std::filesystem::path root, std::string moduleName) {
    programResources() = {std::move(root), std::move(moduleName)};
}

void* mainProgramModule() {
    static void* const program = ::dlopen(nullptr, RTLD_LAZY);
    return program;
}

std::string moduleResourceName(void* module) {
    link_map* map = nullptr;
    if (!module || module == mainProgramModule() || ::dlinfo(module, RTLD_DI_LINKMAP, &map) != 0 || !map ||
        !map->l_name || !*map->l_name)
        return programResources().name;
    std::string name = std::filesystem::path(map->l_name).filename().string();
    if (name.starts_with("lib")) name.erase(0, 3);
    if (const size_t so = name.find(".so"); so != std::string::npos) name.erase(so);
    return name;
}

std::filesystem::path iconResourcePath(void* module, const ResourceName& name) {
    const std::string file = (name.text.empty() ? std::to_string(name.number) : name.text) + ".ico";
    return resourcesRoot() / moduleResourceName(module) / "icons" / file;
}

std::optional<IconGroup> loadIconGroup(void* module, const ResourceName& name) {
    const auto bytes = readBoundedFile(iconResourcePath(module, name));
    if (!bytes) return std::nullopt;
    return parseIconFile(*bytes);
}

IconPtr iconFromGroup(const IconGroup& group, int size) {
    if (size <= 0 || group.images.empty()) return nullptr;
    const IconImage* best = &group.images.front();
    for (const IconImage& image : group.images)
        if (fitScore(image, size) > fitScore(*best, size)) best = &image;
    return scaledCopy(*best, size);
}

IconPtr loadIcon(void* module, const ResourceName& name, int size) {
    const auto group = loadIconGroup(module, name);
    return group ? iconFromGroup(*group, size) : nullptr;
}

}  // namespace kestrova::platform
