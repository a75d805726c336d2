// The soft-key menu bar of a phone window: two keys at the bottom of the
// screen, each either a command or a popup menu, shown while its window is
// in front. The Back key can be taken over by the bar's owner.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "kestrova/platform/messages.h"

namespace kestrova::platform {

struct SoftKey {
    std::string label;
    uintptr_t command = 0;   // WM_COMMAND id, or the popup's identifier
    HMENU popup = nullptr;   // owned by the bar once given
    bool enabled = true;
    bool visible = true;
};

struct SoftKeyBar {
    SoftKey left;
    SoftKey right;
};

// Attaches the bar to its owner; it goes with the owner window. Replaces an earlier bar.
bool createMenuBar(HWND owner, SoftKeyBar bar);
bool hasMenuBar(HWND owner);
std::optional<SoftKeyBar> menuBarOf(HWND owner);
void setSoftKeyLabel(HWND owner, int index, std::string label);
void setSoftKeyEnabled(HWND owner, int index, bool enabled);
void setSoftKeyVisible(HWND owner, int index, bool visible);
// The popup of the key whose identifier is command.
HMENU softKeyPopup(HWND owner, uintptr_t command);
// Back then reaches the owner as WM_HOTKEY (lParam high word VK_TBACK).
void overrideBackKey(HWND owner, bool overridden);
bool backKeyOverridden(HWND owner);
// Presses a soft key (0 left, 1 right) of the owner's bar: a command is posted
// as WM_COMMAND; a popup gets WM_INITMENUPOPUP (lParam = its identifier) and
// is tracked above the bar.
void pressSoftKey(HWND owner, int index);
// Hands a Back key press to the focused window as key down and up.
void sendBackToFocusWindow();

}  // namespace kestrova::platform
