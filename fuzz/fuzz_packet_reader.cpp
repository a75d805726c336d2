// Packet reader: arbitrary bytes must never crash it, and reading the same
// bytes in pieces must give exactly the packets (or the error) that reading
// them whole gives. The first byte chooses the piece size.
#include "kestrova/wire/packet_receiver.h"

#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

using namespace kestrova::wire;

namespace {

struct Outcome {
    std::vector<Packet> packets;
    ReadStatus last = ReadStatus::Partial;
};

Outcome readInPieces(std::string_view stream, size_t piece) {
    ReaderLimits limits;
    limits.maxLine = 512;
    limits.maxHeaderBytes = 2048;
    limits.maxBody = 4096;
    PacketReceiver receiver(limits);
    Outcome outcome;
    for (size_t from = 0; from < stream.size(); from += piece) {
        receiver.append(stream.substr(from, piece));
        Packet packet;
        while ((outcome.last = receiver.next(packet)) == ReadStatus::Complete) outcome.packets.push_back(packet);
        if (outcome.last == ReadStatus::Error) break;
    }
    return outcome;
}

bool same(const Packet& a, const Packet& b) {
    return a.command() == b.command() && a.headers() == b.headers() && a.body() == b.body();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > 64 * 1024) return 0;
    size_t piece = 1 + data[0] % 64;
    std::string_view stream(reinterpret_cast<const char*>(data) + 1, size - 1);
    Outcome whole = readInPieces(stream, stream.size() + 1);
    Outcome split = readInPieces(stream, piece);
    if ((whole.last == ReadStatus::Error) != (split.last == ReadStatus::Error)) std::abort();
    if (whole.packets.size() != split.packets.size()) std::abort();
    for (size_t i = 0; i < whole.packets.size(); ++i)
        if (!same(whole.packets[i], split.packets[i])) std::abort();
    for (const Packet& packet : whole.packets) {
        // A name or value read may hold a carriage return or NUL: such a
        // packet is refused by the writer, and only such a packet is.
        std::optional<std::string> wire = packet.serialise();
        if (!wire) {
            bool lineText = isLineText(packet.command());
            for (const auto& [name, value] : packet.headers())
                lineText = lineText && (value.empty() || (isLineText(name) && isLineText(value)));
            if (lineText) std::abort();
            continue;
        }
        Outcome again = readInPieces(*wire, wire->size() + 1);
        if (again.packets.empty() && again.last != ReadStatus::Error) std::abort();
        if (!again.packets.empty() &&
            (again.packets[0].command() != packet.command() || again.packets[0].body() != packet.body()))
            std::abort();
    }
    return 0;
}
