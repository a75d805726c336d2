// A received picture written where the shell's picture viewer can open it:
// "image.jpg" in the device's temporary folder, or "image1.jpg" when that
// name cannot be taken.
//
// NOTE: the name is fixed, so someone could plant a link under it. The
// picture is written to a new file of its own and then renamed over the
// name, which replaces a planted link instead of writing through it; and a
// folder that is not the user's own alone is not written to at all.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace kestrova::messaging {

std::optional<std::filesystem::path> writePictureFile(std::string_view bytes,
                                                      const std::filesystem::path& folder);
// In the platform's temporary folder.
std::optional<std::filesystem::path> writePictureFile(std::string_view bytes);

} // namespace kestrova::messaging
