#include "kestrova/platform/menu.h"

#include <map>
#include <memory>
#include <mutex>

#include "kestrova/platform/dc.h"
#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/modal.h"
#include "kestrova/platform/window.h"
#include "controls/popup_menu_window.h"

namespace kestrova::platform {
namespace {

struct MenuRecord {
    std::vector<MenuItem> items;
};

struct MenuTable {
    std::mutex mutex;
    std::map<uintptr_t, std::unique_ptr<MenuRecord>> menus;
    uintptr_t next = 0x20000;
};

MenuTable& table() {
    static MenuTable* t = new MenuTable;
    return *t;
}

MenuRecord* lookup(HMENU menu) {
    auto& t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.menus.find(reinterpret_cast<uintptr_t>(menu));
    return it == t.menus.end() ? nullptr : it->second.get();
}

// The index of the entry: by position, or the first entry with the command.
std::optional<size_t> indexOf(MenuRecord& m, uint32_t item, uint32_t flags) {
    if (flags & MF_BYPOSITION) {
        if (item < m.items.size()) return item;
        return std::nullopt;
    }
    for (size_t i = 0; i < m.items.size(); ++i)
        if (!(m.items[i].flags & (MF_POPUP | MF_SEPARATOR)) && m.items[i].id == item) return i;
    return std::nullopt;
}

}  // namespace

HMENU createPopupMenu() {
    auto& t = table();
    std::lock_guard lock(t.mutex);
    uintptr_t id = t.next;
    t.next += 4;
    t.menus.emplace(id, std::make_unique<MenuRecord>());
    return reinterpret_cast<HMENU>(id);
}

bool destroyMenu(HMENU menu) {
    std::unique_ptr<MenuRecord> doomed;
    {
        auto& t = table();
        std::lock_guard lock(t.mutex);
        auto it = t.menus.find(reinterpret_cast<uintptr_t>(menu));
        if (it == t.menus.end()) return false;
        doomed = std::move(it->second);
        t.menus.erase(it);
    }
    for (auto& item : doomed->items)
        if (item.popup) destroyMenu(item.popup);
    return true;
}

bool isMenu(HMENU menu) { return lookup(menu) != nullptr; }

bool insertMenu(HMENU menu, uint32_t position, uint32_t flags, uintptr_t idOrPopup, std::string_view text) {
    MenuRecord* m = lookup(menu);
    if (!m) return false;
    MenuItem item;
    item.flags = flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_POPUP | MF_SEPARATOR);
    item.text = std::string(text);
    if (flags & MF_POPUP) {
        item.popup = reinterpret_cast<HMENU>(idOrPopup);
        if (!isMenu(item.popup)) return false;
    } else if (!(flags & MF_SEPARATOR)) {
        item.id = idOrPopup;
    }
    size_t at = m->items.size();
    if (position != kAppend) {
        if (flags & MF_BYPOSITION) at = std::min<size_t>(position, m->items.size());
        else if (auto i = indexOf(*m, position, MF_BYCOMMAND)) at = *i;
    }
    m->items.insert(m->items.begin() + static_cast<long>(at), std::move(item));
    return true;
}

bool appendMenu(HMENU menu, uint32_t flags, uintptr_t idOrPopup, std::string_view text) {
    return insertMenu(menu, kAppend, flags | MF_BYPOSITION, idOrPopup, text);
}

bool removeMenu(HMENU menu, uint32_t item, uint32_t flags) {
    MenuRecord* m = lookup(menu);
    if (!m) return false;
    auto i = indexOf(*m, item, flags);
    if (!i) return false;
    m->items.erase(m->items.begin() + static_cast<long>(*i));
    return true;
}

bool deleteMenu(HMENU menu, uint32_t item, uint32_t flags) {
    MenuRecord* m = lookup(menu);
    if (!m) return false;
    auto i = indexOf(*m, item, flags);
    if (!i) return false;
    HMENU popup = m->items[*i].popup;
    m->items.erase(m->items.begin() + static_cast<long>(*i));
    if (popup) destroyMenu(popup);
    return true;
}

int menuItemCount(HMENU menu) {
    MenuRecord* m = lookup(menu);
    return m ? static_cast<int>(m->items.size()) : -1;
}

std::optional<MenuItem> menuItem(HMENU menu, uint32_t item, uint32_t flags) {
    MenuRecord* m = lookup(menu);
    if (!m) return std::nullopt;
    auto i = indexOf(*m, item, flags);
    if (!i) return std::nullopt;
    return m->items[*i];
}

HMENU subMenu(HMENU menu, int position) {
    if (position < 0) return nullptr;
    auto item = menuItem(menu, static_cast<uint32_t>(position), MF_BYPOSITION);
    return item ? item->popup : nullptr;
}

int checkMenuItem(HMENU menu, uint32_t item, uint32_t flags) {
    MenuRecord* m = lookup(menu);
    if (!m) return -1;
    auto i = indexOf(*m, item, flags);
    if (!i) return -1;
    auto& entry = m->items[*i];
    int previous = static_cast<int>(entry.flags & MF_CHECKED);
    entry.flags = (entry.flags & ~MF_CHECKED) | (flags & MF_CHECKED);
    return previous;
}

int enableMenuItem(HMENU menu, uint32_t item, uint32_t flags) {
    MenuRecord* m = lookup(menu);
    if (!m) return -1;
    auto i = indexOf(*m, item, flags);
    if (!i) return -1;
    auto& entry = m->items[*i];
    int previous = static_cast<int>(entry.flags & (MF_GRAYED | MF_DISABLED));
    entry.flags = (entry.flags & ~(MF_GRAYED | MF_DISABLED)) | (flags & (MF_GRAYED | MF_DISABLED));
    return previous;
}

bool setMenuItemText(HMENU menu, uint32_t item, uint32_t flags, std::string_view text) {
    MenuRecord* m = lookup(menu);
    if (!m) return false;
    auto i = indexOf(*m, item, flags);
    if (!i) return false;
    m->items[*i].text = std::string(text);
    return true;
}

std::optional<uintptr_t> findMenuCommand(HMENU menu, std::string_view text) {
    MenuRecord* m = lookup(menu);
    if (!m) return std::nullopt;
    std::string wanted = stripMnemonics(text);
    for (auto& item : m->items) {
        if (item.flags & MF_SEPARATOR) continue;
        if (item.popup) {
            if (auto found = findMenuCommand(item.popup, text)) return found;
            continue;
        }
        if (!(item.flags & (MF_GRAYED | MF_DISABLED)) && stripMnemonics(item.text) == wanted) return item.id;
    }
    return std::nullopt;
}

int trackPopupMenu(HMENU menu, uint32_t flags, Point at, HWND owner) {
    if (!isMenu(menu)) return 0;
    if (!(flags & TPM_NONOTIFY) && isWindow(owner))
        sendMessage(owner, WM_INITMENUPOPUP, reinterpret_cast<WParam>(menu), 0);
    ModalRequest request;
    request.kind = ModalKind::kPopupMenu;
    request.owner = owner;
    request.style = flags;
    request.menu = menu;
    request.at = at;
    int command = resolveModal(request, [&] { return runPopupMenu(menu, flags, at, owner); });
    if (flags & TPM_RETURNCMD) return command;
    if (command && isWindow(owner)) postMessage(owner, WM_COMMAND, makeWParam(command, 0), 0);
    return command != 0;
}

}  // namespace kestrova::platform
