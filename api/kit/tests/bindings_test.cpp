#include "kestrova/kit/bindings.h"
#include "kestrova/kit/handles.h"
#include "kestrova/kit/service_record.h"

#include "object_helpers.h"

#include <string>
#include <vector>

namespace kit = kestrova::kit;
namespace bus = kestrova::bus;
namespace names = kestrova::names;

// A service operation takes only its own argument type: leaving a group with
// a group compiles, with another record it does not.
template <typename Arg>
concept CanLeaveGroupWith = requires(HSERVICE service, Arg argument) {
    bus::call(names::kServiceLeaveGroup, service, argument);
};
static_assert(CanLeaveGroupWith<HGROUP>);
static_assert(!CanLeaveGroupWith<RY_CreateGroupArgs*>);
static_assert(!CanLeaveGroupWith<HCONTACT>);

using KitBindings = CoreTest;

TEST_F(KitBindings, AServiceOperationIsCalledUnderItsServicesNameUntilItsOwnerGoes) {
    kit::OwnedService service(newService());
    std::vector<uint32_t> commands;
    {
        kit::RegisteredFunction handler =
            kit::registerFunction(names::kServiceHandlePopupMenu, service.get(), [&](uint32_t command) {
                commands.push_back(command);
                return command == 7 ? 1 : 0;
            });
        EXPECT_EQ(bus::call(names::kServiceHandlePopupMenu, service.get(), 7u), 1);
        EXPECT_EQ(bus::call(names::kServiceHandlePopupMenu, service.get(), 40000u), 0);
        // The name is the service's own: another service has no such function.
        kit::OwnedService other(newService());
        EXPECT_FALSE(bus::provided(names::kServiceHandlePopupMenu, other.get()));
        EXPECT_TRUE(bus::provided(names::kServiceHandlePopupMenu, service.get()));
    }
    EXPECT_FALSE(bus::provided(names::kServiceHandlePopupMenu, service.get()));
    EXPECT_EQ(bus::call(names::kServiceHandlePopupMenu, service.get(), 7u), 0);
    EXPECT_EQ(commands, (std::vector<uint32_t>{7, 40000}));
}

TEST_F(KitBindings, PointerResultsAndArgumentsTravelUnchanged) {
    kit::OwnedService service(newService());
    RY_ContactData data{};
    data.size = sizeof data;
    kit::OwnedContact own(RY_CreateContact(&data));
    kit::RegisteredFunction myHandle = kit::registerFunction(
        names::kServiceGetMyHandle, service.get(), [&] { return RY_DuplicateContactHandle(own.get()); });
    kit::OwnedContact got(bus::call(names::kServiceGetMyHandle, service.get()));
    EXPECT_EQ(got.get(), own.get());
    EXPECT_EQ(RY_GetHandleReferenceCount(own.get()), 2);

    RY_PacketBytes bytes{"P\n\n", 3};
    std::string written;
    kit::RegisteredFunction send =
        kit::registerFunction(names::kConnectionSendPacket, [&](const RY_PacketBytes* b) {
            written.assign(static_cast<const char*>(b->data), b->length);
            return 1;
        });
    EXPECT_EQ(bus::call(names::kConnectionSendPacket, &bytes), 1);
    EXPECT_EQ(written, "P\n\n");
}

TEST_F(KitBindings, AnOlderBindingLeavesANewerRegistrationOfItsNameAlone) {
    auto first = std::make_unique<kit::RegisteredFunction>(
        kit::registerFunction(names::kMessagingPopupChatsList, [](kestrova::platform::HWND) { return 1; }));
    kit::RegisteredFunction second =
        kit::registerFunction(names::kMessagingPopupChatsList, [](kestrova::platform::HWND) { return 2; });
    first.reset();
    EXPECT_EQ(bus::call(names::kMessagingPopupChatsList, nullptr), 2);
    // Moving a binding moves the registration; the moved-from one revokes nothing.
    kit::RegisteredFunction moved = std::move(second);
    EXPECT_EQ(bus::call(names::kMessagingPopupChatsList, nullptr), 2);
    moved = kit::RegisteredFunction();
    EXPECT_FALSE(bus::provided(names::kMessagingPopupChatsList));
}

TEST_F(KitBindings, SubscriptionsHearTheirDataUntilReset) {
    std::vector<uint32_t> commands;
    int startups = 0;
    kit::Subscription onCommand =
        kit::subscribe(names::kCoreWindowOnCommand, [&](uint32_t command) { commands.push_back(command); });
    kit::Subscription onStartup = kit::subscribe(names::kCoreStartup, [&] { ++startups; });
    EXPECT_EQ(bus::raise(names::kCoreWindowOnCommand, 40005u), 1);
    bus::raise(names::kCoreStartup);
    onCommand.reset();
    EXPECT_EQ(bus::raise(names::kCoreWindowOnCommand, 105u), 0);
    EXPECT_EQ(commands, std::vector<uint32_t>{40005});
    EXPECT_EQ(startups, 1);
}

TEST_F(KitBindings, VariantSubscribersAreGivenTheNewValue) {
    std::vector<int32_t> states;
    std::vector<std::string> ids;
    kit::Subscription state =
        kit::subscribe(names::kConnectionState, [&](int32_t s) { states.push_back(s); });
    kit::Subscription id =
        kit::subscribe(names::kConnectionSubId, [&](const std::string& s) { ids.push_back(s); });
    bus::set(names::kConnectionState, 30);
    bus::set(names::kConnectionState, 30);  // unchanged: nobody is told
    bus::set(names::kConnectionState, 100);
    bus::set(names::kConnectionSubId, "18446744073709551615");
    EXPECT_EQ(states, (std::vector<int32_t>{30, 100}));
    EXPECT_EQ(ids, std::vector<std::string>{"18446744073709551615"});
    EXPECT_EQ(bus::get(names::kConnectionSubId), "18446744073709551615");
    EXPECT_EQ(bus::get(names::kMessagesUnread), 0);  // never set
}

TEST_F(KitBindings, ASubscriptionMayEndItselfFromItsOwnHandler) {
    kit::Subscription once;
    int calls = 0;
    once = kit::subscribe(names::kGroupsChanged, [&] {
        ++calls;
        once.reset();
    });
    bus::raise(names::kGroupsChanged);
    bus::raise(names::kGroupsChanged);
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(once);
}

TEST_F(KitBindings, AnObjectSubscriptionOutlivesItsObjectQuietly) {
    RY_ContactData data{};
    data.size = sizeof data;
    HCONTACT contact = RY_CreateContact(&data);
    std::vector<HCONTACT> seen;
    kit::Subscription watch = kit::subscribe(contact, [&](HCONTACT changed) { seen.push_back(changed); });
    RY_SetContactData(contact, &data);
    RY_ReleaseContact(contact);
    EXPECT_EQ(seen, std::vector<HCONTACT>{contact});
    watch.reset();  // the object is gone; unsubscribing frees only the subscription
}

TEST_F(KitBindings, OwnedHandlesShareAdoptAndHandOverReferences) {
    RY_GroupData data{};
    data.size = sizeof data;
    HGROUP group = RY_CreateGroup(&data);
    {
        kit::OwnedGroup adopted(group);
        kit::OwnedGroup shared = kit::OwnedGroup::share(group);
        EXPECT_EQ(RY_GetHandleReferenceCount(group), 2);
        kit::OwnedGroup moved = std::move(shared);
        EXPECT_FALSE(shared);
        EXPECT_EQ(RY_GetHandleReferenceCount(group), 2);
        HGROUP handedOver = moved.release();
        EXPECT_EQ(RY_GetHandleReferenceCount(group), 2);
        RY_ReleaseGroup(handedOver);
        EXPECT_EQ(RY_GetHandleReferenceCount(group), 1);
    }
    EXPECT_FALSE(kit::OwnedContact::share(nullptr));
}

TEST_F(KitBindings, AServiceChangeWritesOnlyItsFieldsAndNotifiesOnce) {
    kit::OwnedService service(newService());
    kit::ServiceRecord record(service.get());
    record.write(kit::ServiceChange().userName("ann@example.org").password("secret").nickname("Ann"));
    int notified = 0;
    kit::Subscription watch = kit::subscribe(service.get(), [&](HSERVICE) { ++notified; });
    record.write(kit::ServiceChange().desiredStatus(RY_PRESENCE_AWAY).failure("", kit::kFailureGhosted));
    EXPECT_EQ(notified, 1);

    kit::ServiceFields fields = record.read();
    EXPECT_EQ(fields.userName, "ann@example.org");
    EXPECT_EQ(fields.password, "secret");
    EXPECT_EQ(fields.desiredStatus, RY_PRESENCE_AWAY);
    EXPECT_EQ(fields.failureReason, kit::kFailureGhosted);
    EXPECT_EQ(fields.displayName(), "Ann");

    RY_ServiceData raw{};
    raw.size = sizeof raw;
    RY_GetServiceData(service.get(), &raw);
    EXPECT_STREQ(raw.text1, "ann@example.org");
    EXPECT_STREQ(raw.text3, "Ann");
    EXPECT_EQ(raw.connectionState, RY_PRESENCE_AWAY);

    record.write(kit::ServiceChange().nickname(""));
    EXPECT_EQ(record.read().displayName(), "ann@example.org");
}
