#include "kestrova/wire/data_map_view.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace kestrova::wire;

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

Pairs pairsOf(const DataMapView& view) {
    Pairs pairs;
    for (const auto& [key, value] : view)
        pairs.emplace_back(key, value);
    return pairs;
}

Pairs pairsOf(const DataMapEntries& map) {
    return Pairs(map.begin(), map.end());
}

// One chunk of the encoding, whatever its key or order.
std::string chunk(std::string_view key, std::string_view data) {
    std::string out(key);
    out += '\0';
    out += static_cast<char>(data.size() >> 8);
    out += static_cast<char>(data.size() & 0xFF);
    out += data;
    return out;
}

// The view and the map parse must tell the same story about any input.
void expectAgreement(const std::string& input, const char* what) {
    DataMapView view;
    auto viewed = view.parse(input);
    DataMapEntries map;
    auto mapped = parseDataMap(std::span(reinterpret_cast<const uint8_t*>(input.data()), input.size()), map);
    EXPECT_EQ(viewed.status, mapped.status) << what;
    EXPECT_EQ(viewed.consumed, mapped.consumed) << what;
    EXPECT_EQ(pairsOf(view), pairsOf(map)) << what;
}

} // namespace

TEST(DataMapView, ReadsEntriesInPlaceAndFindsThemByKey) {
    std::string input = encodeDataMap({{"Nickname", "Ann"}, {"Status", ""}, {"Username", "ann@example.org"}});
    DataMapView view;
    auto result = view.parse(input);
    EXPECT_EQ(result.status, ParseStatus::Complete);
    EXPECT_EQ(result.consumed, input.size());
    EXPECT_EQ(pairsOf(view), (Pairs{{"Nickname", "Ann"}, {"Status", ""}, {"Username", "ann@example.org"}}));
    // Single-chunk values are the input's own bytes.
    EXPECT_GE(view.find("Username")->data(), input.data());
    EXPECT_LT(view.find("Username")->data(), input.data() + input.size());
    EXPECT_EQ(view.find("Status"), std::string_view());
    EXPECT_FALSE(view.find("Stat"));
    EXPECT_FALSE(view.find("Statuses"));
    EXPECT_FALSE(view.find("A"));
    EXPECT_FALSE(view.find("Z"));
}

TEST(DataMapView, ChunksUnderOneKeyJoinAcrossTheChunkLimit) {
    std::string value(2 * kMaxChunk + 10, '\0');
    for (size_t i = 0; i < value.size(); ++i)
        value[i] = static_cast<char>(i * 13);
    std::string input = encodeDataMap({{"a", "x"}, {"photo", value}, {"z", "y"}});
    DataMapView view;
    EXPECT_EQ(view.parse(input).status, ParseStatus::Complete);
    EXPECT_EQ(pairsOf(view), (Pairs{{"a", "x"}, {"photo", value}, {"z", "y"}}));

    // Short chunks join too, and empty ones add nothing.
    std::string chunks = chunk("k", "ab") + chunk("k", "") + chunk("k", "c") + chunk("l", "");
    DataMapView small;
    small.parse(chunks);
    EXPECT_EQ(pairsOf(small), (Pairs{{"k", "abc"}, {"l", ""}}));
}

TEST(DataMapView, LaterRepeatOfAKeyReplacesAndMayItselfBeExtended) {
    std::string input = chunk("b", "1") + chunk("a", "2") + chunk("b", "3") + chunk("b", "4") +
                        chunk("c", "5") + chunk("a", "6");
    DataMapView view;
    auto result = view.parse(input);
    EXPECT_EQ(result.status, ParseStatus::Complete);
    EXPECT_EQ(pairsOf(view), (Pairs{{"a", "6"}, {"b", "34"}, {"c", "5"}}));
    EXPECT_EQ(view.find("b"), "34");
}

TEST(DataMapView, ReuseForgetsThePreviousMap) {
    std::string first = chunk("k", "a") + chunk("k", "b") + chunk("m", "c");
    std::string second = encodeDataMap({{"n", "d"}});
    DataMapView view;
    view.parse(first);
    view.parse(second);
    EXPECT_EQ(pairsOf(view), (Pairs{{"n", "d"}}));
    view.parse(std::string_view());
    EXPECT_TRUE(view.empty());
}

TEST(DataMapView, PrefixRangeCoversExactlyTheKeysThatStartWithIt) {
    std::string input = encodeDataMap(
        {{"user", "0"}, {"user_data", "1"}, {"user_data.a", "2"}, {"user_data.b", "3"}, {"user_datb", "4"}});
    DataMapView view;
    view.parse(input);
    auto range = view.withPrefix("user_data");
    ASSERT_EQ(range.size(), 3u);
    EXPECT_EQ(range.front().key, "user_data");
    EXPECT_EQ(range.back().key, "user_data.b");
    EXPECT_TRUE(view.withPrefix("user_x").empty());
    EXPECT_EQ(view.withPrefix("").size(), view.size());
}

// The map parse's own tests pin its results; the view must match them.
TEST(DataMapView, AgreesWithTheMapParseOnAwkwardInputs) {
    std::string big(kMaxChunk, 'q');
    std::string spanning = encodeDataMap({{"key", big + "tail"}});
    std::string good = chunk("a", "1") + chunk("b", "2") + chunk("b", "3");
    const std::vector<std::pair<const char*, std::string>> inputs = {
        {"empty", ""},
        {"key without terminator", good + "abc"},
        {"terminator without length", good + std::string("b\0", 2)},
        {"half a length", good + std::string("b\0\0", 3)},
        {"fewer data bytes than declared", good + std::string("b\0\0\x05xy", 7)},
        {"out of order", chunk("z", "1") + chunk("a", "2") + chunk("m", "3")},
        {"repeats with extensions", chunk("a", "1") + chunk("a", "2") + chunk("b", "") + chunk("a", "3")},
        {"keys sorting as unsigned bytes", chunk("\xC3\xA9", "1") + chunk("z", "2") + chunk("Z", "3")},
        {"a value over a chunk boundary, truncated in its second chunk",
         spanning.substr(0, spanning.size() - 2)},
        {"a key cut at the chunk boundary", spanning.substr(0, kMaxChunk + 3 + 3 + 2)},
        {"a chunk boundary then the next key", spanning + chunk("kez", "x")},
        {"empty values only", chunk("a", "") + chunk("b", "") + chunk("b", "")},
        {"zero byte before a key", good + std::string(1, '\0') + chunk("c", "2")},
    };
    for (const auto& [what, input] : inputs)
        expectAgreement(input, what);
}
