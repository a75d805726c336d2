#include "object_helpers.h"

namespace {

RY_ACLData aclRecord() {
    RY_ACLData data{};
    data.size = sizeof data;
    return data;
}

HDATAMAP userAcl() {
    return static_cast<HDATAMAP>(RY_GetVariantPtr(kestrova::names::kMyProfileUserAcl.name));
}

std::string storedEntry(const char* name) {
    const unsigned char* bytes = nullptr;
    uint32_t length = 0;
    if (!RY_GetDataMapEntry(userAcl(), name, &bytes, &length)) return {};
    return std::string(reinterpret_cast<const char*>(bytes), length);
}

}  // namespace

using AccessControl = CoreTest;

TEST_F(AccessControl, WritingStoresTheEntryAndSendsTheSameBytesAsAProfileUpdate) {
    PacketCapture capture;
    RY_ACLData data = aclRecord();
    data.permission0 = 1;
    data.permission3 = 1;
    data.optionT = 1;
    uint64_t users[] = {5, 17};
    data.users = users;
    data.count = 2;
    RY_SetACLData("location", &data);

    const std::string entry = encodeMap({{"a", "9"}, {"b", "0"}, {"t", "1"}, {"u", "5,17"}});
    EXPECT_EQ(storedEntry("location"), entry);
    ASSERT_EQ(capture.packets.size(), 1u);
    EXPECT_EQ(capture.packets[0], expectedPacket("SUB PROFILE UPDATE", encodeMap({{"user_acl.location", entry}}), 32768));
}

TEST_F(AccessControl, UsersAreLeftOutWhenNullAndEmptyWhenCountIsZero) {
    RY_ACLData data = aclRecord();
    data.count = 3;
    RY_SetACLData("x", &data);
    EXPECT_FALSE(decodeMap(storedEntry("x")).contains("u"));
    data.count = 0;
    RY_SetACLData("y", &data);
    EXPECT_EQ(decodeMap(storedEntry("y")).at("u"), "");
}

TEST_F(AccessControl, WritingWithoutAConnectionStillKeepsTheEntry) {
    RY_ACLData data = aclRecord();
    data.permission1 = 1;
    RY_SetACLData("photos", &data);
    EXPECT_EQ(decodeMap(storedEntry("photos")).at("a"), "2");
}

TEST_F(AccessControl, ReadingGivesEachStoredPartAndItsFlag) {
    RY_ACLData written = aclRecord();
    written.permission1 = written.permission2 = 1;
    written.optionB = 1;
    uint64_t users[] = {18446744073709551615ull, 3, 44};
    written.users = users;
    written.count = 3;
    RY_SetACLData("entry", &written);

    RY_ACLData sizing = aclRecord();
    EXPECT_EQ(RY_GetACLData("entry", &sizing), 1);
    EXPECT_EQ(sizing.count, 3);
    EXPECT_EQ(sizing.flags, uint32_t(RY_ACL_PERMISSIONS | RY_ACL_OPTION_B | RY_ACL_OPTION_T));
    EXPECT_TRUE(sizing.permission1 && sizing.permission2);
    EXPECT_FALSE(sizing.permission0 || sizing.permission3);
    EXPECT_EQ(sizing.optionB, 1);
    EXPECT_EQ(sizing.optionT, 0);

    std::vector<uint64_t> read(2, 0);
    RY_ACLData reading = aclRecord();
    reading.users = read.data();
    reading.count = 2;  // room for two of the three
    EXPECT_EQ(RY_GetACLData("entry", &reading), 1);
    EXPECT_EQ(reading.flags & RY_ACL_USERS, uint32_t(RY_ACL_USERS));
    EXPECT_EQ(read, (std::vector<uint64_t>{18446744073709551615ull, 3}));
    EXPECT_EQ(reading.count, 2);
}

TEST_F(AccessControl, ReadingAnAbsentEntryPublishesTheCallersDefault) {
    PacketCapture capture;
    RY_ACLData defaults = aclRecord();
    defaults.optionB = 1;
    EXPECT_EQ(RY_GetACLData("fresh", &defaults), 0);
    EXPECT_EQ(defaults.flags, 0u);
    EXPECT_EQ(decodeMap(storedEntry("fresh")).at("b"), "1");
    ASSERT_EQ(capture.packets.size(), 1u);
    EXPECT_TRUE(capture.packets[0].starts_with("SUB PROFILE UPDATE\n"));
}

TEST_F(AccessControl, WithoutTheProfileMapNothingHappens) {
    HDATAMAP map = userAcl();
    RY_SetVariantPtr(kestrova::names::kMyProfileUserAcl.name, nullptr);
    PacketCapture capture;
    RY_ACLData data = aclRecord();
    RY_SetACLData("x", &data);
    EXPECT_EQ(RY_GetACLData("x", &data), 0);
    EXPECT_TRUE(capture.packets.empty());
    RY_ReleaseDataMap(map);
}
