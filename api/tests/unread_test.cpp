#include "object_helpers.h"

namespace {

std::vector<HMESSAGE> takeUnread(void* conversation, bool isGroup, uint32_t capacity, bool remove = true) {
    std::vector<HMESSAGE> messages(capacity);
    uint32_t count = capacity;
    RY_GetUnreadMessageHandles(conversation, isGroup, messages.data(), &count, remove);
    messages.resize(count);
    return messages;
}

template <class H>
std::vector<H> listed(void (*list)(H*, uint32_t*), uint32_t capacity = 8) {
    std::vector<H> handles(capacity);
    uint32_t count = capacity;
    list(handles.data(), &count);
    handles.resize(count);
    return handles;
}

// Two messages from one contact and one in a group, all listed as unread.
struct UnreadScenario {
    HCONTACT ann = newContact();
    HCONTACT bob = newContact();
    HGROUP group = RY_GetGroup(5);
    HMESSAGE fromAnn1 = incomingMessage(ann);
    HMESSAGE fromAnn2 = incomingMessage(ann);
    HMESSAGE inGroup = incomingMessage(bob, group, true);

    UnreadScenario() {
        for (HMESSAGE m : {fromAnn1, fromAnn2, inGroup}) RY_UnreadMessageAdd(m);
    }
    ~UnreadScenario() {
        for (HMESSAGE m : {fromAnn1, fromAnn2, inGroup}) RY_ReleaseMessage(m);
        RY_ReleaseGroup(group);
        RY_ReleaseContact(ann);
        RY_ReleaseContact(bob);
    }
};

}  // namespace

using Unread = CoreTest;

TEST_F(Unread, MessagesAreListedUnderSenderOrGroupAndTotalled) {
    UnreadScenario s;
    EXPECT_EQ(RY_GetVariantLong(kestrova::names::kMessagesUnread.name), 3);
    EXPECT_EQ(listed(&RY_GetUnreadContacts), (std::vector<HCONTACT>{s.ann}));
    EXPECT_EQ(listed(&RY_GetUnreadGroups), (std::vector<HGROUP>{s.group}));
    EXPECT_EQ(RY_GetUnreadMessageCount(s.ann, 0), 2);
    EXPECT_EQ(RY_GetUnreadMessageCount(s.group, 1), 1);
    EXPECT_EQ(RY_GetUnreadMessageCount(s.bob, 0), 0);
    EXPECT_EQ(RY_GetUnreadMessageCount(s.group, 0), 0);
    EXPECT_EQ(refs(s.fromAnn1), 2);
}

TEST_F(Unread, TakingMessagesHandsOverTheirReferences) {
    UnreadScenario s;
    const auto taken = takeUnread(s.ann, false, 2);
    EXPECT_EQ(taken, (std::vector<HMESSAGE>{s.fromAnn1, s.fromAnn2}));
    EXPECT_EQ(RY_GetVariantLong(kestrova::names::kMessagesUnread.name), 1);
    EXPECT_EQ(RY_GetUnreadMessageCount(s.ann, 0), 0);
    EXPECT_TRUE(listed(&RY_GetUnreadContacts).empty());
    EXPECT_EQ(refs(s.fromAnn1), 2);  // now the caller's
    for (HMESSAGE m : taken) RY_ReleaseMessage(m);
    EXPECT_EQ(refs(s.fromAnn1), 1);
}

TEST_F(Unread, PeekingLeavesTheListAndItsReferences) {
    UnreadScenario s;
    EXPECT_EQ(takeUnread(s.group, true, 4, false), (std::vector<HMESSAGE>{s.inGroup}));
    EXPECT_EQ(RY_GetUnreadMessageCount(s.group, 1), 1);
    EXPECT_EQ(refs(s.inGroup), 2);
    EXPECT_EQ(RY_GetVariantLong(kestrova::names::kMessagesUnread.name), 3);
}

TEST_F(Unread, TakingFewerThanListedKeepsTheRestListed) {
    UnreadScenario s;
    const auto taken = takeUnread(s.ann, false, 1);
    EXPECT_EQ(taken, (std::vector<HMESSAGE>{s.fromAnn1}));
    EXPECT_EQ(RY_GetUnreadMessageCount(s.ann, 0), 1);
    EXPECT_EQ(RY_GetVariantLong(kestrova::names::kMessagesUnread.name), 2);
    EXPECT_EQ(takeUnread(s.ann, false, 5), (std::vector<HMESSAGE>{s.fromAnn2}));
    EXPECT_EQ(refs(s.fromAnn2), 2);
    RY_ReleaseMessage(taken[0]);
    RY_ReleaseMessage(s.fromAnn2);
    EXPECT_EQ(RY_GetVariantLong(kestrova::names::kMessagesUnread.name), 1);
}

TEST_F(Unread, AddingAListedMessageAgainChangesNothing) {
    UnreadScenario s;
    RY_UnreadMessageAdd(s.fromAnn1);
    EXPECT_EQ(refs(s.fromAnn1), 2);
    EXPECT_EQ(RY_GetUnreadMessageCount(s.ann, 0), 2);
    EXPECT_EQ(RY_GetVariantLong(kestrova::names::kMessagesUnread.name), 3);
}

TEST_F(Unread, TotalSubscribersHearEachChange) {
    CallLog total;
    HSUBSCRIPTION sub = RY_VariantSubscribe(&CallLog::record, kestrova::names::kMessagesUnread.name, &total);
    {
        UnreadScenario s;
        EXPECT_EQ(total.count(), 3u);
        for (HMESSAGE m : takeUnread(s.group, true, 1)) RY_ReleaseMessage(m);
        EXPECT_EQ(total.count(), 4u);
    }
    RY_VariantUnsubscribe(sub);
}

TEST_F(Unread, ZeroCapacityAndUnknownConversationsWriteNothing) {
    UnreadScenario s;
    HGROUP untouched[1] = {nullptr};
    uint32_t count = 0;
    RY_GetUnreadGroups(untouched, &count);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(untouched[0], nullptr);
    EXPECT_TRUE(takeUnread(s.bob, false, 4).empty());
    EXPECT_TRUE(takeUnread(s.ann, false, 0).empty());
    EXPECT_EQ(RY_GetUnreadMessageCount(s.ann, 0), 2);  // nothing was handed over, nothing dropped
}

TEST_F(Unread, CleanUpReleasesListedMessages) {
    HCONTACT ann = newContact();
    HMESSAGE message = incomingMessage(ann);
    RY_UnreadMessageAdd(message);
    RY_API_Cleanup();
    EXPECT_EQ(refs(message), 1);
    RY_ReleaseMessage(message);
    EXPECT_EQ(refs(ann), 1);
    RY_ReleaseContact(ann);
}
