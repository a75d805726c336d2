#include "core_fixture.h"

#include <cstring>

namespace {

std::string encode(HDATAMAP map) {
    std::string out(RY_EncodeDataMap(map, nullptr), '\0');
    EXPECT_EQ(RY_EncodeDataMap(map, out.data()), out.size());
    return out;
}

// Releases the map at the end of a test.
struct Map {
    HDATAMAP h = RY_CreateDataMap();
    ~Map() { RY_ReleaseDataMap(h); }
    operator HDATAMAP() const { return h; }
};

}  // namespace

using DataMaps = CoreTest;

TEST_F(DataMaps, EncodingOfTheTwoEntryExample) {
    Map m;
    RY_SetDataMapString(m, "b", "2");
    RY_SetDataMapEntry(m, "a", "xy", 2);
    EXPECT_EQ(RY_EncodeDataMap(m, nullptr), 11u);
    EXPECT_EQ(encode(m), std::string("a\0\0\x02xyb\0\0\x01\x32", 11));
}

TEST_F(DataMaps, SeventyThousandBytesRoundTrip) {
    Map m, back;
    std::string value(70000, 'z');
    value[69999] = '!';
    RY_SetDataMapEntry(m, "v", value.data(), static_cast<uint32_t>(value.size()));
    std::string encoded = encode(m);
    EXPECT_EQ(encoded.size(), 70000u + 2 * (1 + 3));
    EXPECT_EQ(RY_ParseDataMap(back, encoded.data(), static_cast<uint32_t>(encoded.size())), 1);
    const unsigned char* data = nullptr;
    uint32_t length = 0;
    ASSERT_EQ(RY_GetDataMapEntry(back, "v", &data, &length), 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), length), value);
}

TEST_F(DataMaps, GettersReadTextsAndNumbers) {
    Map m;
    RY_SetDataMapEntry(m, "five", "ab\0cd", 5);
    RY_SetDataMapString(m, "n", " -17xyz");
    RY_SetDataMapString(m, "big", "12345678901234");
    EXPECT_STREQ(RY_GetDataMapString(m, "five"), "ab");
    uint32_t length = 0;
    const unsigned char* data = nullptr;
    EXPECT_EQ(RY_GetDataMapEntry(m, "five", &data, &length), 1);
    EXPECT_EQ(length, 5u);
    EXPECT_EQ(RY_GetDataMapInt(m, "n"), -17);
    EXPECT_EQ(RY_GetDataMapInt64(m, "big"), 12345678901234LL);
    EXPECT_EQ(RY_GetDataMapInt(m, "absent"), 0);
    EXPECT_EQ(RY_GetDataMapString(m, "absent"), nullptr);
    length = 99;
    EXPECT_EQ(RY_GetDataMapEntry(m, "absent", &data, &length), 0);
    EXPECT_EQ(length, 99u);
}

TEST_F(DataMaps, ParsingMergesAndKeepsWhatCameBeforeATruncation) {
    Map m;
    RY_SetDataMapString(m, "keep", "1");
    RY_SetDataMapString(m, "a", "old");
    EXPECT_EQ(RY_ParseDataMap(m, "", 0), 1);
    std::string input("a\0\0\x03newb\0\0\x09short", 17);
    EXPECT_EQ(RY_ParseDataMap(m, input.data(), static_cast<uint32_t>(input.size())), 0);
    EXPECT_STREQ(RY_GetDataMapString(m, "a"), "new");
    EXPECT_STREQ(RY_GetDataMapString(m, "keep"), "1");
    EXPECT_EQ(RY_GetDataMapString(m, "b"), nullptr);
}

TEST_F(DataMaps, EnumerationFollowsKeyOrderAndSurvivesInsertions) {
    Map m;
    EXPECT_EQ(RY_EnumDataMapBegin(m, nullptr, nullptr, nullptr), 0);
    RY_SetDataMapString(m, "b", "2");
    RY_SetDataMapString(m, "d", "4");
    const char* key = nullptr;
    std::vector<std::string> seen;
    for (int more = RY_EnumDataMapBegin(m, &key, nullptr, nullptr); more;
         more = RY_EnumDataMapNext(m, &key, nullptr, nullptr)) {
        seen.push_back(key);
        if (seen.size() == 1) {
            RY_SetDataMapString(m, "a", "before the cursor");
            RY_SetDataMapString(m, "c", "after the cursor");
        }
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"b", "c", "d"}));
    EXPECT_EQ(RY_EnumDataMapNext(m, &key, nullptr, nullptr), 0);
    EXPECT_EQ(RY_EnumDataMapNext(m, &key, nullptr, nullptr), 0);
}

TEST_F(DataMaps, NestedAttributesRewriteEachEnclosingMap) {
    Map m;
    const char* value = "Berlin";
    const void* ref = value;
    RY_SetNestedAttribute(m, "location.city.name", &ref, 6);
    const char* flat = "x";
    ref = flat;
    RY_SetNestedAttribute(m, "top", &ref, 1);
    EXPECT_STREQ(RY_GetDataMapString(m, "top"), "x");

    const unsigned char* data = nullptr;
    uint32_t length = 0;
    ASSERT_EQ(RY_GetDataMapEntry(m, "location", &data, &length), 1);
    Map location, city;
    EXPECT_EQ(RY_ParseDataMap(location, data, length), 1);
    ASSERT_EQ(RY_GetDataMapEntry(location, "city", &data, &length), 1);
    EXPECT_EQ(RY_ParseDataMap(city, data, length), 1);
    EXPECT_STREQ(RY_GetDataMapString(city, "name"), "Berlin");

    // A second update keeps the siblings inside the nested map.
    const char* zip = "10115";
    ref = zip;
    RY_SetNestedAttribute(m, "location.city.zip", &ref, 5);
    RY_GetDataMapEntry(m, "location", &data, &length);
    Map location2, city2;
    RY_ParseDataMap(location2, data, length);
    RY_GetDataMapEntry(location2, "city", &data, &length);
    RY_ParseDataMap(city2, data, length);
    EXPECT_STREQ(RY_GetDataMapString(city2, "name"), "Berlin");
    EXPECT_STREQ(RY_GetDataMapString(city2, "zip"), "10115");
}
