#include "kestrova/wire/data_map.h"

#include <gtest/gtest.h>

#include <vector>

using namespace kestrova::wire;

namespace {

std::span<const uint8_t> bytes(const std::string& s) {
    return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

std::string hex(const std::string& s) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : s) out += {digits[c >> 4], digits[c & 15], ' '};
    if (!out.empty()) out.pop_back();
    return out;
}

}  // namespace

TEST(DataMapEncoding, EntriesAreWrittenInKeyOrderWithBigEndianLengths) {
    DataMapEntries map{{"b", "2"}, {"a", "xy"}};
    EXPECT_EQ(encodedDataMapSize(map), 11u);
    EXPECT_EQ(hex(encodeDataMap(map)), "61 00 00 02 78 79 62 00 00 01 32");

    DataMapEntries longer{{"k", std::string(300, 'v')}};
    std::string encoded = encodeDataMap(longer);
    EXPECT_EQ(static_cast<uint8_t>(encoded[2]), 0x01);
    EXPECT_EQ(static_cast<uint8_t>(encoded[3]), 0x2C);
}

TEST(DataMapEncoding, KeysSortAsUnsignedBytes) {
    DataMapEntries map{{"\xC3\xA9", "1"}, {"z", "2"}, {"Z", "3"}};
    std::string encoded = encodeDataMap(map);
    EXPECT_EQ(encoded.substr(0, 1), "Z");
    EXPECT_EQ(encoded.substr(5, 1), "z");
    EXPECT_EQ(encoded.substr(10, 2), "\xC3\xA9");
}

TEST(DataMapEncoding, LongValuesSplitIntoChunksThatRepeatTheKey) {
    std::string value(70000, '\0');
    for (size_t i = 0; i < value.size(); ++i) value[i] = static_cast<char>(i * 7);
    DataMapEntries map{{"photo", value}};
    std::string encoded = encodeDataMap(map);
    ASSERT_EQ(encoded.size(), 2 * (5 + 3) + 70000u);
    EXPECT_EQ(hex(encoded.substr(5, 3)), "00 ff ff");
    EXPECT_EQ(encoded.substr(8 + 65535, 6), std::string("photo\0", 6));
    EXPECT_EQ(hex(encoded.substr(8 + 65535 + 5, 3)), "00 11 71");  // 4,465

    DataMapEntries back;
    auto result = parseDataMap(bytes(encoded), back);
    EXPECT_EQ(result.status, ParseStatus::Complete);
    EXPECT_EQ(result.consumed, encoded.size());
    EXPECT_EQ(back, map);
}

TEST(DataMapEncoding, ExactChunkBoundariesAndEmptyValues) {
    for (size_t size : {size_t(0), size_t(1), kMaxChunk - 1, kMaxChunk, kMaxChunk + 1, 2 * kMaxChunk}) {
        DataMapEntries map{{"a", std::string(size, 'q')}, {"b", ""}};
        std::string encoded = encodeDataMap(map);
        EXPECT_EQ(encoded.size(), encodedDataMapSize(map)) << size;
        DataMapEntries back;
        EXPECT_EQ(parseDataMap(bytes(encoded), back).status, ParseStatus::Complete);
        EXPECT_EQ(back, map) << size;
    }
    EXPECT_EQ(encodedDataMapSize({}), 0u);
}

TEST(DataMapParsing, MergesIntoExistingEntries) {
    DataMapEntries map{{"keep", "old"}, {"a", "old"}};
    std::string input = encodeDataMap({{"a", "new"}, {"c", "3"}});
    EXPECT_EQ(parseDataMap(bytes(input), map).status, ParseStatus::Complete);
    EXPECT_EQ(map, (DataMapEntries{{"keep", "old"}, {"a", "new"}, {"c", "3"}}));

    DataMapEntries untouched{{"x", "1"}};
    EXPECT_EQ(parseDataMap({}, untouched).status, ParseStatus::Complete);
    EXPECT_EQ(untouched.size(), 1u);
}

TEST(DataMapParsing, NonAdjacentRepeatReplacesInsteadOfExtending) {
    std::string input = encodeDataMap({{"a", "1"}}) + encodeDataMap({{"b", "2"}}) + encodeDataMap({{"a", "3"}});
    DataMapEntries map;
    EXPECT_EQ(parseDataMap(bytes(input), map).status, ParseStatus::Complete);
    EXPECT_EQ(map["a"], "3");

    std::string adjacent = encodeDataMap({{"a", "1"}}) + encodeDataMap({{"a", "3"}});
    DataMapEntries extended;
    parseDataMap(bytes(adjacent), extended);
    EXPECT_EQ(extended["a"], "13");
}

TEST(DataMapParsing, ZeroByteWhereAKeyStartsEndsTheInput) {
    std::string input = encodeDataMap({{"a", "1"}}) + std::string("\0b\0\0\x01x", 6);
    DataMapEntries map;
    auto result = parseDataMap(bytes(input), map);
    EXPECT_EQ(result.status, ParseStatus::Complete);
    EXPECT_EQ(result.consumed, 5u);
    EXPECT_EQ(map, (DataMapEntries{{"a", "1"}}));
}

TEST(DataMapParsing, TruncationKeepsWhatCameBefore) {
    std::string good = encodeDataMap({{"a", "1"}});
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"key without terminator", "abc"},
        {"terminator without length", std::string("abc\0", 4)},
        {"half a length", std::string("abc\0\0", 5)},
        {"fewer data bytes than declared", std::string("abc\0\0\x05xy", 8)},
    };
    for (const auto& [name, tail] : cases) {
        DataMapEntries map;
        auto result = parseDataMap(bytes(good + tail), map);
        EXPECT_EQ(result.status, ParseStatus::Truncated) << name;
        EXPECT_EQ(result.consumed, good.size()) << name;
        EXPECT_EQ(map, (DataMapEntries{{"a", "1"}})) << name;
    }
}

TEST(DataMapParsing, EveryPrefixOfAValidEncodingIsSafe) {
    DataMapEntries map{{"nick", "Ann"}, {"status", "at lunch"}, {"blob", std::string("\0\1\2", 3)}};
    std::string encoded = encodeDataMap(map);
    for (size_t n = 0; n <= encoded.size(); ++n) {
        std::vector<uint8_t> exact(encoded.begin(), encoded.begin() + static_cast<long>(n));
        DataMapEntries partial;
        auto result = parseDataMap(exact, partial);
        EXPECT_LE(result.consumed, n);
        if (result.status == ParseStatus::Complete) EXPECT_EQ(result.consumed, n);
    }
}
