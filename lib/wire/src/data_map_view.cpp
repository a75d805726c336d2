#include "kestrova/wire/data_map_view.h"

#include <algorithm>
#include <cstring>

namespace kestrova::wire {
namespace {

bool keyBefore(const DataMapEntryView& entry, std::string_view key) {
    return entry.key < key;
}

} // namespace

ParseResult DataMapView::parse(std::span<const uint8_t> input) {
    entries_.clear();
    joined_.clear();
    const uint8_t* bytes = input.data();
    const size_t size = input.size();
    bool ordered = true;
    bool lastJoined = false;
    size_t pos = 0;
    ParseStatus status = ParseStatus::Complete;
    while (pos < size && bytes[pos] != 0) {
        const void* nul = std::memchr(bytes + pos, 0, size - pos);
        if (!nul) {
            status = ParseStatus::Truncated;
            break;
        }
        size_t keyEnd = static_cast<size_t>(static_cast<const uint8_t*>(nul) - bytes);
        if (size - keyEnd - 1 < 2) {
            status = ParseStatus::Truncated;
            break;
        }
        size_t length = (size_t(bytes[keyEnd + 1]) << 8) | bytes[keyEnd + 2];
        size_t dataStart = keyEnd + 3;
        if (size - dataStart < length) {
            status = ParseStatus::Truncated;
            break;
        }

        std::string_view key(reinterpret_cast<const char*>(bytes + pos), keyEnd - pos);
        std::string_view data(reinterpret_cast<const char*>(bytes + dataStart), length);
        int order = entries_.empty() ? 1 : key.compare(entries_.back().key);
        if (order == 0) {
            extendLast(data, lastJoined);
            lastJoined = true;
        } else {
            ordered = ordered && order > 0;
            entries_.push_back({key, data});
            lastJoined = false;
        }
        pos = dataStart + length;
    }
    // NOTE: keys out of order are settled once at the end, so that a hostile
    // input of many repeats costs a sort rather than a search per chunk.
    if (!ordered) keepLastOfRepeatedKeys();
    return {status, pos};
}

void DataMapView::extendLast(std::string_view data, bool alreadyJoined) {
    DataMapEntryView& last = entries_.back();
    if (!alreadyJoined) joined_.push_back(std::make_unique<std::string>(last.value));
    std::string& value = *joined_.back();
    value.append(data);
    last.value = value;
}

void DataMapView::keepLastOfRepeatedKeys() {
    std::stable_sort(entries_.begin(), entries_.end(),
                     [](const DataMapEntryView& a, const DataMapEntryView& b) { return a.key < b.key; });
    size_t kept = 0;
    for (const DataMapEntryView& entry : entries_) {
        if (kept > 0 && entries_[kept - 1].key == entry.key)
            entries_[kept - 1] = entry;
        else
            entries_[kept++] = entry;
    }
    entries_.resize(kept);
}

std::optional<std::string_view> DataMapView::find(std::string_view key) const {
    auto it = std::lower_bound(entries_.begin(), entries_.end(), key, keyBefore);
    if (it == entries_.end() || it->key != key) return std::nullopt;
    return it->value;
}

std::span<const DataMapEntryView> DataMapView::withPrefix(std::string_view prefix) const {
    auto first = std::lower_bound(entries_.begin(), entries_.end(), prefix, keyBefore);
    auto last = first;
    while (last != entries_.end() && last->key.starts_with(prefix))
        ++last;
    return {first, last};
}

} // namespace kestrova::wire
