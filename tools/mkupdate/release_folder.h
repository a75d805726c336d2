// A release as the update tools see it: the files at the top of a program
// folder, and the build stamps of its modules (the program and "*.so").
#pragma once

#include "kestrova/wire/update_request.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kestrova::mkupdate {

struct ReleaseFile {
    std::string name;
    std::string bytes;
};

// Every regular file at the top of the folder whose name an update body can
// carry, sorted by name; nullopt when the folder cannot be read.
std::optional<std::vector<ReleaseFile>> readRelease(const std::filesystem::path& folder);

// The modules' builds, as a client of this release would report them.
std::vector<wire::ModuleBuild> releaseBuilds(const std::filesystem::path& folder,
                                             const std::string& programName);

// The manifest that tells the update server which clients a body is for:
// "from <name> <build>" for the old release, "to <name> <build>" for the new.
struct UpdateManifest {
    std::vector<wire::ModuleBuild> from;
    std::vector<wire::ModuleBuild> to;
};
std::string writeManifest(const UpdateManifest& manifest);
std::optional<UpdateManifest> readManifest(std::string_view text);

} // namespace kestrova::mkupdate
