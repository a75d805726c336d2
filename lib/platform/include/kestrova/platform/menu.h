// Popup menus: entries with commands, check marks, greyed state, separators
// and submenus; tracked at a point, answering with the chosen command.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "kestrova/platform/geometry.h"
#include "kestrova/platform/messages.h"

namespace kestrova::platform {

enum MenuFlags : uint32_t {
    MF_STRING = 0x0,
    MF_BYCOMMAND = 0x0,
    MF_ENABLED = 0x0,
    MF_UNCHECKED = 0x0,
    MF_GRAYED = 0x1,
    MF_DISABLED = 0x2,
    MF_CHECKED = 0x8,
    MF_POPUP = 0x10,
    MF_BYPOSITION = 0x400,
    MF_SEPARATOR = 0x800,
};

enum TrackFlags : uint32_t {
    TPM_LEFTALIGN = 0x0,
    TPM_TOPALIGN = 0x0,
    TPM_RIGHTALIGN = 0x8,
    TPM_BOTTOMALIGN = 0x20,
    TPM_NONOTIFY = 0x80,
    TPM_RETURNCMD = 0x100,
};

inline constexpr uint32_t kAppend = 0xFFFFFFFF;

struct MenuItem {
    uint32_t flags = 0;   // MF_GRAYED, MF_CHECKED, MF_POPUP, MF_SEPARATOR
    uintptr_t id = 0;     // command; 0 for separators and submenus
    std::string text;
    HMENU popup = nullptr;
};

HMENU createPopupMenu();
// Destroys the menu and its submenus.
bool destroyMenu(HMENU menu);
bool isMenu(HMENU menu);
// With MF_POPUP, idOrPopup is the submenu, which the menu then owns.
bool insertMenu(HMENU menu, uint32_t position, uint32_t flags, uintptr_t idOrPopup, std::string_view text = {});
bool appendMenu(HMENU menu, uint32_t flags, uintptr_t idOrPopup, std::string_view text = {});
// Removes the entry and destroys its submenu.
bool deleteMenu(HMENU menu, uint32_t item, uint32_t flags);
// Removes the entry; its submenu lives on and is the caller's again.
bool removeMenu(HMENU menu, uint32_t item, uint32_t flags);
int menuItemCount(HMENU menu);
std::optional<MenuItem> menuItem(HMENU menu, uint32_t item, uint32_t flags);
HMENU subMenu(HMENU menu, int position);
// Both return the previous state (MF_CHECKED / MF_GRAYED bits), or -1 if there is no such entry.
int checkMenuItem(HMENU menu, uint32_t item, uint32_t flags);
int enableMenuItem(HMENU menu, uint32_t item, uint32_t flags);
bool setMenuItemText(HMENU menu, uint32_t item, uint32_t flags, std::string_view text);
// The command of the enabled entry with this text (mnemonics ignored),
// searched through submenus; nullopt if there is none.
std::optional<uintptr_t> findMenuCommand(HMENU menu, std::string_view text);

// Shows the menu at a screen point. Sends WM_INITMENUPOPUP to the owner
// first (unless TPM_NONOTIFY). With TPM_RETURNCMD returns the chosen command
// (0 when dismissed); otherwise posts WM_COMMAND to the owner and returns
// non-zero when something was chosen.
int trackPopupMenu(HMENU menu, uint32_t flags, Point at, HWND owner);

// Destroys its menu when it goes out of scope.
class UniqueMenu {
public:
    UniqueMenu() = default;
    explicit UniqueMenu(HMENU menu) : menu_(menu) {}
    ~UniqueMenu() { reset(); }
    UniqueMenu(UniqueMenu&& o) noexcept : menu_(o.release()) {}
    UniqueMenu& operator=(UniqueMenu&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }
    HMENU get() const { return menu_; }
    HMENU release() { return std::exchange(menu_, nullptr); }
    void reset(HMENU menu = nullptr) {
        if (menu_) destroyMenu(menu_);
        menu_ = menu;
    }

private:
    HMENU menu_ = nullptr;
};

}  // namespace kestrova::platform
