#include "object_helpers.h"

#include <cstring>

namespace {

struct EventLog {
    CallLog log;
    HSUBSCRIPTION subscription =
        RY_EventSubscribe(&CallLog::record, kestrova::names::kContactChanged.name, &log);
    ~EventLog() { RY_EventUnsubscribe(subscription); }
};

}  // namespace

using Contacts = CoreTest;

TEST_F(Contacts, CreateAndEverySetAnnounceTheContactEvenWithoutChange) {
    EventLog changed;
    HCONTACT contact = newContact();
    ASSERT_EQ(changed.log.count(), 1u);
    EXPECT_EQ(changed.log.data[0], contact);

    CallLog subscriber;
    HSUBSCRIPTION s = RY_ContactSubscribe(&CallLog::record, contact, &subscriber);
    RY_ContactData nothing = contactRecord(0);
    RY_SetContactData(contact, &nothing);
    EXPECT_EQ(changed.log.count(), 2u);
    ASSERT_EQ(subscriber.count(), 1u);
    EXPECT_EQ(subscriber.data[0], contact);
    RY_ContactUnsubscribe(s);
    RY_ReleaseContact(contact);
}

TEST_F(Contacts, FieldsReadBackAndNullTextsReadEmpty) {
    RY_ContactData data = contactRecord(RY_CONTACT_ID | RY_CONTACT_NAME | RY_CONTACT_NICKNAME | RY_CONTACT_STATUS_TEXT |
                                        RY_CONTACT_PRESENCE | RY_CONTACT_DEVICE_TYPE);
    data.contactId = 0xfedcba9876543210ull;
    data.name = "ann@example.org";
    data.nickname = nullptr;
    data.statusText = "at lunch";
    data.presence = RY_PRESENCE_AWAY;
    data.deviceType = RY_DEVICE_IPHONE;
    HCONTACT contact = RY_CreateContact(&data);

    RY_ContactData out = contactRecord();
    RY_GetContactData(contact, &out);
    EXPECT_EQ(out.contactId, 0xfedcba9876543210ull);
    EXPECT_STREQ(out.name, "ann@example.org");
    EXPECT_STREQ(out.nickname, "");
    EXPECT_STREQ(out.statusText, "at lunch");
    EXPECT_EQ(out.presence, RY_PRESENCE_AWAY);
    EXPECT_EQ(out.deviceType, RY_DEVICE_IPHONE);
    EXPECT_EQ(out.service, nullptr);
    EXPECT_EQ(RY_GetContactID(contact), 0xfedcba9876543210ull);
    EXPECT_EQ(RY_GetContactID(nullptr), 0u);
    RY_ReleaseContact(contact);
}

TEST_F(Contacts, ServiceIsHeldWithTheContactsOwnReference) {
    HSERVICE service = newService();
    HCONTACT contact = newContact(RY_PRESENCE_ONLINE, RY_DEVICE_PC, service);
    EXPECT_EQ(refs(service), 2);

    RY_ContactData same = contactRecord(RY_CONTACT_SERVICE);
    same.service = service;
    RY_SetContactData(contact, &same);
    EXPECT_EQ(refs(service), 2);

    RY_ContactData out = contactRecord();
    RY_GetContactData(contact, &out);
    EXPECT_EQ(out.service, service);
    EXPECT_EQ(refs(service), 2);  // get hands out no reference

    HSERVICE other = newService();
    RY_ContactData moved = contactRecord(RY_CONTACT_SERVICE);
    moved.service = other;
    RY_SetContactData(contact, &moved);
    EXPECT_EQ(refs(service), 1);
    EXPECT_EQ(refs(other), 2);

    RY_ReleaseContact(contact);
    EXPECT_EQ(refs(other), 1);
    RY_ReleaseService(other);
    RY_ReleaseService(service);
}

TEST_F(Contacts, DataMapReferenceIsHandedOverOnSet) {
    HCONTACT contact = newContact();
    HDATAMAP map = RY_CreateDataMap();
    RY_ContactData data = contactRecord(RY_CONTACT_DATA_MAP);
    data.dataMap = map;
    RY_SetContactData(contact, &data);
    EXPECT_EQ(refs(map), 1);  // the caller's reference now belongs to the contact

    RY_SetContactData(contact, &data);  // the same map again: nothing changes
    EXPECT_EQ(refs(map), 1);

    HDATAMAP other = RY_CreateDataMap();
    RY_DuplicateDataMapHandle(map);  // keep the first alive to watch it
    data.dataMap = other;
    RY_SetContactData(contact, &data);
    EXPECT_EQ(refs(map), 1);  // the contact released the old one
    RY_ReleaseDataMap(map);

    RY_DuplicateDataMapHandle(other);
    RY_ReleaseContact(contact);
    EXPECT_EQ(refs(other), 1);
    RY_ReleaseDataMap(other);
}

TEST_F(Contacts, PruningByPresenceRemovesOnlyMatchingMembersFromEveryGroup) {
    HCONTACT stale = newContact(RY_PRESENCE_UNKNOWN);
    HCONTACT fresh = newContact(RY_PRESENCE_ONLINE);
    HGROUP list = RY_GetGroup(0);
    HGROUP chat = RY_GetGroup(42);
    for (HGROUP g : {list, chat}) {
        RY_AddGroupMember(g, stale);
        RY_AddGroupMember(g, fresh);
    }
    EXPECT_EQ(refs(stale), 3);
    CallLog groupEvents;
    HSUBSCRIPTION s = RY_GroupSubscribe(&CallLog::record, chat, &groupEvents);

    RY_PruneContacts(0, nullptr, 1, RY_PRESENCE_UNKNOWN);
    for (HGROUP g : {list, chat}) {
        EXPECT_FALSE(RY_GroupContainsMember(g, stale));
        EXPECT_TRUE(RY_GroupContainsMember(g, fresh));
    }
    EXPECT_EQ(refs(stale), 1);
    EXPECT_EQ(refs(fresh), 3);
    EXPECT_EQ(groupEvents.count(), 1u);

    RY_GroupUnsubscribe(s);
    RY_ReleaseGroup(list);
    RY_ReleaseGroup(chat);
    RY_ReleaseContact(stale);
    RY_ReleaseContact(fresh);
}

TEST_F(Contacts, PruningByServiceAndWithoutFilters) {
    HSERVICE bridged = newService();
    HCONTACT onBridge = newContact(RY_PRESENCE_ONLINE, RY_DEVICE_PC, bridged);
    HCONTACT native = newContact(RY_PRESENCE_ONLINE);
    HGROUP list = RY_GetGroup(0);
    RY_AddGroupMember(list, onBridge);
    RY_AddGroupMember(list, native);

    RY_PruneContacts(1, bridged, 0, 0);
    EXPECT_FALSE(RY_GroupContainsMember(list, onBridge));
    EXPECT_TRUE(RY_GroupContainsMember(list, native));

    RY_PruneContacts(0, nullptr, 0, 0);
    uint32_t count = 0;
    RY_GetGroupMembers(list, nullptr, nullptr, &count);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(refs(native), 1);

    RY_ReleaseGroup(list);
    RY_ReleaseContact(onBridge);
    RY_ReleaseContact(native);
    RY_ReleaseService(bridged);
}
