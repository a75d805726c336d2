#include "controls/item_list.h"

#include <algorithm>
#include <cstring>

namespace kestrova::platform::detail {
namespace {

char fold(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool startsWithFolded(std::string_view text, std::string_view prefix, bool exact) {
    if (text.size() < prefix.size() || (exact && text.size() != prefix.size())) return false;
    return std::equal(prefix.begin(), prefix.end(), text.begin(),
                      [](char a, char b) { return fold(a) == fold(b); });
}

bool lessFolded(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return fold(x) < fold(y); });
}

const char* textArg(LParam lParam) {
    return lParam ? reinterpret_cast<const char*>(lParam) : "";
}

} // namespace

bool ItemList::select(int index) {
    if (index != -1 && !valid(index)) return false;
    selected_ = index;
    return true;
}

int ItemList::add(std::string text, bool sorted) {
    if (!sorted) return insert(-1, std::move(text));
    auto at =
        std::upper_bound(items_.begin(), items_.end(), text,
                         [](const std::string& t, const ListItem& item) { return lessFolded(t, item.text); });
    return insert(static_cast<int>(at - items_.begin()), std::move(text));
}

int ItemList::insert(int index, std::string text) {
    if (index < 0 || index > count()) index = count();
    items_.insert(items_.begin() + index, ListItem{std::move(text), 0, nullptr});
    if (selected_ >= index) ++selected_;
    return index;
}

bool ItemList::erase(int index) {
    if (!valid(index)) return false;
    items_.erase(items_.begin() + index);
    if (selected_ == index)
        selected_ = -1;
    else if (selected_ > index)
        --selected_;
    return true;
}

void ItemList::clear() {
    items_.clear();
    selected_ = -1;
}

int ItemList::find(int start, std::string_view text, bool exact) const {
    int n = count();
    for (int k = 1; k <= n; ++k) {
        int i = ((start < 0 ? -1 : start) + k) % n;
        if (startsWithFolded(at(i).text, text, exact)) return i;
    }
    return -1;
}

std::vector<std::string> ItemList::texts() const {
    std::vector<std::string> out;
    for (auto& item : items_)
        out.push_back(item.text);
    return out;
}

LResult handleItemMessage(ItemList& list, ItemOp op, WParam wParam, LParam lParam, bool sorted) {
    int index = static_cast<int>(static_cast<intptr_t>(wParam));
    switch (op) {
    case ItemOp::kAdd:
        return list.add(textArg(lParam), sorted);
    case ItemOp::kInsert:
        return list.insert(index, textArg(lParam));
    case ItemOp::kDelete:
        return list.erase(index) ? list.count() : -1;
    case ItemOp::kReset:
        list.clear();
        return 0;
    case ItemOp::kCount:
        return list.count();
    case ItemOp::kGetTextLength:
        return list.valid(index) ? static_cast<LResult>(list.at(index).text.size()) : -1;
    case ItemOp::kGetText: {
        if (!list.valid(index) || !lParam) return -1;
        const std::string& text = list.at(index).text;
        std::memcpy(reinterpret_cast<char*>(lParam), text.c_str(), text.size() + 1);
        return static_cast<LResult>(text.size());
    }
    case ItemOp::kFind:
    case ItemOp::kFindExact:
        return list.find(index, textArg(lParam), op == ItemOp::kFindExact);
    case ItemOp::kGetData:
        return list.valid(index) ? list.at(index).data : -1;
    case ItemOp::kSetData:
        if (!list.valid(index)) return -1;
        list.at(index).data = lParam;
        return 0;
    }
    return -1;
}

} // namespace kestrova::platform::detail
