// The numbers a bridge gives to what it meets on the other network: the
// client knows bridged contacts, room occupants and rooms only by 64-bit
// ids, the network only by addresses. A book hands out one id per key and
// finds the key again; ids stay the same for as long as the book lives (the
// owner's session), so a contact keeps its id when the bridge goes off and
// on again. Books of one bridge share one counter, so no two of its ids
// are equal, and they never give 0 (a "Contact-Id" of 0 means "none").
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace kestrova::server::bridges {

class IdCounter {
  public:
    uint64_t next() { return ++last_; }

  private:
    uint64_t last_ = 0;
};

class IdBook {
  public:
    IdBook(IdCounter& counter, size_t capacity) : counter_(counter), capacity_(capacity) {}

    // The key's id, given now when it has none; 0 when the book is full.
    uint64_t idFor(const std::string& key) {
        if (auto found = ids_.find(key); found != ids_.end()) return found->second;
        if (ids_.size() >= capacity_) return 0;
        uint64_t id = counter_.next();
        ids_.emplace(key, id);
        keys_.emplace(id, key);
        return id;
    }
    // 0 when the key has no id.
    uint64_t find(const std::string& key) const {
        auto found = ids_.find(key);
        return found == ids_.end() ? 0 : found->second;
    }
    const std::string* keyOf(uint64_t id) const {
        auto found = keys_.find(id);
        return found == keys_.end() ? nullptr : &found->second;
    }
    size_t size() const { return ids_.size(); }

  private:
    IdCounter& counter_;
    size_t capacity_;
    std::map<std::string, uint64_t> ids_;
    std::map<uint64_t, std::string> keys_;
};

} // namespace kestrova::server::bridges
