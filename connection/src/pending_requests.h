// The requests sent to the server that wait for a "RESPONSE", keyed by their
// "Mesg-Id". A request stays until its handler says it is finished; when the
// session ends every one is answered with code 100.
#pragma once

#include "kestrova/wire/packet.h"
#include "kestrova/wire/protocol.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace kestrova::connection {

// Response codes the client knows by meaning.
inline constexpr int64_t kCodeSuccess = wire::protocol::code::kOk;
inline constexpr int64_t kCodeSessionEnded = wire::protocol::code::kSessionEnded;
// A text of the request holds a line break or NUL; the packet writer refuses
// it, and so does the server.
inline constexpr int64_t kCodeTextBreaksLine = wire::protocol::code::kTextBreaksLine;

// (code, text) -> true when the request is finished.
using ResponseHandler = std::function<bool(int64_t code, const std::string& text)>;

struct PendingRequest {
    wire::Packet packet;
    ResponseHandler handler;
};

// The code of a "RESPONSE" body: 4 bytes big-endian, or 8 bytes as two
// big-endian words high word first; any other length gives 0.
int64_t responseCode(const std::string& body);

class PendingTable {
public:
    void insert(uint64_t id, std::shared_ptr<PendingRequest> request);
    // Removes the request and calls its handler; puts it back when the
    // handler is not done with it. False when the id is not pending.
    bool answer(uint64_t id, int64_t code, const std::string& text);
    // Answers every request with code and empties the table.
    void failAll(int64_t code);
    // The requests in ascending id order (for sending them again).
    std::vector<std::shared_ptr<PendingRequest>> inIdOrder() const;
    size_t size() const { return requests_.size(); }
    bool contains(uint64_t id) const { return requests_.count(id) != 0; }

private:
    std::map<uint64_t, std::shared_ptr<PendingRequest>> requests_;
};

}  // namespace kestrova::connection
