// The open chat windows, one per conversation, found by the conversation's
// handle (contacts and groups share the map; a handle is never both). A
// window enters when it is made and leaves as it is destroyed.
#pragma once

#include <map>
#include <vector>

#include "kestrova/api.h"

namespace kestrova::messaging {

class ChatWindow;

class ChatWindowRegistry {
  public:
    ChatWindowRegistry() = default;
    // Closes every window still open.
    ~ChatWindowRegistry();
    ChatWindowRegistry(const ChatWindowRegistry&) = delete;
    ChatWindowRegistry& operator=(const ChatWindowRegistry&) = delete;

    ChatWindow* find(void* conversation) const;
    void add(void* conversation, ChatWindow* window);
    void remove(void* conversation);
    bool empty() const { return windows_.empty(); }
    size_t size() const { return windows_.size(); }
    // In order of handle value.
    std::vector<ChatWindow*> windows() const;
    // Sends every window a close request until none is left.
    void closeAll();

  private:
    std::map<void*, ChatWindow*> windows_;
};

} // namespace kestrova::messaging
