#include "core_fixture.h"

#include <cstring>

namespace {

RY_ServiceData serviceRecord(uint32_t flags = 0) {
    RY_ServiceData data{};
    data.size = sizeof data;
    data.flags = flags;
    return data;
}

std::vector<HSERVICE> listServices(uint32_t capacity = 16) {
    std::vector<HSERVICE> handles(capacity);
    uint32_t count = capacity;
    RY_GetServices(handles.data(), &count);
    handles.resize(count);
    return handles;
}

void releaseAll(const std::vector<HSERVICE>& handles) {
    for (HSERVICE h : handles) RY_ReleaseService(h);
}

}  // namespace

using Services = CoreTest;

TEST_F(Services, EnumerationAddsAReferencePerHandle) {
    auto record = serviceRecord();
    HSERVICE s = RY_CreateService(&record);
    auto listed = listServices(10);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0], s);
    EXPECT_EQ(RY_GetHandleReferenceCount(s), 2);
    releaseAll(listed);

    HSERVICE none[1] = {nullptr};
    uint32_t count = 0;
    RY_GetServices(none, &count);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(none[0], nullptr);
    RY_ReleaseService(s);
    EXPECT_TRUE(listServices().empty());
}

TEST_F(Services, ThePrimaryServiceIsCreatedOnceAndListed) {
    HSERVICE a = RY_GetPrimaryService();
    HSERVICE b = RY_GetPrimaryService();
    EXPECT_EQ(a, b);
    EXPECT_EQ(RY_GetHandleReferenceCount(a), 3);
    auto listed = listServices();
    EXPECT_EQ(listed.size(), 1u);
    releaseAll(listed);
    RY_ReleaseService(a);
    RY_ReleaseService(b);
}

TEST_F(Services, FlagsChooseTheFieldsAndNullTextsReadEmpty) {
    auto record = serviceRecord(RY_SERVICE_TEXT1 | RY_SERVICE_TEXT3 | RY_SERVICE_PRESENCE);
    record.text1 = "ann@example.org";
    record.text3 = nullptr;
    record.text4 = "ignored: not flagged";
    record.presence = 101;
    record.connectionState = 9;
    HSERVICE s = RY_CreateService(&record);

    RY_ServiceData out{};
    out.size = sizeof out;
    RY_GetServiceData(s, &out);
    EXPECT_STREQ(out.text1, "ann@example.org");
    EXPECT_STREQ(out.text3, "");
    EXPECT_STREQ(out.text4, "");
    EXPECT_EQ(out.presence, 101);
    EXPECT_EQ(out.connectionState, 0);

    CallLog log;
    HSUBSCRIPTION sub = RY_ServiceSubscribe(CallLog::record, s, &log);
    auto nothing = serviceRecord(0);
    nothing.text1 = "not taken";
    RY_SetServiceData(s, &nothing);
    EXPECT_EQ(log.count(), 1u);
    RY_GetServiceData(s, &out);
    EXPECT_STREQ(out.text1, "ann@example.org");
    RY_ServiceUnsubscribe(sub);
    RY_ReleaseService(s);
}

TEST_F(Services, TypesAreListedWithoutReferencesAndAlwaysTakeTheNetworkType) {
    RY_ServiceTypeData type{};
    type.size = sizeof type;
    type.flags = RY_SERVICETYPE_DISPLAY_NAME | RY_SERVICETYPE_SHORT_NAME;
    type.displayName = "Example Messenger";
    type.shortName = "EX";
    type.networkType = 3;
    HSERVICETYPE t = RY_CreateServiceType(&type);

    RY_ServiceTypeData change{};
    change.size = sizeof change;
    change.networkType = 6;
    RY_SetServiceTypeData(t, &change);

    RY_ServiceTypeData out{};
    out.size = sizeof out;
    RY_GetServiceTypeData(t, &out);
    EXPECT_STREQ(out.displayName, "Example Messenger");
    EXPECT_STREQ(out.shortName, "EX");
    EXPECT_EQ(out.networkType, 6);

    HSERVICETYPE listed[4];
    uint32_t count = 4;
    RY_GetServiceTypes(listed, &count);
    ASSERT_EQ(count, 1u);
    EXPECT_EQ(listed[0], t);
    EXPECT_EQ(RY_GetHandleReferenceCount(t), 1);
    RY_ReleaseServiceType(t);
    count = 4;
    RY_GetServiceTypes(listed, &count);
    EXPECT_EQ(count, 0u);
}
