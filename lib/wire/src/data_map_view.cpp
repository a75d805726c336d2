#include "kestrova/wire/data_map_view.h"

#include "data_map_chunks.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <functional>

namespace kestrova::wire {
namespace {

bool keyBefore(const DataMapEntryView& entry, std::string_view key) {
    return entry.key < key;
}

uint64_t bigEndianWord(const char* bytes) {
    uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap64(word);
    return word;
}

// NOTE: the three-way comparison of two keys as unsigned bytes, eight at a
// time: neighbouring keys are short and share long prefixes ("contact.1000"),
// where a call to memcmp per chunk cost as much as the rest of the parse.
int compareKeys(std::string_view a, std::string_view b) {
    size_t common = std::min(a.size(), b.size());
    size_t i = 0;
    for (; i + 8 <= common; i += 8) {
        uint64_t x = bigEndianWord(a.data() + i), y = bigEndianWord(b.data() + i);
        if (x != y) return x < y ? -1 : 1;
    }
    for (; i < common; ++i) {
        auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

} // namespace

ParseResult DataMapView::parse(std::span<const uint8_t> input) {
    entries_.clear();
    joined_.clear();
    // A small map then grows its storage once, not at 1, 2, 4 and 8 entries.
    if (entries_.capacity() == 0) entries_.reserve(8);
    bool ordered = true;
    bool lastJoined = false;
    ParseResult result = forEachChunk(input, [&](std::string_view key, std::string_view data) {
        int order = entries_.empty() ? 1 : compareKeys(key, entries_.back().key);
        if (order == 0) {
            extendLast(data, lastJoined);
            lastJoined = true;
        } else {
            ordered = ordered && order > 0;
            entries_.push_back({key, data});
            lastJoined = false;
        }
    });
    // NOTE: keys out of order are settled once at the end, so that a hostile
    // input of many repeats costs a sort rather than a search per chunk.
    if (!ordered) keepLastOfRepeatedKeys();
    return result;
}

void DataMapView::extendLast(std::string_view data, bool alreadyJoined) {
    DataMapEntryView& last = entries_.back();
    if (!alreadyJoined) joined_.push_back(std::make_unique<std::string>(last.value));
    std::string& value = *joined_.back();
    value.append(data);
    last.value = value;
}

void DataMapView::keepLastOfRepeatedKeys() {
    // Keys are views into the input, so their addresses give the input order
    // among equal keys. NOTE: not std::stable_sort: its temporary buffer is
    // allocated with new and released with free in this standard library,
    // which AddressSanitizer reports as a mismatch.
    std::sort(entries_.begin(), entries_.end(), [](const DataMapEntryView& a, const DataMapEntryView& b) {
        if (a.key != b.key) return a.key < b.key;
        return std::less<const char*>()(a.key.data(), b.key.data());
    });
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
