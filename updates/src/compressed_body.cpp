#include "compressed_body.h"

#include <lzma.h>

#include <algorithm>
#include <memory>

namespace kestrova::updates {
namespace {

// The decoder's memory limit: enough for the dictionary compressBody picks
// for any body up to the body limit, far from what a hostile stream could
// ask for.
constexpr uint64_t kDecoderMemoryLimit = 80u << 20;

struct StreamEnd {
    void operator()(lzma_stream* stream) const { lzma_end(stream); }
};
using Stream = std::unique_ptr<lzma_stream, StreamEnd>;

} // namespace

std::string compressBody(std::string_view body) {
    lzma_options_lzma options;
    lzma_lzma_preset(&options, 6);
    // A dictionary larger than the body gains nothing and costs the client
    // memory.
    options.dict_size = std::clamp<uint32_t>(static_cast<uint32_t>(std::min<size_t>(body.size(), UINT32_MAX)),
                                             LZMA_DICT_SIZE_MIN, options.dict_size);
    lzma_filter filters[] = {{LZMA_FILTER_LZMA2, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
    std::string packed(lzma_stream_buffer_bound(body.size()), '\0');
    size_t written = 0;
    lzma_ret result = lzma_stream_buffer_encode(
        filters, LZMA_CHECK_CRC32, nullptr, reinterpret_cast<const uint8_t*>(body.data()), body.size(),
        reinterpret_cast<uint8_t*>(packed.data()), &written, packed.size());
    if (result != LZMA_OK) return {};
    packed.resize(written);
    return packed;
}

std::optional<std::string> expandBody(std::string_view packed, size_t maxBytes) {
    lzma_stream state = LZMA_STREAM_INIT;
    if (lzma_stream_decoder(&state, kDecoderMemoryLimit, 0) != LZMA_OK) return std::nullopt;
    Stream stream(&state);
    stream->next_in = reinterpret_cast<const uint8_t*>(packed.data());
    stream->avail_in = packed.size();
    std::string body;
    for (;;) {
        size_t done = body.size();
        // One byte more than allowed, so that a body over the limit shows.
        size_t room = std::min<size_t>(std::max<size_t>(done, 64 * 1024), maxBytes + 1 - done);
        if (room == 0) return std::nullopt;
        body.resize(done + room);
        stream->next_out = reinterpret_cast<uint8_t*>(body.data() + done);
        stream->avail_out = room;
        lzma_ret result = lzma_code(stream.get(), LZMA_FINISH);
        body.resize(body.size() - stream->avail_out);
        if (body.size() > maxBytes) return std::nullopt;
        if (result == LZMA_STREAM_END) break;
        if (result != LZMA_OK) return std::nullopt;
    }
    // Exactly one stream, nothing after it.
    if (stream->avail_in != 0) return std::nullopt;
    return body;
}

} // namespace kestrova::updates
