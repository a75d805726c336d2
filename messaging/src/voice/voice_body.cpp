#include "voice_body.h"

namespace kestrova::messaging {

std::optional<VoiceRecord> readVoiceRecord(std::span<const uint8_t> body, size_t position) {
    if (position > body.size() || body.size() - position < 2) return std::nullopt;
    size_t length = body[position] | (size_t{body[position + 1]} << 8);
    size_t start = position + 2;
    if (length > kMaxVoiceFrameBytes || body.size() - start < length) return std::nullopt;
    return VoiceRecord{body.subspan(start, length), start + length};
}

bool appendVoiceRecord(std::vector<uint8_t>& body, std::span<const uint8_t> frame) {
    if (frame.size() > kMaxVoiceFrameBytes) return false;
    body.push_back(static_cast<uint8_t>(frame.size() & 0xFF));
    body.push_back(static_cast<uint8_t>(frame.size() >> 8));
    body.insert(body.end(), frame.begin(), frame.end());
    return true;
}

} // namespace kestrova::messaging
