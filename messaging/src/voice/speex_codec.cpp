#include "speex_codec.h"

#include <speex/speex.h>

#include <algorithm>

#include "voice_body.h"

namespace kestrova::messaging {

// --- Encoder ----------------------------------------------------------------------------

std::unique_ptr<SpeexEncoder> SpeexEncoder::create() {
    void* state = speex_encoder_init(speex_lib_get_mode(SPEEX_MODEID_WB));
    if (!state) return nullptr;
    spx_int32_t on = 1;
    float quality = 1.0f;
    int frameSize = 0;
    speex_encoder_ctl(state, SPEEX_SET_VBR, &on);
    speex_encoder_ctl(state, SPEEX_SET_DTX, &on);
    speex_encoder_ctl(state, SPEEX_SET_VBR_QUALITY, &quality);
    speex_encoder_ctl(state, SPEEX_GET_FRAME_SIZE, &frameSize);
    if (frameSize <= 0) {
        speex_encoder_destroy(state);
        return nullptr;
    }
    return std::unique_ptr<SpeexEncoder>(new SpeexEncoder(state, frameSize));
}

SpeexEncoder::SpeexEncoder(void* state, int frameSize)
    : state_(state), frameSize_(frameSize), frame_(static_cast<size_t>(frameSize)) {
    speex_bits_init(&bits_);
}

SpeexEncoder::~SpeexEncoder() {
    speex_encoder_destroy(state_);
    speex_bits_destroy(&bits_);
}

void SpeexEncoder::encode(std::span<const uint8_t> pcm, std::vector<uint8_t>& body) {
    size_t samples = pcm.size() / 2;
    char written[kMaxVoiceFrameBytes];
    for (size_t first = 0; first < samples; first += frame_.size()) {
        // NOTE: a short last part is padded with silence; the phone encoded
        // whatever lay in memory after the buffer's end.
        size_t count = std::min(frame_.size(), samples - first);
        for (size_t i = 0; i < count; ++i) {
            size_t at = (first + i) * 2;
            frame_[i] = static_cast<int16_t>(pcm[at] | (pcm[at + 1] << 8));
        }
        std::fill(frame_.begin() + static_cast<std::ptrdiff_t>(count), frame_.end(), int16_t{0});
        speex_bits_reset(&bits_);
        speex_encode_int(state_, frame_.data(), &bits_);
        int length = speex_bits_write(&bits_, written, static_cast<int>(sizeof written));
        appendVoiceRecord(body, {reinterpret_cast<const uint8_t*>(written), static_cast<size_t>(length)});
    }
}

// --- Decoder ----------------------------------------------------------------------------

std::unique_ptr<SpeexDecoder> SpeexDecoder::create() {
    void* state = speex_decoder_init(speex_lib_get_mode(SPEEX_MODEID_WB));
    if (!state) return nullptr;
    spx_int32_t on = 1;
    int frameSize = 0;
    speex_decoder_ctl(state, SPEEX_SET_ENH, &on);
    speex_decoder_ctl(state, SPEEX_GET_FRAME_SIZE, &frameSize);
    if (frameSize <= 0) {
        speex_decoder_destroy(state);
        return nullptr;
    }
    return std::unique_ptr<SpeexDecoder>(new SpeexDecoder(state, frameSize));
}

SpeexDecoder::SpeexDecoder(void* state, int frameSize)
    : state_(state), frameSize_(frameSize), samples_(static_cast<size_t>(frameSize)) {
    speex_bits_init(&bits_);
}

SpeexDecoder::~SpeexDecoder() {
    speex_decoder_destroy(state_);
    speex_bits_destroy(&bits_);
}

bool SpeexDecoder::decode(std::span<const uint8_t> frame, std::vector<uint8_t>& pcm) {
    if (frame.size() > kMaxVoiceFrameBytes) return false;
    int result;
    if (frame.empty()) {
        result = speex_decode_int(state_, nullptr, samples_.data());
    } else {
        // NOTE: speex_bits_read_from takes a non-const pointer but only reads.
        speex_bits_read_from(&bits_, reinterpret_cast<char*>(const_cast<uint8_t*>(frame.data())),
                             static_cast<int>(frame.size()));
        result = speex_decode_int(state_, &bits_, samples_.data());
    }
    if (result != 0) return false;
    for (int16_t sample : samples_) {
        pcm.push_back(static_cast<uint8_t>(sample & 0xFF));
        pcm.push_back(static_cast<uint8_t>((static_cast<uint16_t>(sample) >> 8) & 0xFF));
    }
    return true;
}

} // namespace kestrova::messaging
