#include "kestrova/wire/packet_headers.h"

#include <algorithm>
#include <numeric>

namespace kestrova::wire {
namespace {

constexpr size_t kKeptSlots = 64;

bool nameBefore(const PacketHeaders::value_type& entry, std::string_view name) { return entry.first < name; }

void foldInPlace(std::string& name) {
    for (char& c : name)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
}

}  // namespace

PacketHeaders::PacketHeaders(std::initializer_list<value_type> entries) {
    for (const auto& [name, value] : entries) set(name, value, false);
}

PacketHeaders::value_type& PacketHeaders::fillSpareSlot(std::string_view name, std::string_view value, bool foldName) {
    if (size_ == entries_.size()) entries_.emplace_back();
    value_type& spare = entries_[size_];
    spare.first.assign(name);
    if (foldName) foldInPlace(spare.first);
    spare.second.assign(value);
    return spare;
}

void PacketHeaders::set(std::string_view name, std::string_view value, bool foldName) {
    normalise();
    value_type& spare = fillSpareSlot(name, value, foldName);
    auto live = entries_.begin() + static_cast<std::ptrdiff_t>(size_);
    auto position = (size_ > 0 && entries_[size_ - 1].first < spare.first)
                        ? live
                        : std::lower_bound(entries_.begin(), live, std::string_view(spare.first), nameBefore);
    if (position != live && position->first == spare.first) {
        position->second.swap(spare.second);
        return;
    }
    std::rotate(position, live, live + 1);
    ++size_;
}

void PacketHeaders::append(std::string_view name, std::string_view value, bool foldName) {
    value_type& spare = fillSpareSlot(name, value, foldName);
    if (size_ > 0 && !(entries_[size_ - 1].first < spare.first)) sorted_ = false;
    ++size_;
}

void PacketHeaders::normalise() {
    if (sorted_) return;
    sorted_ = true;
    // Sorts positions rather than strings, equal names in the order they
    // came, then moves each entry once to its place along the permutation's
    // cycles: only swaps, so no string is copied or allocated.
    order_.resize(size_);
    std::iota(order_.begin(), order_.end(), uint32_t(0));
    std::sort(order_.begin(), order_.end(), [this](uint32_t a, uint32_t b) {
        int compared = entries_[a].first.compare(entries_[b].first);
        return compared < 0 || (compared == 0 && a < b);
    });
    for (size_t i = 0; i < size_; ++i) {
        size_t j = i;
        while (order_[j] != i) {
            size_t next = order_[j];
            std::swap(entries_[j], entries_[next]);
            order_[j] = static_cast<uint32_t>(j);
            j = next;
        }
        order_[j] = static_cast<uint32_t>(j);
    }
    // Of equal names the last one stays; the others become spare slots.
    size_t kept = 0;
    for (size_t i = 0; i < size_; ++i) {
        if (i + 1 < size_ && entries_[i].first == entries_[i + 1].first) continue;
        if (kept != i) std::swap(entries_[kept], entries_[i]);
        ++kept;
    }
    size_ = kept;
}

const std::string* PacketHeaders::find(std::string_view name) const {
    if (!sorted_) {
        for (size_t i = size_; i-- > 0;)
            if (entries_[i].first == name) return &entries_[i].second;
        return nullptr;
    }
    auto position = std::lower_bound(begin(), end(), name, nameBefore);
    return position != end() && position->first == name ? &position->second : nullptr;
}

void PacketHeaders::clear() {
    size_ = 0;
    sorted_ = true;
    if (entries_.size() > kKeptSlots) entries_.resize(kKeptSlots);
}

bool PacketHeaders::operator==(const PacketHeaders& other) const {
    return std::equal(begin(), end(), other.begin(), other.end());
}

}  // namespace kestrova::wire
