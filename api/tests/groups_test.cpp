#include "object_helpers.h"

namespace {

RY_GroupData groupRecord(uint32_t flags = 0) {
    RY_GroupData data{};
    data.size = sizeof data;
    data.flags = flags;
    return data;
}

std::vector<uint64_t> enumerateGroups() {
    std::vector<uint64_t> ids;
    uint64_t id = 0;
    if (!RY_EnumGroupsBegin(&id)) return ids;
    ids.push_back(id);
    while ((id = RY_EnumGroupsNext(id)) != 0) ids.push_back(id);
    return ids;
}

}  // namespace

using Groups = CoreTest;

TEST_F(Groups, TheTableHoldsOneReferenceAndEachCallerOneMore) {
    HGROUP first = RY_GetGroup(7);
    EXPECT_EQ(refs(first), 2);
    HGROUP second = RY_GetGroup(7);
    EXPECT_EQ(second, first);
    EXPECT_EQ(refs(first), 3);
    EXPECT_EQ(RY_GetGroupID(first), 7u);
    RY_ReleaseGroup(first);
    RY_ReleaseGroup(second);
}

TEST_F(Groups, DeletingLeavesHoldersTheirGroupAndTheTableANewOne) {
    CallLog changed;
    HSUBSCRIPTION s = RY_EventSubscribe(&CallLog::record, kestrova::names::kGroupsChanged.name, &changed);
    HGROUP old = RY_GetGroup(7);
    HCONTACT member = newContact();
    RY_AddGroupMember(old, member);

    RY_DeleteGroup(7);
    EXPECT_EQ(changed.count(), 1u);
    EXPECT_EQ(refs(old), 1);
    EXPECT_TRUE(RY_GroupContainsMember(old, member));
    RY_DeleteGroup(7);  // no longer in the table: nothing happens
    EXPECT_EQ(changed.count(), 1u);

    HGROUP fresh = RY_GetGroup(7);
    EXPECT_NE(fresh, old);
    EXPECT_FALSE(RY_GroupContainsMember(fresh, member));

    RY_ReleaseGroup(old);
    EXPECT_EQ(refs(member), 1);
    RY_ReleaseGroup(fresh);
    RY_ReleaseContact(member);
    RY_EventUnsubscribe(s);
}

TEST_F(Groups, CreatedGroupsStayOutOfTheTable) {
    RY_GroupData data = groupRecord(RY_GROUP_ID | RY_GROUP_NAME);
    data.groupId = 12;
    data.name = "Group Chat";
    HGROUP group = RY_CreateGroup(&data);
    EXPECT_EQ(refs(group), 1);
    EXPECT_TRUE(enumerateGroups().empty());
    RY_ReleaseGroup(group);
}

TEST_F(Groups, DataReadsBackAndEverySetNotifiesWithTheGroup) {
    HSERVICE service = newService();
    HGROUP group = RY_GetGroup(3);
    CallLog subscriber;
    HSUBSCRIPTION s = RY_GroupSubscribe(&CallLog::record, group, &subscriber);

    RY_GroupData data = groupRecord(RY_GROUP_NAME | RY_GROUP_STATE | RY_GROUP_SERVICE | RY_GROUP_DESCRIPTION);
    data.name = "Climbers";
    data.groupState = 4;
    data.service = service;
    data.description = nullptr;
    RY_SetGroupData(group, &data);
    RY_GroupData nothing = groupRecord(0);
    RY_SetGroupData(group, &nothing);
    EXPECT_EQ(subscriber.data, (std::vector<void*>{group, group}));
    EXPECT_EQ(refs(service), 2);

    RY_GroupData out = groupRecord();
    RY_GetGroupData(group, &out);
    EXPECT_STREQ(out.name, "Climbers");
    EXPECT_STREQ(out.description, "");
    EXPECT_EQ(out.groupState, 4);
    EXPECT_EQ(out.groupId, 3u);
    EXPECT_EQ(out.service, service);

    RY_GroupUnsubscribe(s);
    RY_ReleaseGroup(group);
    RY_DeleteGroup(3);
    EXPECT_EQ(refs(service), 1);
    RY_ReleaseService(service);
}

TEST_F(Groups, MembersHoldOneContactReferenceWhateverTheirFlags) {
    HGROUP group = RY_GetGroup(1);
    HCONTACT contact = newContact();
    const uint32_t four = 4, six = 6;
    RY_SetGroupMember(group, contact, &four);
    EXPECT_EQ(refs(contact), 2);
    RY_SetGroupMember(group, contact, &six);
    EXPECT_EQ(refs(contact), 2);
    uint32_t flags = 0;
    EXPECT_EQ(RY_GetGroupMember(group, contact, &flags), 1);
    EXPECT_EQ(flags, 6u);

    RY_AddGroupMember(group, contact);  // resets the flags
    EXPECT_EQ(RY_GetGroupMember(group, contact, &flags), 1);
    EXPECT_EQ(flags, 0u);
    EXPECT_EQ(refs(contact), 2);

    RY_RemoveGroupMember(group, contact);
    EXPECT_EQ(refs(contact), 1);
    flags = 99;
    EXPECT_EQ(RY_GetGroupMember(group, contact, &flags), 0);
    EXPECT_EQ(flags, 99u);
    RY_ReleaseGroup(group);
    RY_ReleaseContact(contact);
}

TEST_F(Groups, MembershipChangesNotifyWithNullDataEvenWhenNothingChanged) {
    HGROUP group = RY_GetGroup(1);
    HCONTACT outsider = newContact();
    CallLog subscriber;
    HSUBSCRIPTION s = RY_GroupSubscribe(&CallLog::record, group, &subscriber);
    RY_RemoveGroupMember(group, outsider);
    EXPECT_EQ(refs(outsider), 1);
    RY_AddGroupMember(group, outsider);
    RY_RemoveAllGroupMembers(group);
    EXPECT_EQ(subscriber.data, (std::vector<void*>{nullptr, nullptr, nullptr}));
    EXPECT_EQ(refs(outsider), 1);
    RY_GroupUnsubscribe(s);
    RY_ReleaseGroup(group);
    RY_ReleaseContact(outsider);
}

TEST_F(Groups, MemberListAnswersASizeQueryAndFillsUpToTheCapacityInHandleOrder) {
    HGROUP group = RY_GetGroup(1);
    std::vector<HCONTACT> contacts = {newContact(), newContact(), newContact()};
    for (size_t k = 0; k < contacts.size(); ++k) {
        const uint32_t flags = uint32_t(k + 10);
        RY_SetGroupMember(group, contacts[k], &flags);
    }
    uint32_t count = 0;
    RY_GetGroupMembers(group, nullptr, nullptr, &count);
    EXPECT_EQ(count, 3u);

    std::vector<HCONTACT> listed(2);
    std::vector<uint32_t> flags(2);
    count = 2;
    RY_GetGroupMembers(group, listed.data(), flags.data(), &count);
    EXPECT_EQ(count, 2u);
    std::vector<HCONTACT> sorted = contacts;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(listed[0], sorted[0]);
    EXPECT_EQ(listed[1], sorted[1]);
    for (size_t k = 0; k < 2; ++k) {
        const size_t created = size_t(std::find(contacts.begin(), contacts.end(), listed[k]) - contacts.begin());
        EXPECT_EQ(flags[k], created + 10);
    }
    EXPECT_EQ(refs(contacts[0]), 2);  // listing hands out no references
    RY_ReleaseGroup(group);
    RY_DeleteGroup(1);
    for (HCONTACT c : contacts) {
        EXPECT_EQ(refs(c), 1);
        RY_ReleaseContact(c);
    }
}

TEST_F(Groups, LastReleaseReleasesMembersAndNotifiesOnceBeforeDetaching) {
    RY_GroupData data = groupRecord();
    HGROUP group = RY_CreateGroup(&data);
    HCONTACT a = newContact(), b = newContact();
    RY_AddGroupMember(group, a);
    RY_AddGroupMember(group, b);
    CallLog subscriber;
    HSUBSCRIPTION s = RY_GroupSubscribe(&CallLog::record, group, &subscriber);
    RY_ReleaseGroup(group);
    EXPECT_EQ(subscriber.data, (std::vector<void*>{nullptr}));
    EXPECT_EQ(refs(a), 1);
    EXPECT_EQ(refs(b), 1);
    RY_GroupUnsubscribe(s);  // detached: frees without touching the group
    RY_ReleaseContact(a);
    RY_ReleaseContact(b);
}

TEST_F(Groups, EnumerationWalksIdentifiersInOrderAndStopsOnUnknownOnes) {
    for (uint64_t id : {9, 0, 5}) RY_ReleaseGroup(RY_GetGroup(id));
    EXPECT_EQ(enumerateGroups(), (std::vector<uint64_t>{0, 5, 9}));
    EXPECT_EQ(RY_EnumGroupsNext(6), 0u);
}

TEST_F(Groups, CleanUpReleasesTheTablesGroupsAndTheirMembers) {
    HCONTACT member = newContact();
    HGROUP group = RY_GetGroup(8);
    RY_AddGroupMember(group, member);
    RY_ReleaseGroup(group);
    RY_API_Cleanup();
    EXPECT_EQ(refs(member), 1);
    RY_ReleaseContact(member);
}
