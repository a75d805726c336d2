#include <gtest/gtest.h>

#include "kestrova/platform/wav_file.h"
#include "support/device_files.h"

using namespace device_files;

namespace {

std::vector<uint8_t> le16Samples(std::initializer_list<int16_t> values) {
    std::vector<uint8_t> out;
    for (int16_t v : values) {
        out.push_back(static_cast<uint8_t>(v));
        out.push_back(static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8));
    }
    return out;
}

std::vector<uint8_t> converted(const std::vector<uint8_t>& file) {
    auto sound = parseWav(file);
    if (!std::holds_alternative<PcmSound>(sound)) return {};
    return toVoiceFormat(std::get<PcmSound>(sound));
}

} // namespace

TEST(WavFile, StereoEightBitEightKilohertzBecomesVoiceFormat) {
    // Two frames of 8-bit stereo: (128+64, 128-64) averages to 0, (255, 255) to 127*256.
    auto file = wavBytes({2, 8000, 8}, {192, 64, 255, 255});
    EXPECT_EQ(converted(file), le16Samples({0, 16256, 32512, 32512})); // doubled rate, interpolated
    // Voice format passes unchanged; 48 kHz keeps every third sample.
    EXPECT_EQ(converted(wavBytes(kVoiceFormat, le16Samples({1, -2, 3}))), le16Samples({1, -2, 3}));
    EXPECT_EQ(converted(wavBytes({1, 48000, 16}, le16Samples({5, 6, 7, -8, 9, 10}))), le16Samples({5, -8}));
}

TEST(WavFile, ChunksAreWalkedWhateverComesBetweenAndCutToWhatIsThere) {
    std::vector<uint8_t> file = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    // An odd-sized chunk of something else is skipped with its pad byte.
    file.insert(file.end(), {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0});
    auto header = wavHeader(kVoiceFormat, 1000); // claims more data than follows
    file.insert(file.end(), header.begin() + 12, header.end());
    file.insert(file.end(), {1, 0, 2, 0, 3}); // two and a half samples
    auto sound = parseWav(file);
    ASSERT_TRUE(std::holds_alternative<PcmSound>(sound));
    EXPECT_EQ(std::get<PcmSound>(sound).samples, (std::vector<uint8_t>{1, 0, 2, 0}));

    // The extensible form of PCM is PCM.
    std::vector<uint8_t> extensible = {'R', 'I', 'F', 'F', 0,   0,   0,  0, 'W', 'A',
                                       'V', 'E', 'f', 'm', 't', ' ', 40, 0, 0,   0};
    auto plain = wavHeader(kVoiceFormat, 2);
    extensible.insert(extensible.end(), plain.begin() + 20, plain.begin() + 36);
    extensible[20] = 0xFE;
    extensible[21] = 0xFF;
    std::vector<uint8_t> tail(24, 0);
    tail[8] = 1; // the GUID's first two bytes: PCM
    extensible.insert(extensible.end(), tail.begin(), tail.end());
    extensible.insert(extensible.end(), {'d', 'a', 't', 'a', 2, 0, 0, 0, 7, 0});
    EXPECT_EQ(converted(extensible), le16Samples({7}));
}

TEST(WavFile, WhatIsNotPcmWithinReachIsRefused) {
    auto refused = [](std::vector<uint8_t> file) {
        auto sound = parseWav(file);
        return std::holds_alternative<WavError>(sound) ? std::get<WavError>(sound) : WavError::kUnreadable;
    };
    EXPECT_EQ(refused({'R', 'I', 'F', 'F'}), WavError::kNotWave);
    EXPECT_EQ(refused(std::vector<uint8_t>(44)), WavError::kNotWave);
    auto noData = wavHeader(kVoiceFormat, 0);
    noData.resize(36);
    EXPECT_EQ(refused(noData), WavError::kNotWave);
    EXPECT_EQ(refused(wavBytes({1, 16000, 24}, std::vector<uint8_t>(6))), WavError::kUnsupportedFormat);
    EXPECT_EQ(refused(wavBytes({3, 16000, 16}, std::vector<uint8_t>(6))), WavError::kUnsupportedFormat);
    EXPECT_EQ(refused(wavBytes({1, 4000, 16}, std::vector<uint8_t>(6))), WavError::kUnsupportedFormat);
    auto alaw = wavBytes({1, 8000, 8}, std::vector<uint8_t>(6));
    alaw[20] = 6;
    EXPECT_EQ(refused(alaw), WavError::kUnsupportedFormat);

    TempFolder folder;
    EXPECT_EQ(std::get<WavError>(readVoiceWavFile(folder / "none.wav")), WavError::kUnreadable);
    writeFile(folder / "big.wav", wavBytes(kVoiceFormat, std::vector<uint8_t>(2000)));
    EXPECT_EQ(std::get<WavError>(readVoiceWavFile(folder / "big.wav", 1000)), WavError::kTooLarge);
}

TEST(WavFile, AppendingGrowsOurFilesAndLeavesOthersAlone) {
    TempFolder folder;
    auto path = folder / "out.wav";
    ASSERT_TRUE(appendToVoiceWavFile(path, le16Samples({1, 2})));
    ASSERT_TRUE(appendToVoiceWavFile(path, le16Samples({3})));
    auto bytes = readFile(path);
    EXPECT_EQ(bytes, wavBytes(kVoiceFormat, le16Samples({1, 2, 3}))); // both sizes up to date

    // A file cut short by a crash gets sizes from its real length again.
    bytes.resize(bytes.size() - 2);
    writeFile(path, bytes);
    ASSERT_TRUE(appendToVoiceWavFile(path, le16Samples({4})));
    EXPECT_EQ(readFile(path), wavBytes(kVoiceFormat, le16Samples({1, 2, 4})));

    auto other = wavBytes({1, 8000, 16}, le16Samples({9}));
    writeFile(folder / "other.wav", other);
    EXPECT_FALSE(appendToVoiceWavFile(folder / "other.wav", le16Samples({1})));
    EXPECT_EQ(readFile(folder / "other.wav"), other);
}
