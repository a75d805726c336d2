// The About screen's pages: Modules (the program and its libraries with the
// time each was built) and Credits (who made it, and the work it stands on).
// Both are scrolling lists of two-line rows.
#pragma once

#include <filesystem>
#include <memory>
#include <vector>

#include "tabbed_screen.h"

namespace kestrova::shell {

std::vector<std::unique_ptr<ScreenPage>> makeAboutPages(platform::HWND screen,
                                                        const std::filesystem::path& program);

} // namespace kestrova::shell
