// The chats list behind the "Chats" soft key: a popup menu of the
// conversations with unread messages and of the open chat windows (contacts
// first, then groups, each by handle), with their unread counts, and
// "Contact List" at the top. Choosing an entry hides the chat windows and
// opens the chosen conversation; "Contact List" leaves the main window in
// front.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestrova::messaging {

class ChatWindowRegistry;

struct ChatsListEntry {
    bool isGroup = false;
    void* conversation = nullptr;
    bool current = false; // its chat window is in front
    std::string text;     // "Bob (2)"
};

// The conversations in menu order.
std::vector<ChatsListEntry> chatsListEntries(const ChatWindowRegistry& registry);

// Shows the menu and acts on the choice.
void popupChatsList(const ChatWindowRegistry& registry);

} // namespace kestrova::messaging
