// The update server's response, read as the update run reads it (a body
// without a length runs to the end of the stream): reading in pieces gives
// the response that reading it whole gives. The first byte picks the piece size.
#include "kestrova/wire/packet_receiver.h"

#include <cstdlib>
#include <string_view>

using namespace kestrova::wire;

namespace {

struct Outcome {
    ReadStatus status = ReadStatus::Partial;
    Packet response;
};

Outcome readResponse(std::string_view stream, size_t piece) {
    ReaderLimits limits;
    limits.bodyUntilClose = true;
    limits.maxLine = 512;
    limits.maxBody = 8192;
    PacketReceiver receiver(limits);
    Outcome outcome;
    for (size_t from = 0; from < stream.size(); from += piece) {
        receiver.append(stream.substr(from, piece));
        outcome.status = receiver.next(outcome.response);
        if (outcome.status != ReadStatus::Partial) return outcome;
    }
    if (receiver.endOfStream()) outcome.status = receiver.next(outcome.response);
    return outcome;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > 32 * 1024) return 0;
    std::string_view stream(reinterpret_cast<const char*>(data) + 1, size - 1);
    Outcome whole = readResponse(stream, stream.size() + 1);
    Outcome split = readResponse(stream, 1 + data[0] % 32);
    if (whole.status != split.status) std::abort();
    if (whole.status == ReadStatus::Complete && (whole.response.command() != split.response.command() ||
                                                 whole.response.body() != split.response.body()))
        std::abort();
    return 0;
}
