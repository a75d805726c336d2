#include "chat_window_registry.h"

#include "chat_window.h"
#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/window.h"

namespace kestrova::messaging {

ChatWindowRegistry::~ChatWindowRegistry() {
    closeAll();
}

ChatWindow* ChatWindowRegistry::find(void* conversation) const {
    auto it = windows_.find(conversation);
    return it == windows_.end() ? nullptr : it->second;
}

void ChatWindowRegistry::add(void* conversation, ChatWindow* window) {
    windows_.emplace(conversation, window);
}

void ChatWindowRegistry::remove(void* conversation) {
    windows_.erase(conversation);
}

std::vector<ChatWindow*> ChatWindowRegistry::windows() const {
    std::vector<ChatWindow*> out;
    for (const auto& [handle, window] : windows_)
        out.push_back(window);
    return out;
}

void ChatWindowRegistry::closeAll() {
    while (!windows_.empty()) {
        auto first = windows_.begin();
        void* conversation = first->first;
        platform::HWND hwnd = first->second->hwnd();
        platform::sendMessage(hwnd, platform::WM_CLOSE);
        // A window that stayed open is taken down all the same.
        if (windows_.count(conversation) && platform::isWindow(hwnd)) platform::destroyWindow(hwnd);
        windows_.erase(conversation);
    }
}

} // namespace kestrova::messaging
