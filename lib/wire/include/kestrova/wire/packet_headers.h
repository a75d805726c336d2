// The header table of a packet: name/value pairs kept in ascending byte order
// of the names, a name stored twice keeping the later value.
//
// NOTE: a sorted vector rather than a tree. A packet has a handful of
// headers, nearly always arriving in order; and a cleared table keeps its
// strings, so a reader that refills one table packet after packet does not
// allocate once the sizes have settled. The reader appends whatever comes
// and sorts once at the end of the headers, so headers in any order cost
// n log n, never n squared; code that builds a packet uses set(), which
// keeps the order as it goes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrova::wire {

class PacketHeaders {
public:
    using value_type = std::pair<std::string, std::string>;
    using const_iterator = std::vector<value_type>::const_iterator;
    using iterator = const_iterator;

    PacketHeaders() = default;
    PacketHeaders(std::initializer_list<value_type> entries);

    // Stores the name as given, or folded to lower case.
    void set(std::string_view name, std::string_view value, bool foldName);
    // Stores the pair at the end without looking for its place: cheap in any
    // order. Until normalise() the table may be out of order and hold a name
    // twice; find() still gives the later value.
    void append(std::string_view name, std::string_view value, bool foldName);
    // Sorts what was appended, the later of equal names winning.
    void normalise();
    // Exact lookup of an already folded (or verbatim) name.
    const std::string* find(std::string_view name) const;
    // Empties the table and keeps its strings for reuse.
    void clear();

    const_iterator begin() const { return entries_.begin(); }
    const_iterator end() const { return entries_.begin() + static_cast<std::ptrdiff_t>(size_); }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    bool operator==(const PacketHeaders& other) const;

private:
    value_type& fillSpareSlot(std::string_view name, std::string_view value, bool foldName);

    std::vector<value_type> entries_;  // [0, size_) in use, the rest spare
    size_t size_ = 0;
    bool sorted_ = true;
    std::vector<uint32_t> order_;  // normalise()'s permutation, kept for reuse
};

}  // namespace kestrova::wire
