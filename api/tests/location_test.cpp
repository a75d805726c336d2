#include "object_helpers.h"

#include "kestrova/bus.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

RY_LocationData locationRecord(uint32_t flags = 0) {
    RY_LocationData data{};
    data.size = sizeof data;
    data.flags = flags;
    return data;
}

HDATAMAP mapWithLocation(const kestrova::wire::DataMapEntries& loc) {
    HDATAMAP map = RY_CreateDataMap();
    const std::string encoded = encodeMap(loc);
    RY_SetDataMapEntry(map, "loc", encoded.data(), uint32_t(encoded.size()));
    return map;
}

// The user's own contact, answered by a "Service/%p/GetMyHandle" of the primary service.
class OwnContact {
public:
    explicit OwnContact(const kestrova::wire::DataMapEntries& loc) {
        RY_ContactData data = contactRecord(RY_CONTACT_DATA_MAP);
        data.dataMap = mapWithLocation(loc);
        contact_ = RY_CreateContact(&data);
        HSERVICE primary = RY_GetPrimaryService();
        name_ = kestrova::bus::nameFor(kestrova::names::kServiceGetMyHandle, primary);
        RY_ReleaseService(primary);
        RY_RegisterFunction(name_.c_str(), &OwnContact::myHandle, this);
    }
    ~OwnContact() {
        RY_UnregisterFunction(name_.c_str());
        RY_ReleaseContact(contact_);
    }
    HCONTACT contact() const { return contact_; }

private:
    static intptr_t myHandle(void* context, void*) {
        return reinterpret_cast<intptr_t>(RY_DuplicateContactHandle(static_cast<OwnContact*>(context)->contact_));
    }
    HCONTACT contact_;
    std::string name_;
};

float distanceTo(float lat, float lon) {
    RY_LocationData target = locationRecord(RY_LOCATION_LAT | RY_LOCATION_LON);
    target.lat = lat;
    target.lon = lon;
    float meters = -1;
    return RY_CalcDistance(&target, &meters) ? meters : -meters - 1000;
}

}  // namespace

using Location = CoreTest;

TEST_F(Location, StoredFieldsAreReadWithTheirFlags) {
    HDATAMAP map = mapWithLocation({{"lat", "51.500000"}, {"lon", "-0.120000"}, {"accuracy", "30.5"}, {"time", "4000000000"},
                                    {"name", "Bridge"}, {"area", ""}, {"country", "UK"}, {"src", "Manual"}});
    RY_LocationData out = locationRecord();
    out.size = 1;
    ASSERT_EQ(RY_GetLocationData(map, &out), 1);
    EXPECT_EQ(out.size, sizeof out);
    EXPECT_FLOAT_EQ(out.lat, 51.5f);
    EXPECT_FLOAT_EQ(out.lon, -0.12f);
    EXPECT_FLOAT_EQ(out.accuracy, 30.5f);
    EXPECT_EQ(out.time, 4000000000u);
    EXPECT_STREQ(out.name, "Bridge");
    EXPECT_STREQ(out.country, "UK");
    EXPECT_EQ(out.source, RY_LOCATION_MANUAL);
    EXPECT_EQ(out.flags, uint32_t(RY_LOCATION_LAT | RY_LOCATION_LON | RY_LOCATION_ACCURACY | RY_LOCATION_TIME |
                                  RY_LOCATION_NAME | RY_LOCATION_COUNTRY | RY_LOCATION_SOURCE));  // empty area: no flag
    RY_ReleaseDataMap(map);
}

TEST_F(Location, SourceNamesOtherThanTheTwoKnownSetNothing) {
    HDATAMAP positioned = mapWithLocation(kestrova::wire::DataMapEntries{{"src", "PLS_IF"}});
    HDATAMAP odd = mapWithLocation(kestrova::wire::DataMapEntries{{"src", "gps"}});
    RY_LocationData out = locationRecord();
    EXPECT_EQ(RY_GetLocationData(positioned, &out), 1);
    EXPECT_EQ(out.source, RY_LOCATION_FROM_POSITIONING);
    EXPECT_EQ(out.flags, uint32_t(RY_LOCATION_SOURCE));
    EXPECT_EQ(RY_GetLocationData(odd, &out), 0);
    RY_ReleaseDataMap(positioned);
    RY_ReleaseDataMap(odd);
}

TEST_F(Location, LongTextsAreCutToTheirFields) {
    HDATAMAP map = mapWithLocation({{"name", std::string(500, 'n')}, {"country", std::string(300, 'c')}});
    RY_LocationData out = locationRecord();
    ASSERT_EQ(RY_GetLocationData(map, &out), 1);
    EXPECT_EQ(std::strlen(out.name), 199u);
    EXPECT_EQ(std::strlen(out.country), 102u);
    EXPECT_EQ(out.area[0], '\0');
    RY_ReleaseDataMap(map);
}

TEST_F(Location, MapsWithoutALocationLeaveTheRecordUntouched) {
    HDATAMAP empty = RY_CreateDataMap();
    RY_LocationData out = locationRecord();
    out.lat = 7;
    EXPECT_EQ(RY_GetLocationData(empty, &out), 0);
    EXPECT_EQ(RY_GetLocationData(nullptr, &out), 0);
    EXPECT_EQ(out.lat, 7);
    EXPECT_EQ(RY_GetContactLocation(nullptr, &out), 0);
    RY_ReleaseDataMap(empty);
}

TEST_F(Location, ContactLocationComesFromItsDataMap) {
    OwnContact own({{"lat", "1.5"}, {"lon", "2.5"}});
    RY_LocationData out = locationRecord();
    ASSERT_EQ(RY_GetContactLocation(own.contact(), &out), 1);
    EXPECT_FLOAT_EQ(out.lon, 2.5f);
}

TEST_F(Location, DistanceUsesTheEquatorialRadius) {
    OwnContact own({{"lat", "0"}, {"lon", "0"}});
    EXPECT_NEAR(distanceTo(0, 1), 111319.5f, 2.0f);
    EXPECT_EQ(distanceTo(0, 0), 0.0f);
}

TEST_F(Location, DistanceFollowsTheMixedPrecisionExactly) {
    OwnContact own({{"lat", "51.5"}, {"lon", "-0.12"}});
    // Reference computed step by step in the documented precisions.
    const float k = 0.017453292f;
    const float p1 = 51.5f * k, p2 = 48.85f * k, l1 = -0.12f * k, l2 = 2.35f * k;
    const float s1 = float(std::sin(double((p2 - p1) * 0.5f)));
    const float s2 = float(std::sin(double((l2 - l1) * 0.5f)));
    const float h = float(double(s2 * s2) * std::cos(double(p2)) * std::cos(double(p1)) + double(s1 * s1));
    const float c = float(2.0 * std::atan2(std::sqrt(double(h)), std::sqrt(double(1.0f - h))));
    EXPECT_EQ(distanceTo(48.85f, 2.35f), c * 6378160.0f);
    EXPECT_NEAR(distanceTo(48.85f, 2.35f), 344000.0f, 2000.0f);
}

TEST_F(Location, NoDistanceWithoutAnOwnPosition) {
    EXPECT_EQ(distanceTo(1, 1), -1000.0f);  // no own contact at all: 0 metres and result 0
    OwnContact latitudeOnly(kestrova::wire::DataMapEntries{{"lat", "3"}});
    EXPECT_EQ(distanceTo(1, 1), -1000.0f);
}

TEST_F(Location, PositionReportIsSentByteForByte) {
    PacketCapture capture;
    RY_ReportCurrentLocation(51.5f, -0.12f, 30.0f);
    ASSERT_EQ(capture.packets.size(), 1u);
    const std::string inner =
        encodeMap({{"acc", "30.000000"}, {"lat", "51.500000"}, {"lng", "-0.120000"}, {"type", "iPhoneCombo"}});
    EXPECT_EQ(capture.packets[0], expectedPacket("PLS SUBMIT", encodeMap({{"Loc0", inner}}), 32768));
}

TEST_F(Location, ManualLocationSendsOnlyItsValidFieldsAndTheSource) {
    PacketCapture capture;
    RY_LocationData place = locationRecord(RY_LOCATION_NAME);
    std::strcpy(place.name, "Harbour");
    std::strcpy(place.country, "ignored");
    RY_SetManualLocationData(&place);

    RY_LocationData full = locationRecord(RY_LOCATION_LAT | RY_LOCATION_LON | RY_LOCATION_ACCURACY | RY_LOCATION_TIME |
                                          RY_LOCATION_AREA | RY_LOCATION_COUNTRY);
    full.lat = 1.25f;
    full.lon = -2.5f;
    full.accuracy = 10;
    full.time = 4000000000u;
    std::strcpy(full.area, "North");
    std::memset(full.country, 'x', sizeof full.country);  // unterminated: read only to the field's end
    RY_SetManualLocationData(&full);

    ASSERT_EQ(capture.packets.size(), 2u);
    const std::string onlyName = encodeMap({{"name", "Harbour"}, {"src", "Manual"}});
    EXPECT_EQ(capture.packets[0],
              expectedPacket("SUB PROFILE UPDATE", encodeMap({{"user_data.loc", onlyName}}), 32768));
    const std::string everything = encodeMap({{"accuracy", "10.000000"}, {"area", "North"},
                                              {"country", std::string(sizeof full.country, 'x')},
                                              {"lat", "1.250000"}, {"lon", "-2.500000"}, {"src", "Manual"},
                                              {"time", "4000000000"}});
    EXPECT_EQ(capture.packets[1],
              expectedPacket("SUB PROFILE UPDATE", encodeMap({{"user_data.loc", everything}}), 32769));
}

TEST_F(Location, PacketsWithoutAConnectionAreDropped) {
    RY_ReportCurrentLocation(1, 2, 3);  // nothing registered: no effect but the identifier
    EXPECT_EQ(RY_GetLUID(), 32769u);
}
