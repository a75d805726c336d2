// The updates an update server offers: every "<name>.kup" body in its folder
// made by kestrova-mkupdate, with its signature ("<name>.kup.sig") and the
// builds it is for ("<name>.kup.builds"). The body is sent xz-compressed
// when its compressed form ("<name>.kup.xz") is there.
#pragma once

#include "release_folder.h"

#include "kestrova/wire/update_request.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kestrova::updateserver {

struct UpdatePackage {
    std::string name;
    std::string body;     // as sent
    std::string encoding; // its "Content-Encoding": "xz", or empty for the raw body
    std::string signatureHex;
    mkupdate::UpdateManifest manifest;
};

struct CatalogAnswer {
    const UpdatePackage* update = nullptr; // null: nothing to send (up to date, or no update known)
};

class UpdateCatalog {
  public:
    // nullopt when a package in the folder is incomplete or unreadable.
    static std::optional<UpdateCatalog> load(const std::filesystem::path& folder, std::string* error);

    // A client whose modules carry every "to" build of a package is up to
    // date; one that carries every "from" build of a package gets it.
    CatalogAnswer answer(const std::vector<wire::ModuleBuild>& posted) const;
    size_t size() const { return packages_.size(); }

  private:
    std::vector<UpdatePackage> packages_;
};

} // namespace kestrova::updateserver
