// Which item shows a message, chosen by its content type: group notices
// become AdminItems and everything else a MessageItem, unless a content kind
// registered an item of its own. The voice and picture messages hook in
// here: ItemFactory::standard().add("audio/", makeVoiceItem) makes every
// message whose type begins "audio/" a VoiceMessageItem.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "chat_item.h"
#include "kestrova/api.h"

namespace kestrova::messaging {

class ItemFactory {
  public:
    using Maker = std::function<std::shared_ptr<ChatItem>(MessageView& view, HMESSAGE message)>;

    // Messages whose content type begins with prefix get the maker's items;
    // the longest matching prefix wins, a later add of the same prefix
    // replaces the earlier one.
    void add(std::string prefix, Maker maker);
    // Back to the built-in items only.
    void clear() { makers_.clear(); }

    std::shared_ptr<ChatItem> make(MessageView& view, HMESSAGE message) const;

    // The factory every view uses unless it is given another one.
    static ItemFactory& standard();

  private:
    struct Entry {
        std::string prefix;
        Maker maker;
    };
    std::vector<Entry> makers_;
};

} // namespace kestrova::messaging
