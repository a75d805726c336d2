// The packets of a fuzz input, cut with the shared reader under a body limit
// of 16 KiB; whatever does not make a whole packet is dropped.
#pragma once

#include "kestrova/wire/packet_receiver.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

inline std::vector<kestrova::wire::Packet> fuzzPackets(const uint8_t* data, size_t size) {
    kestrova::wire::ReaderLimits limits;
    limits.maxBody = 16 * 1024;
    kestrova::wire::PacketReceiver receiver(limits);
    receiver.append(std::string_view(reinterpret_cast<const char*>(data), size));
    std::vector<kestrova::wire::Packet> packets;
    kestrova::wire::Packet packet;
    while (receiver.next(packet) == kestrova::wire::ReadStatus::Complete)
        packets.push_back(packet);
    return packets;
}
