// The body of a voice message ("audio/x-speex"): one record per encoded
// frame, a two-byte little-endian length followed by that many bytes of the
// frame, with no header and no trailer. The body grows while it is recorded
// and while it arrives, so a reader takes any body that ends after a whole
// record and treats a record cut short as the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kestrova::messaging {

inline constexpr const char* kVoiceContentType = "audio/x-speex";

// A frame longer than this is damage, not sound: a wideband frame of the
// encoder's settings takes well under two hundred bytes.
inline constexpr size_t kMaxVoiceFrameBytes = 1024;

struct VoiceRecord {
    std::span<const uint8_t> frame; // inside the body read
    size_t next = 0;                // where the following record starts
};

// The record that starts at position; nothing when the body has no whole
// record there (its end, a record cut short, or a length beyond the bound).
std::optional<VoiceRecord> readVoiceRecord(std::span<const uint8_t> body, size_t position);

// Appends one record; false (and nothing appended) when the frame is longer
// than the bound.
bool appendVoiceRecord(std::vector<uint8_t>& body, std::span<const uint8_t> frame);

} // namespace kestrova::messaging
