// The display: what the user sees of the foreground window, with the
// navigation bar on top and the soft-key bar at the bottom. Headless keeps
// the screen in memory (tests, servers without a desktop); SDL shows it in a
// phone-sized window and turns keys and the mouse into device input.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

#include "kestrova/platform/dc.h"
#include "kestrova/platform/messages.h"

namespace kestrova::platform {

enum class DisplayKind { kAuto, kHeadless, kSdl };

std::optional<DisplayKind> parseDisplayKind(std::string_view name);  // "auto", "headless", "sdl"
const char* displayKindName(DisplayKind kind);

// Starts the display for the calling (user-interface) thread. Auto picks SDL
// when a desktop is there ($DISPLAY or $WAYLAND_DISPLAY) and headless
// otherwise; SDL falls back to headless when it cannot start. Returns the kind started.
DisplayKind startDisplay(DisplayKind kind);
void stopDisplay();
DisplayKind currentDisplay();

// Paints what is pending, then composes the whole screen / one window with
// its children.
std::unique_ptr<Bitmap> captureScreen();
std::unique_ptr<Bitmap> captureWindow(HWND hwnd);
bool saveScreenPng(const std::filesystem::path& path);
bool saveWindowPng(HWND hwnd, const std::filesystem::path& path);

}  // namespace kestrova::platform
