// The codec called directly, with the settings voice messages use: what a
// program's voice body must be for a given sound, and what a player must
// make of it. Independent of the plug-in's own code, so an end-to-end test
// compares the programs with the library itself.
#pragma once

#include <speex/speex.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

namespace direct_speex {

inline constexpr int kFrame = 320;

// Sound that changes all the time, 16-bit little-endian PCM.
inline std::vector<uint8_t> speech(size_t samples) {
    std::vector<uint8_t> pcm;
    for (size_t i = 0; i < samples; ++i) {
        auto s = static_cast<int16_t>(6000 * std::sin(double(i) * (0.05 + double(i % 4000) / 80000.0)));
        pcm.push_back(uint8_t(s & 0xFF));
        pcm.push_back(uint8_t((uint16_t(s) >> 8) & 0xFF));
    }
    return pcm;
}

inline void writeVoiceWav(const std::filesystem::path& path, const std::vector<uint8_t>& pcm) {
    auto u32 = [](std::vector<uint8_t>& out, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out.push_back(uint8_t(v >> (8 * i)));
    };
    std::vector<uint8_t> wav{'R', 'I', 'F', 'F'};
    u32(wav, uint32_t(36 + pcm.size()));
    for (char c : std::string("WAVEfmt "))
        wav.push_back(uint8_t(c));
    u32(wav, 16);
    u32(wav, 1 | (1 << 16)); // PCM, mono
    u32(wav, 16000);
    u32(wav, 32000);
    u32(wav, 2 | (16 << 16)); // block align 2, 16 bits
    for (char c : std::string("data"))
        wav.push_back(uint8_t(c));
    u32(wav, uint32_t(pcm.size()));
    wav.insert(wav.end(), pcm.begin(), pcm.end());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(wav.data()), long(wav.size()));
}

// Whole frames of pcm, each as a two-byte little-endian length and the frame.
inline std::vector<uint8_t> encode(const std::vector<uint8_t>& pcm) {
    void* state = speex_encoder_init(speex_lib_get_mode(SPEEX_MODEID_WB));
    spx_int32_t on = 1;
    float quality = 1.0f;
    speex_encoder_ctl(state, SPEEX_SET_VBR, &on);
    speex_encoder_ctl(state, SPEEX_SET_DTX, &on);
    speex_encoder_ctl(state, SPEEX_SET_VBR_QUALITY, &quality);
    SpeexBits bits;
    speex_bits_init(&bits);
    std::vector<uint8_t> body;
    spx_int16_t frame[kFrame];
    char out[1024];
    for (size_t at = 0; at + 2 * kFrame <= pcm.size(); at += 2 * kFrame) {
        for (int i = 0; i < kFrame; ++i)
            frame[i] = int16_t(pcm[at + 2 * i] | (pcm[at + 2 * i + 1] << 8));
        speex_bits_reset(&bits);
        speex_encode_int(state, frame, &bits);
        int n = speex_bits_write(&bits, out, sizeof out);
        body.push_back(uint8_t(n & 0xFF));
        body.push_back(uint8_t(n >> 8));
        body.insert(body.end(), out, out + n);
    }
    speex_bits_destroy(&bits);
    speex_encoder_destroy(state);
    return body;
}

inline std::vector<uint8_t> decode(const std::vector<uint8_t>& body) {
    void* state = speex_decoder_init(speex_lib_get_mode(SPEEX_MODEID_WB));
    spx_int32_t on = 1;
    speex_decoder_ctl(state, SPEEX_SET_ENH, &on);
    SpeexBits bits;
    speex_bits_init(&bits);
    std::vector<uint8_t> pcm;
    spx_int16_t frame[kFrame];
    for (size_t at = 0; at + 2 <= body.size();) {
        size_t n = body[at] | (body[at + 1] << 8);
        if (at + 2 + n > body.size()) break;
        speex_bits_read_from(&bits, reinterpret_cast<char*>(const_cast<uint8_t*>(&body[at + 2])), int(n));
        if (speex_decode_int(state, &bits, frame) != 0) break;
        for (spx_int16_t s : frame) {
            pcm.push_back(uint8_t(s & 0xFF));
            pcm.push_back(uint8_t((uint16_t(s) >> 8) & 0xFF));
        }
        at += 2 + n;
    }
    speex_bits_destroy(&bits);
    speex_decoder_destroy(state);
    return pcm;
}

} // namespace direct_speex
