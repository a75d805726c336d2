// The voice codec: Speex in its wideband mode (16000 samples a second, one
// frame of F = 320 samples per 20 ms). The encoder runs with variable bit
// rate at quality 1 and discontinuous transmission, so silence costs almost
// nothing; the decoder runs with perceptual enhancement. Both produce and
// take the records of a voice body (voice_body.h).
#pragma once

#include <speex/speex_bits.h>

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace kestrova::messaging {

class SpeexEncoder {
  public:
    // Null when the codec cannot be set up.
    static std::unique_ptr<SpeexEncoder> create();
    ~SpeexEncoder();
    SpeexEncoder(const SpeexEncoder&) = delete;
    SpeexEncoder& operator=(const SpeexEncoder&) = delete;

    // Samples per frame (F).
    int frameSize() const { return frameSize_; }
    // Encodes 16-bit little-endian PCM into records appended to body, one per
    // frame begun: a last part shorter than a frame is encoded as a whole
    // frame padded with silence. An odd last byte is no sample and is left.
    void encode(std::span<const uint8_t> pcm, std::vector<uint8_t>& body);

  private:
    SpeexEncoder(void* state, int frameSize);
    void* state_;
    int frameSize_;
    SpeexBits bits_{};
    std::vector<int16_t> frame_;
};

class SpeexDecoder {
  public:
    static std::unique_ptr<SpeexDecoder> create();
    ~SpeexDecoder();
    SpeexDecoder(const SpeexDecoder&) = delete;
    SpeexDecoder& operator=(const SpeexDecoder&) = delete;

    int frameSize() const { return frameSize_; }
    // Decodes one frame into F samples of 16-bit little-endian PCM appended
    // to pcm. False (nothing appended) when the frame is damaged. An empty
    // frame stands for a lost one and decodes to the codec's concealment.
    bool decode(std::span<const uint8_t> frame, std::vector<uint8_t>& pcm);

  private:
    SpeexDecoder(void* state, int frameSize);
    void* state_;
    int frameSize_;
    SpeexBits bits_{};
    std::vector<int16_t> samples_;
};

} // namespace kestrova::messaging
