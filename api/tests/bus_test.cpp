#include "core_fixture.h"

#include <algorithm>
#include <cstring>

namespace {

intptr_t returnContextPlusArg(void* context, void* arg) {
    return reinterpret_cast<intptr_t>(context) + reinterpret_cast<intptr_t>(arg);
}

std::string variantText(const char* name) {
    std::string text(static_cast<size_t>(RY_GetVariantString(name, nullptr)), '\0');
    std::vector<char> buf(text.size() + 1, 'x');
    RY_GetVariantString(name, buf.data());
    return std::string(buf.data());
}

}  // namespace

using NamedFunctions = CoreTest;
using Events = CoreTest;
using Variants = CoreTest;
using Plugins = CoreTest;

TEST_F(NamedFunctions, RegisteringAgainReplacesAndLookupIsExact) {
    RY_RegisterFunction("Test/Add", returnContextPlusArg, reinterpret_cast<void*>(1));
    RY_RegisterFunction("Test/Add", returnContextPlusArg, reinterpret_cast<void*>(100));
    EXPECT_EQ(RY_CallFunction("Test/Add", reinterpret_cast<void*>(5)), 105);
    EXPECT_EQ(RY_CallFunction("test/add", reinterpret_cast<void*>(5)), 0);
    EXPECT_EQ(RY_CallFunction("Test/Add ", reinterpret_cast<void*>(5)), 0);

    NamedFunctionProc proc = nullptr;
    void* context = reinterpret_cast<void*>(7);
    EXPECT_EQ(RY_GetFunctionProcAddress("Test/Add", &proc, nullptr), 1);
    EXPECT_EQ(proc, &returnContextPlusArg);
    EXPECT_EQ(RY_GetFunctionProcAddress("Missing", &proc, &context), 0);
    EXPECT_EQ(context, reinterpret_cast<void*>(7));

    RY_UnregisterFunction("Test/Add");
    RY_UnregisterFunction("Never/Registered");
    EXPECT_EQ(RY_GetFunctionProcAddress("Test/Add", nullptr, nullptr), 0);
    EXPECT_EQ(RY_CallFunction("Test/Add", nullptr), 0);
}

TEST_F(NamedFunctions, AFunctionMayUnregisterItselfWhileRunning) {
    static int calls = 0;
    RY_RegisterFunction("Once", [](void*, void*) -> intptr_t {
        ++calls;
        RY_UnregisterFunction("Once");
        return 9;
    }, nullptr);
    EXPECT_EQ(RY_CallFunction("Once", nullptr), 9);
    EXPECT_EQ(RY_CallFunction("Once", nullptr), 0);
    EXPECT_EQ(calls, 1);
}

TEST_F(Events, RaiseCallsEverySubscriberInHandleOrderAndCountsThem) {
    EXPECT_EQ(RY_EventRaise("nobody.listens", nullptr), 0);
    CallLog a, b;
    HSUBSCRIPTION sa = RY_EventSubscribe(CallLog::record, "ev", &a);
    HSUBSCRIPTION sb = RY_EventSubscribe(CallLog::record, "ev", &b);
    int payload = 3;
    EXPECT_EQ(RY_EventRaise("ev", &payload), 2);
    ASSERT_EQ(a.count(), 1u);
    ASSERT_EQ(b.count(), 1u);
    EXPECT_EQ(a.data[0], &payload);
    EXPECT_EQ(a.handles[0], sa);

    // The order follows the handle values, not the order of subscription.
    static std::vector<HSUBSCRIPTION> order;
    order.clear();
    auto note = [](void*, void*, void*, HSUBSCRIPTION s) -> intptr_t {
        order.push_back(s);
        return 0;
    };
    std::vector<HSUBSCRIPTION> subs;
    for (int i = 0; i < 8; ++i) subs.push_back(RY_EventSubscribe(note, "ordered", nullptr));
    RY_EventRaise("ordered", nullptr);
    std::sort(subs.begin(), subs.end(), std::less<>());
    EXPECT_EQ(order, subs);
    for (auto s : subs) RY_EventUnsubscribe(s);

    RY_EventUnsubscribe(sa);
    RY_EventUnsubscribe(nullptr);
    EXPECT_EQ(RY_EventRaise("ev", nullptr), 1);
    EXPECT_EQ(a.count(), 1u);
    RY_EventUnsubscribe(sb);
}

// Callbacks that change the subscriber set being dispatched.
struct Reentrant {
    HSUBSCRIPTION self = nullptr;
    HSUBSCRIPTION other = nullptr;
    HSUBSCRIPTION added = nullptr;
    int calls = 0;
};

TEST_F(Events, SubscribersMayUnsubscribeOthersOrThemselvesDuringARaise) {
    static CallLog victim;
    victim = {};
    Reentrant killer;
    auto kill = [](void* user, void*, void*, HSUBSCRIPTION self) -> intptr_t {
        auto* r = static_cast<Reentrant*>(user);
        ++r->calls;
        RY_EventUnsubscribe(r->other);
        r->other = nullptr;
        RY_EventUnsubscribe(self);
        return 0;
    };
    // Whichever of the two comes first, the victim must never be called
    // after its unsubscription, and nothing freed is touched (ASan).
    HSUBSCRIPTION v = RY_EventSubscribe(CallLog::record, "ev", &victim);
    HSUBSCRIPTION k = RY_EventSubscribe(kill, "ev", &killer);
    killer.other = v;
    RY_EventRaise("ev", nullptr);
    EXPECT_EQ(killer.calls, 1);
    EXPECT_LE(victim.count(), 1u);
    if (k < v) {
        EXPECT_EQ(victim.count(), 0u);
    }
    EXPECT_EQ(RY_EventRaise("ev", nullptr), 0);
}

TEST_F(Events, ASubscriptionAddedDuringARaiseIsNotCalledInThatRaise) {
    static CallLog addedLog;
    addedLog = {};
    Reentrant adder;
    auto add = [](void* user, void*, void*, HSUBSCRIPTION) -> intptr_t {
        auto* r = static_cast<Reentrant*>(user);
        if (++r->calls == 1) r->added = RY_EventSubscribe(CallLog::record, "ev", &addedLog);
        return 0;
    };
    HSUBSCRIPTION s = RY_EventSubscribe(add, "ev", &adder);
    EXPECT_EQ(RY_EventRaise("ev", nullptr), 2);
    ASSERT_NE(adder.added, nullptr);
    EXPECT_EQ(addedLog.count(), 0u);
    RY_EventUnsubscribe(s);
    EXPECT_EQ(RY_EventRaise("ev", nullptr), 1);
    EXPECT_EQ(addedLog.count(), 1u);
    RY_EventUnsubscribe(adder.added);
}

TEST_F(Events, SubscriptionsOutliveCleanupDetachedAndCanStillBeFreed) {
    CallLog log;
    HSUBSCRIPTION s = RY_EventSubscribe(CallLog::record, "ev", &log);
    RY_API_Cleanup();
    EXPECT_EQ(RY_EventRaise("ev", nullptr), 0);
    EXPECT_EQ(log.count(), 0u);
    RY_EventUnsubscribe(s);
}

TEST_F(Variants, NumbersAndPointersAreStoredAsDecimalText) {
    RY_SetVariantLong("v", -12);
    char buf[16];
    EXPECT_EQ(RY_GetVariantString("v", buf), 3);
    EXPECT_STREQ(buf, "-12");
    EXPECT_EQ(RY_GetVariantLong("v"), -12);

    RY_SetVariantString("v", "42abc");
    EXPECT_EQ(RY_GetVariantLong("v"), 42);
    RY_SetVariantString("v", "  -7");
    EXPECT_EQ(RY_GetVariantLong("v"), -7);
    RY_SetVariantString("v", "abc42");
    EXPECT_EQ(RY_GetVariantLong("v"), 0);
    RY_SetVariantString("v", "99999999999");
    EXPECT_EQ(RY_GetVariantLong("v"), INT32_MAX);

    EXPECT_EQ(RY_GetVariantPtr("never.set"), nullptr);
    EXPECT_EQ(RY_GetVariantString("never.set", nullptr), 0);

    // A 64-bit address survives the round trip through text.
    int local = 0;
    RY_SetVariantPtr("p", &local);
    EXPECT_EQ(RY_GetVariantPtr("p"), &local);
    EXPECT_EQ(variantText("p"), std::to_string(reinterpret_cast<intptr_t>(&local)));
}

TEST_F(Variants, SubscribersHearOnlyRealChanges) {
    CallLog log;
    HSUBSCRIPTION s = RY_VariantSubscribe(CallLog::record, "state", &log);
    RY_SetVariantLong("state", 5);
    RY_SetVariantString("state", "5");
    RY_SetVariantLong("state", 5);
    EXPECT_EQ(log.count(), 1u);
    EXPECT_EQ(log.data[0], nullptr);
    RY_SetVariantString("state", "50");
    RY_SetVariantString("state", "");
    EXPECT_EQ(log.count(), 3u);
    RY_VariantUnsubscribe(s);
    RY_SetVariantLong("state", 1);
    EXPECT_EQ(log.count(), 3u);
}

TEST_F(Variants, TheProfileMapsExistFromTheStart) {
    void* acl = RY_GetVariantPtr(kestrova::names::kMyProfileUserAcl.name);
    void* data = RY_GetVariantPtr(kestrova::names::kMyProfileUserData.name);
    ASSERT_NE(acl, nullptr);
    ASSERT_NE(data, nullptr);
    EXPECT_NE(acl, data);
    EXPECT_EQ(RY_GetHandleReferenceCount(acl), 1);
    RY_SetDataMapString(static_cast<HDATAMAP>(data), "nick", "ann");
    EXPECT_STREQ(RY_GetDataMapString(static_cast<HDATAMAP>(data), "nick"), "ann");
}

namespace {

std::vector<std::string> gJournal;

class RecordingPlugin : public Plugin {
public:
    RecordingPlugin(std::string name, bool completesStart) : name_(std::move(name)), completes_(completesStart) {}
    void Start() override {
        gJournal.push_back("start " + name_);
        if (completes_) started = 1;
    }
    void Stop() override {
        gJournal.push_back("stop " + name_);
        started = 0;
    }
    const char* GetInfo() override { return ""; }

private:
    std::string name_;
    bool completes_;
};

}  // namespace

TEST_F(Plugins, StartAndStopInOrderAddedSkippingUnstarted) {
    gJournal.clear();
    RecordingPlugin a("a", true), b("b", false), c("c", true);
    RY_PluginAdd(&a);
    RY_PluginAdd(&b);
    RY_PluginAdd(&c);
    RY_PluginStartAll();
    RY_PluginStopAll();
    EXPECT_EQ(gJournal, (std::vector<std::string>{"start a", "start b", "start c", "stop a", "stop c"}));
    EXPECT_EQ(a.started, 0);
}

TEST_F(Plugins, LocalIdentifiersStartAt32768InEachRun) {
    EXPECT_EQ(RY_GetLUID(), 32768u);
    EXPECT_EQ(RY_GetLUID(), 32769u);
    RY_API_Cleanup();
    EXPECT_EQ(RY_GetLUID(), 32768u);
}
