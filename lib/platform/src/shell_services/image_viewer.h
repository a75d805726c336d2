// The platform's picture viewer: a window of its own that shows one JPEG
// file fitted to the screen, closed with its soft key or Back.
#pragma once

#include <filesystem>

#include "kestrova/platform/messages.h"

namespace kestrova::platform::detail {

inline constexpr char kImageViewerClass[] = "KestrovaImageViewer";

// Shows the picture and returns the viewer's window. A file that cannot be
// read, is damaged or too large is explained in a message box over owner
// instead, and null comes back.
HWND showImageViewer(const std::filesystem::path& file, HWND owner);

} // namespace kestrova::platform::detail
