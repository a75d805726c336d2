#include "kestrova/wire/packet_headers.h"

#include <algorithm>

namespace kestrova::wire {
namespace {

constexpr size_t kKeptSlots = 64;

bool nameBefore(const PacketHeaders::value_type& entry, std::string_view name) { return entry.first < name; }

}  // namespace

PacketHeaders::PacketHeaders(std::initializer_list<value_type> entries) {
    for (const auto& [name, value] : entries) set(name, value, false);
}

PacketHeaders::value_type& PacketHeaders::spareSlot() {
    if (size_ == entries_.size()) entries_.emplace_back();
    return entries_[size_];
}

void PacketHeaders::set(std::string_view name, std::string_view value, bool foldName) {
    value_type& spare = spareSlot();
    spare.first.assign(name);
    if (foldName)
        for (char& c : spare.first)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    auto live = entries_.begin() + static_cast<std::ptrdiff_t>(size_);
    auto position = (size_ > 0 && entries_[size_ - 1].first < spare.first)
                        ? live
                        : std::lower_bound(entries_.begin(), live, std::string_view(spare.first), nameBefore);
    if (position != live && position->first == spare.first) {
        position->second.assign(value);
        return;
    }
    spare.second.assign(value);
    std::rotate(position, live, live + 1);
    ++size_;
}

const std::string* PacketHeaders::find(std::string_view name) const {
    auto position = std::lower_bound(begin(), end(), name, nameBefore);
    return position != end() && position->first == name ? &position->second : nullptr;
}

void PacketHeaders::clear() {
    size_ = 0;
    if (entries_.size() > kKeptSlots) entries_.resize(kKeptSlots);
}

bool PacketHeaders::operator==(const PacketHeaders& other) const {
    return std::equal(begin(), end(), other.begin(), other.end());
}

}  // namespace kestrova::wire
