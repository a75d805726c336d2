#include "pending_requests.h"

namespace kestrova::connection {
namespace {

uint32_t bigEndianWord(const std::string& bytes, size_t at) {
    auto byte = [&](size_t i) { return static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + i])); };
    return byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
}

}  // namespace

int64_t responseCode(const std::string& body) {
    if (body.size() == 4) return bigEndianWord(body, 0);
    if (body.size() == 8)
        return static_cast<int64_t>(static_cast<uint64_t>(bigEndianWord(body, 0)) << 32 | bigEndianWord(body, 4));
    return 0;
}

void PendingTable::insert(uint64_t id, std::shared_ptr<PendingRequest> request) {
    requests_.insert_or_assign(id, std::move(request));
}

bool PendingTable::answer(uint64_t id, int64_t code, const std::string& text) {
    auto it = requests_.find(id);
    if (it == requests_.end()) return false;
    std::shared_ptr<PendingRequest> request = std::move(it->second);
    requests_.erase(it);
    if (!request->handler || request->handler(code, text)) return true;
    // A handler may have entered a new request under the same id meanwhile;
    // that one wins.
    requests_.try_emplace(id, std::move(request));
    return true;
}

void PendingTable::failAll(int64_t code) {
    // Handlers may submit again while they are told; those go to a fresh table.
    auto failing = std::move(requests_);
    requests_.clear();
    for (auto& [id, request] : failing)
        if (request->handler) request->handler(code, std::string());
}

std::vector<std::shared_ptr<PendingRequest>> PendingTable::inIdOrder() const {
    std::vector<std::shared_ptr<PendingRequest>> ordered;
    for (const auto& [id, request] : requests_) ordered.push_back(request);
    return ordered;
}

}  // namespace kestrova::connection
