// Icon resources of the program and its plug-ins. Each module's resources
// sit beside the modules, one file per icon group:
//   <resources root>/<module name>/icons/<resource name>.ico
// where the module name is "kestrova" for the program itself and the file
// name of a plug-in without "lib" and ".so", and a numeric resource
// identifier is written in decimal.
#pragma once

#include "kestrova/platform/ico_file.h"
#include "kestrova/platform/icon.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace kestrova::platform {

// A resource is named by text or by number.
struct ResourceName {
    std::string text;  // used when not empty
    uint32_t number = 0;
};

// $KESTROVA_RESOURCES if set, else the "resources" folder beside the program.
std::filesystem::path resourcesRoot();
// A test program that runs a plug-in's code linked into itself looks that
// plug-in's resources up as its own: under root (unless $KESTROVA_RESOURCES
// says otherwise) and by the plug-in's module name. Call before any lookup.
void standInForModule(std::filesystem::path root, std::string moduleName);
// The module handle that stands for the program's own resources.
void* mainProgramModule();
// "kestrova" for the program (or the module it stands in for), else the
// module's file name without "lib" and ".so".
std::string moduleResourceName(void* module);
std::filesystem::path iconResourcePath(void* module, const ResourceName& name);

std::optional<IconGroup> loadIconGroup(void* module, const ResourceName& name);
// The group's image that best fits size by size pixels: an exact size with
// the most colours, else the nearest size scaled. Null if there is none.
IconPtr loadIcon(void* module, const ResourceName& name, int size);
IconPtr iconFromGroup(const IconGroup& group, int size);

}  // namespace kestrova::platform
