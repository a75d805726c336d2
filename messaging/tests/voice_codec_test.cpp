// The voice body and its codec: what the recorder writes, the player reads,
// and what a peer's damaged body does to the reader.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "speex_codec.h"
#include "voice_body.h"

namespace kestrova::messaging {
namespace {

// 16-bit little-endian PCM of a tone that rises and falls, like a voice.
std::vector<uint8_t> tone(size_t samples) {
    std::vector<uint8_t> pcm;
    for (size_t i = 0; i < samples; ++i) {
        double t = double(i) / 16000;
        double level = 8000 * (0.6 + 0.4 * std::sin(2 * std::numbers::pi * 3 * t));
        auto s = static_cast<int16_t>(level * std::sin(2 * std::numbers::pi * 440 * t));
        pcm.push_back(uint8_t(s & 0xFF));
        pcm.push_back(uint8_t((uint16_t(s) >> 8) & 0xFF));
    }
    return pcm;
}

std::vector<std::span<const uint8_t>> records(std::span<const uint8_t> body) {
    std::vector<std::span<const uint8_t>> out;
    size_t at = 0;
    while (auto record = readVoiceRecord(body, at)) {
        out.push_back(record->frame);
        at = record->next;
    }
    return out;
}

double energy(std::span<const uint8_t> pcm) {
    double sum = 0;
    for (size_t i = 0; i + 1 < pcm.size(); i += 2) {
        double s = int16_t(pcm[i] | (pcm[i + 1] << 8));
        sum += s * s;
    }
    return pcm.empty() ? 0 : sum / double(pcm.size() / 2);
}

TEST(VoiceCodec, TwoSecondsBecomeOneHundredWidebandFramesThatDecodeToSound) {
    auto encoder = SpeexEncoder::create();
    auto decoder = SpeexDecoder::create();
    ASSERT_TRUE(encoder && decoder);
    EXPECT_EQ(encoder->frameSize(), 320);
    EXPECT_EQ(decoder->frameSize(), 320);

    // Fed as the recorder is: buffers of two frames (40 ms).
    std::vector<uint8_t> pcm = tone(32000), body;
    for (size_t at = 0; at < pcm.size(); at += 4 * 320)
        encoder->encode(std::span(pcm).subspan(at, 4 * 320), body);
    auto frames = records(body);
    ASSERT_EQ(frames.size(), 100u);
    EXPECT_LT(body.size(), 32000u / 10) << "low bit rate: far smaller than the sound";

    std::vector<uint8_t> decoded;
    for (auto frame : frames)
        ASSERT_TRUE(decoder->decode(frame, decoded));
    ASSERT_EQ(decoded.size(), pcm.size());
    // A lossy codec: not the same samples, but sound of about the same power.
    double ratio = energy(decoded) / energy(pcm);
    EXPECT_GT(ratio, 0.25);
    EXPECT_LT(ratio, 4.0);
}

TEST(VoiceCodec, AShortPartIsOneWholeFramePaddedAndAnOddByteIsNoSample) {
    auto encoder = SpeexEncoder::create();
    std::vector<uint8_t> body;
    encoder->encode(tone(100), body);
    EXPECT_EQ(records(body).size(), 1u);
    body.clear();
    encoder->encode(std::vector<uint8_t>{0x12}, body);
    EXPECT_TRUE(body.empty());
    encoder->encode(tone(321), body);
    EXPECT_EQ(records(body).size(), 2u);
}

TEST(VoiceBody, AGrowingBodyIsReadUpToItsLastWholeRecordWhereverItIsCut) {
    std::vector<uint8_t> body;
    std::vector<uint8_t> frame(70);
    for (int i = 0; i < 3; ++i) {
        frame.assign(size_t(60 + i), uint8_t(i + 1));
        ASSERT_TRUE(appendVoiceRecord(body, frame));
    }
    ASSERT_EQ(body.size(), 62u + 63u + 64u);
    ASSERT_EQ(body[0], 60); // low byte first
    ASSERT_EQ(body[1], 0);
    for (size_t cut = 0; cut <= body.size(); ++cut) {
        size_t whole = cut >= 189 ? 3 : cut >= 125 ? 2 : cut >= 62 ? 1 : 0;
        auto got = records(std::span(body).first(cut));
        ASSERT_EQ(got.size(), whole) << "cut at " << cut;
        for (size_t i = 0; i < got.size(); ++i)
            EXPECT_EQ(got[i].size(), 60 + i);
    }
    EXPECT_FALSE(readVoiceRecord(body, body.size() + 5)) << "a position past the end reads nothing";
}

TEST(VoiceBody, ALengthBeyondTheBoundIsDamageAndAnEmptyFrameIsALostOne) {
    std::vector<uint8_t> tooLong(kMaxVoiceFrameBytes + 1);
    std::vector<uint8_t> body;
    EXPECT_FALSE(appendVoiceRecord(body, tooLong));
    EXPECT_TRUE(body.empty());
    // A length field naming 0x0401 bytes, followed by that many.
    body = {0x01, 0x04};
    body.resize(2 + 0x401);
    EXPECT_FALSE(readVoiceRecord(body, 0));

    ASSERT_TRUE(appendVoiceRecord(body = {}, {}));
    auto record = readVoiceRecord(body, 0);
    ASSERT_TRUE(record);
    EXPECT_TRUE(record->frame.empty());
    auto decoder = SpeexDecoder::create();
    std::vector<uint8_t> pcm;
    EXPECT_TRUE(decoder->decode(record->frame, pcm));
    EXPECT_EQ(pcm.size(), 640u);
}

} // namespace
} // namespace kestrova::messaging
