// Opening a file or a link with the shell, as a user's tap on it would:
// JPEG files in the platform's own picture viewer, links (http, https, ftp,
// and the bare "www." and "ftp." forms) and other files with the desktop's
// opener (xdg-open). Without a desktop (the headless display), or with
// KESTROVA_SHELL_OPEN=record, the opener is not started: the request is only
// recorded, so tests can see what would have been opened. Every request is
// recorded. Call on the user-interface thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "kestrova/platform/messages.h"

namespace kestrova::platform {

enum class ShellOpenResult {
    kViewer,   // shown in the picture viewer
    kStarted,  // the desktop's opener was started
    kRecorded, // the opener would have been started (no desktop)
    kNotShown, // a picture the viewer refused (its message box told why)
    kRefused,  // not a link of a kind we open, no such file, or an unsafe text
    kNoOpener, // the desktop has no xdg-open
};

// True when the shell took the request (viewer, opener started or recorded).
bool shellOpenSucceeded(ShellOpenResult result);

// owner: the window a refusal's message box belongs to.
ShellOpenResult openWithShell(std::string_view target, HWND owner = nullptr);

struct ShellOpenRecord {
    std::string how;    // "viewer", "xdg-open" or "refused"
    std::string target; // as opened (a bare "www." link with "http://" before it)
};

std::vector<ShellOpenRecord> shellOpenRecord();
void clearShellOpenRecord();

} // namespace kestrova::platform
