#include "chats_list.h"

#include <map>
#include <utility>

#include "chat_window.h"
#include "chat_window_registry.h"
#include "conversation_facts.h"
#include "kestrova/bus.h"
#include "kestrova/platform/menu.h"
#include "kestrova/platform/menu_bar.h"
#include "kestrova/platform/screen.h"
#include "kestrova/platform/window.h"
#include "texts.h"

namespace kestrova::messaging {

using namespace kestrova::platform;

namespace {

constexpr uint32_t kMaxUnread = 127;
constexpr uintptr_t kContactListCommand = 1;
constexpr uintptr_t kFirstEntryCommand = 100;

std::string entryText(bool isGroup, void* conversation) {
    std::string text = isGroup ? groupName(static_cast<HGROUP>(conversation))
                               : contactNickname(static_cast<HCONTACT>(conversation));
    if (int32_t unread = RY_GetUnreadMessageCount(conversation, isGroup))
        text += " (" + std::to_string(unread) + ")";
    return text;
}

} // namespace

std::vector<ChatsListEntry> chatsListEntries(const ChatWindowRegistry& registry) {
    // Keyed by (is-group, handle): contacts before groups, each by handle.
    std::map<std::pair<bool, uintptr_t>, bool> set;
    HCONTACT contacts[kMaxUnread];
    uint32_t count = kMaxUnread;
    RY_GetUnreadContacts(contacts, &count);
    for (uint32_t i = 0; i < count; ++i)
        set[{false, reinterpret_cast<uintptr_t>(contacts[i])}] = false;
    HGROUP groups[kMaxUnread];
    count = kMaxUnread;
    RY_GetUnreadGroups(groups, &count);
    for (uint32_t i = 0; i < count; ++i)
        set[{true, reinterpret_cast<uintptr_t>(groups[i])}] = false;
    HWND front = foregroundWindow();
    for (ChatWindow* window : registry.windows())
        set[{window->isGroup(), reinterpret_cast<uintptr_t>(window->conversation())}] =
            window->hwnd() == front;

    std::vector<ChatsListEntry> entries;
    for (const auto& [key, current] : set) {
        void* conversation = reinterpret_cast<void*>(key.second);
        entries.push_back({key.first, conversation, current, entryText(key.first, conversation)});
    }
    return entries;
}

void popupChatsList(const ChatWindowRegistry& registry) {
    std::vector<ChatsListEntry> entries = chatsListEntries(registry);
    bool chatInFront = false;
    for (ChatWindow* window : registry.windows())
        chatInFront = chatInFront || window->hwnd() == foregroundWindow();

    UniqueMenu menu(createPopupMenu());
    appendMenu(menu.get(), MF_STRING | (chatInFront ? 0 : MF_CHECKED), kContactListCommand,
               text(texts::kContactList));
    appendMenu(menu.get(), MF_SEPARATOR, 0);
    if (entries.empty()) appendMenu(menu.get(), MF_STRING | MF_GRAYED, 0, text(texts::kNone));
    for (size_t i = 0; i < entries.size(); ++i)
        appendMenu(menu.get(), MF_STRING | (entries[i].current ? MF_CHECKED : 0), kFirstEntryCommand + i,
                   entries[i].text);

    // Above the soft-key bar of the window in front, from its left end.
    Point at{0, screen().height - softKeyBarHeight()};
    HWND owner = foregroundWindow() ? foregroundWindow() : bus::get(names::kCoreWindowHwnd);
    int chosen = trackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_BOTTOMALIGN | TPM_RETURNCMD, at, owner);
    if (chosen == 0) return;
    for (ChatWindow* window : registry.windows())
        if (isVisible(window->hwnd())) showWindow(window->hwnd(), SW_HIDE);
    size_t index = static_cast<size_t>(chosen) - kFirstEntryCommand;
    if (static_cast<uintptr_t>(chosen) >= kFirstEntryCommand && index < entries.size()) {
        const ChatsListEntry& entry = entries[index];
        if (entry.isGroup)
            bus::raise(names::kMessagingChatGroup, static_cast<HGROUP>(entry.conversation));
        else
            bus::raise(names::kMessagingChatContact, static_cast<HCONTACT>(entry.conversation));
    } else if (HWND main = bus::get(names::kCoreWindowHwnd)) {
        setForegroundWindow(main);
    }
}

} // namespace kestrova::messaging
