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
#include "kestrova/platform/geometry.h"
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
// What the desktop window's close button does: the program's main window (the
// oldest visible top-level window) is asked to close (WM_CLOSE); without one
// the message loop ends.
void closeFromDesktop();

// The desktop display's window. It shows a small screen at twice its size, but
// never larger than the desktop's usable area allows with the window's frame:
// the size for a screen, an area and a frame (nothing for a frame not known).
Size fitOnDesktop(Size screen, Size usable, Size frame);
// A size the user drags the window to, made to keep the screen's aspect: the
// side that moved more leads.
Size keepAspect(Size screen, Size before, Size requested);
// The inside of the desktop window now; nullopt without the desktop display.
std::optional<Size> desktopWindowSize();
bool saveWindowPng(HWND hwnd, const std::filesystem::path& path);

}  // namespace kestrova::platform
