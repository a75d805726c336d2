#include "kestrova/wire/packet_receiver.h"

namespace kestrova::wire {

void PacketReceiver::append(std::string_view bytes) {
    if (buffered() == 0 && reader_.state() == PacketReader::State::Body) {
        ReadResult result = reader_.read(bytes);
        bytes.remove_prefix(result.consumed);
    }
    compact();
    buffer_.append(bytes);
}

ReadStatus PacketReceiver::next(Packet& out) {
    ReadResult result = reader_.read(std::string_view(buffer_).substr(start_));
    start_ += result.consumed;
    if (result.status == ReadStatus::Complete) reader_.takePacketInto(out);
    return result.status;
}

void PacketReceiver::compact() {
    if (start_ == buffer_.size()) {
        buffer_.clear();
        start_ = 0;
    } else if (start_ > 4096 && start_ * 2 > buffer_.size()) {
        buffer_.erase(0, start_);
        start_ = 0;
    }
}

// NOTE: a reader in a body takes every byte offered, so once next() has said
// Partial nothing of the body is left in the buffer.
bool PacketReceiver::endOfStream() { return reader_.endOfStream(); }

void PacketReceiver::clear() {
    reader_.reset();
    buffer_.clear();
    start_ = 0;
}

}  // namespace kestrova::wire
