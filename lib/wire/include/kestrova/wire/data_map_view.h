// A data map read in place: the entries of an encoding as {key, value} views
// into the input, for readers that only look at a map while its bytes live.
// A parse costs no allocation per entry; a view reused for many maps (the
// records of a contact list, say) costs none once its storage has grown.
//
// The merging rules are those of parseDataMap: a chunk repeating the
// previous chunk's key extends that value, a key repeated later replaces
// the earlier value, and a truncation keeps the entries before it. Entries
// are in key order, which is the input order of every well-formed encoding.
#pragma once

#include "kestrova/wire/data_map.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestrova::wire {

struct DataMapEntryView {
    std::string_view key;
    std::string_view value;
};

class DataMapView {
  public:
    DataMapView() = default;
    // A copy would point at the joined values of the original.
    DataMapView(const DataMapView&) = delete;
    DataMapView& operator=(const DataMapView&) = delete;
    DataMapView(DataMapView&&) = default;
    DataMapView& operator=(DataMapView&&) = default;

    // Replaces the entries with those of input, which must outlive their use.
    ParseResult parse(std::span<const uint8_t> input);
    ParseResult parse(std::string_view input) {
        return parse(std::span(reinterpret_cast<const uint8_t*>(input.data()), input.size()));
    }
    // The entries would point into a string about to be destroyed.
    ParseResult parse(std::string&&) = delete;

    std::optional<std::string_view> find(std::string_view key) const;
    // A copy of the value, for a reader that needs it NUL-terminated.
    std::optional<std::string> findString(std::string_view key) const {
        if (auto value = find(key)) return std::string(*value);
        return std::nullopt;
    }
    // The entries whose keys start with prefix (all of them for an empty one).
    std::span<const DataMapEntryView> withPrefix(std::string_view prefix) const;

    auto begin() const { return entries_.begin(); }
    auto end() const { return entries_.end(); }
    size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }

  private:
    void extendLast(std::string_view data, bool alreadyJoined);
    void keepLastOfRepeatedKeys();

    std::vector<DataMapEntryView> entries_;
    // Values that came in more than one chunk, joined. Each string is held
    // by pointer so that growing the list never moves a joined value.
    std::vector<std::unique_ptr<std::string>> joined_;
};

} // namespace kestrova::wire
