// Reference counting and object subscriptions, shown on services and data
// maps (the kinds this library has without the object model on top).
#include "core_fixture.h"

namespace {

HSERVICE newService() {
    RY_ServiceData data{};
    data.size = sizeof data;
    return RY_CreateService(&data);
}

void setNothing(HSERVICE service) {
    RY_ServiceData data{};
    data.size = sizeof data;
    RY_SetServiceData(service, &data);
}

}  // namespace

using Handles = CoreTest;

TEST_F(Handles, CountsGrowWithDuplicatesAndTheLastReleaseFrees) {
    HDATAMAP map = RY_CreateDataMap();
    EXPECT_EQ(RY_GetHandleReferenceCount(map), 1);
    EXPECT_EQ(RY_DuplicateDataMapHandle(map), map);
    EXPECT_EQ(RY_GetHandleReferenceCount(map), 2);
    RY_ReleaseDataMap(map);
    EXPECT_EQ(RY_GetHandleReferenceCount(map), 1);
    RY_ReleaseDataMap(map);  // freed: ASan reports any later touch

    EXPECT_EQ(RY_DuplicateContactHandle(nullptr), nullptr);
    EXPECT_EQ(RY_DuplicateServiceHandle(nullptr), nullptr);
    RY_ReleaseContact(nullptr);
    RY_ReleaseService(nullptr);
    RY_ReleaseDataMap(nullptr);
}

TEST_F(Handles, SubscribersHearEverySetEvenWithoutChange) {
    HSERVICE service = newService();
    CallLog log;
    HSUBSCRIPTION s = RY_ServiceSubscribe(CallLog::record, service, &log);
    setNothing(service);
    setNothing(service);
    ASSERT_EQ(log.count(), 2u);
    EXPECT_EQ(log.data[0], service);
    EXPECT_EQ(log.handles[0], s);
    EXPECT_EQ(RY_GetHandleReferenceCount(service), 1);  // subscribing takes no reference
    RY_ServiceUnsubscribe(s);
    setNothing(service);
    EXPECT_EQ(log.count(), 2u);
    RY_ReleaseService(service);
}

TEST_F(Handles, SubscriptionsOfAFreedObjectAreDetachedAndStillFreeable) {
    HSERVICE service = newService();
    CallLog log;
    HSUBSCRIPTION s = RY_ServiceSubscribe(CallLog::record, service, &log);
    RY_ReleaseService(service);
    RY_ServiceUnsubscribe(s);  // must not touch the freed service
    EXPECT_EQ(log.count(), 0u);
}

TEST_F(Handles, ASubscriberMayReleaseTheObjectItIsBeingToldAbout) {
    HSERVICE service = newService();
    static CallLog after;
    after = {};
    auto releaseIt = [](void*, void* data, void*, HSUBSCRIPTION) -> intptr_t {
        RY_ReleaseService(static_cast<HSERVICE>(data));
        return 0;
    };
    HSUBSCRIPTION first = RY_ServiceSubscribe(releaseIt, service, nullptr);
    HSUBSCRIPTION second = RY_ServiceSubscribe(CallLog::record, service, &after);
    setNothing(service);
    // Whatever the order, the object is gone afterwards and a subscriber
    // ordered after the release is never called on the freed object.
    if (first < second) {
        EXPECT_EQ(after.count(), 0u);
    }
    RY_ServiceUnsubscribe(first);
    RY_ServiceUnsubscribe(second);
}

TEST_F(Handles, UnsubscribingInsideTheCallbackStopsFurtherCalls) {
    HSERVICE service = newService();
    static int calls = 0;
    calls = 0;
    auto once = [](void*, void*, void*, HSUBSCRIPTION self) -> intptr_t {
        ++calls;
        RY_ServiceUnsubscribe(self);
        return 0;
    };
    RY_ServiceSubscribe(once, service, nullptr);
    setNothing(service);
    setNothing(service);
    EXPECT_EQ(calls, 1);
    RY_ReleaseService(service);
}
