// A voice message's body comes from any peer: the player reads its records
// and decodes each frame until the body ends or a record is damaged.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "speex_codec.h"
#include "voice_body.h"

using namespace kestrova::messaging;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 256 * 1024) return 0;
    static std::unique_ptr<SpeexDecoder> decoder = SpeexDecoder::create();
    std::span<const uint8_t> body(data, size);
    std::vector<uint8_t> pcm;
    size_t position = 0;
    while (auto record = readVoiceRecord(body, position)) {
        // Every record lies inside the body, past the one before it.
        if (record->next <= position || record->next > size) __builtin_trap();
        if (record->frame.data() < data || record->frame.data() + record->frame.size() > data + size)
            __builtin_trap();
        size_t before = pcm.size();
        if (!decoder->decode(record->frame, pcm)) break;
        if (pcm.size() - before != size_t(decoder->frameSize()) * 2) __builtin_trap();
        position = record->next;
        pcm.clear();
    }
    return 0;
}
