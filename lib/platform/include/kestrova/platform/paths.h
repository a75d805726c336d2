// Where things live on disk.
#pragma once

#include <filesystem>

namespace kestrova::platform {

// The folder of the running program (build/bin or the installed folder),
// where plug-ins and resources sit beside it.
std::filesystem::path programFolder();
// The running program's own file, with its full path.
std::filesystem::path programPath();
// Per-user data: $KESTROVA_HOME, else $XDG_CONFIG_HOME/kestrova, else ~/.config/kestrova.
std::filesystem::path kestrovaHome();
// Per-session runtime files: $XDG_RUNTIME_DIR, else a folder under /tmp.
std::filesystem::path runtimeFolder();
// The device's temporary folder (pictures taken, pictures to view): "tmp" in
// the runtime folder, made (private to the user) when it is not there.
std::filesystem::path temporaryFolder();

}  // namespace kestrova::platform
