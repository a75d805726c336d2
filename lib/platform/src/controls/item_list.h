// The items of a list box or drop-down list, with the selection, and the
// messages both answer alike (add, insert, delete, find, texts, item data).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kestrova/platform/icon.h"
#include "kestrova/platform/messages.h"

namespace kestrova::platform::detail {

struct ListItem {
    std::string text;
    LParam data = 0;
    std::shared_ptr<const Icon> icon;
};

enum class ItemOp {
    kAdd,
    kInsert,
    kDelete,
    kReset,
    kGetText,
    kGetTextLength,
    kCount,
    kFind,
    kFindExact,
    kGetData,
    kSetData
};

class ItemList {
  public:
    int count() const { return static_cast<int>(items_.size()); }
    bool valid(int index) const { return index >= 0 && index < count(); }
    const ListItem& at(int index) const { return items_[static_cast<size_t>(index)]; }
    ListItem& at(int index) { return items_[static_cast<size_t>(index)]; }
    int selected() const { return selected_; }
    // False for an index out of range (-1 clears).
    bool select(int index);
    // Sorted: in ascending order of text, case-insensitive. Returns the index.
    int add(std::string text, bool sorted);
    int insert(int index, std::string text);
    bool erase(int index);
    void clear();
    // The first item after start (-1: from the top), wrapping round, whose
    // text begins with (or, exact, equals) the text, ignoring ASCII case; -1.
    int find(int start, std::string_view text, bool exact) const;
    std::vector<std::string> texts() const;

  private:
    std::vector<ListItem> items_;
    int selected_ = -1;
};

// Answers one of the shared messages; LB_ERR (-1) for a bad index.
LResult handleItemMessage(ItemList& list, ItemOp op, WParam wParam, LParam lParam, bool sorted);

} // namespace kestrova::platform::detail
