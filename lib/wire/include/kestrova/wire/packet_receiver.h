// The receive buffer of one connection together with its packet reader: bytes
// go in as they arrive from the socket, whole packets come out.
//
// Bytes that arrive while a body is being read go straight into the body, so
// a large body is copied once, not once into the buffer and again out of it.
#pragma once

#include "kestrova/wire/packet_reader.h"

#include <string>
#include <string_view>

namespace kestrova::wire {

class PacketReceiver {
public:
    explicit PacketReceiver(ReaderLimits limits = {}) : reader_(limits) {}

    void append(std::string_view bytes);
    // Complete: out holds the next packet. Partial: wait for more bytes.
    // Error: the stream is broken for good (error() says why).
    ReadStatus next(Packet& out);
    ReadError error() const { return reader_.error(); }
    // The limits apply to every byte read from then on.
    void setLimits(const ReaderLimits& limits) { reader_.setLimits(limits); }

    // Bytes received but not yet taken into a packet.
    size_t buffered() const { return buffer_.size() - start_; }
    // Forgets everything (the connection closed).
    void clear();
    // The stream ended: true when that completed a body that runs until the
    // end (next() then hands it out).
    bool endOfStream();
    // The reader, to look at a packet while it arrives (progress).
    const PacketReader& reader() const { return reader_; }

private:
    void compact();

    PacketReader reader_;
    std::string buffer_;
    size_t start_ = 0;
};

}  // namespace kestrova::wire
