// The profile, group packets and friend requests against the scripted
// server, mirrored into the api's contacts and groups.
#include "sync_scene.h"

#include "admin_notice.h"
#include "group_sync.h"

#include <set>

using namespace kestrova;
using namespace kestrova::connection;
using namespace kestrova::testing;

namespace {

std::set<uint64_t> groupTable() {
    std::set<uint64_t> ids;
    uint64_t id = 0;
    if (!RY_EnumGroupsBegin(&id)) return ids;
    do ids.insert(id);
    while ((id = RY_EnumGroupsNext(id)) != 0);
    return ids;
}

struct GroupView {
    explicit GroupView(uint64_t id) : group(RY_GetGroup(id)) {
        data.size = sizeof data;
        RY_GetGroupData(group.get(), &data);
    }
    bool has(HCONTACT contact, uint32_t* flags = nullptr) { return RY_GetGroupMember(group.get(), contact, flags); }
    kit::OwnedGroup group;
    RY_GroupData data{};
};

std::string contactList(const wire::DataMapEntries& records) { return encode(records); }

const wire::DataMapEntries kAnn = {{"Username", "ann@example.org"}, {"Nickname", "Ann"}, {"Status", "lunch"},
                                   {"Online-Status", "2"},          {"Device-Type", "3"},  {"contact", "1"},
                                   {"state", "2"},                  {"user_data.loc", "somewhere"}};
const wire::DataMapEntries kBob = {{"Username", "bob@example.org"}, {"contact", "1"}};
// A key the client does not know is ignored, the record is not.
const wire::DataMapEntries kCat = {{"Username", "cat@example.org"}, {"Bridge-Id", "4"}, {"contact", "1"}};

}  // namespace

class Profile : public SyncScene {
protected:
    void updateProfile(const wire::DataMapEntries& profile) {
        serverSends(packetWithBody("SUB PROFILE\n", encode(profile)));
    }
    void groupUpdate(const wire::DataMapEntries& update) {
        serverSends(packetWithBody("GROUP UPDATE\n", encode(update)));
    }
};

TEST_F(Profile, TheLogonProfileFillsContactsAndLaterOnesChangeOnlyWhatTheyName) {
    signInWith({{"contacts", contactList({{"77", encode(kAnn)}, {"78", encode(kBob)}, {"79", encode(kCat)}})}});
    RY_ContactData ann = contactData(contact(77));
    EXPECT_STREQ(ann.name, "ann@example.org");
    EXPECT_STREQ(ann.nickname, "Ann");
    EXPECT_STREQ(ann.statusText, "lunch");
    EXPECT_EQ(ann.presence, 2);
    EXPECT_EQ(ann.deviceType, 3);
    EXPECT_STREQ(RY_GetDataMapString(ann.dataMap, "loc"), "somewhere");
    RY_ContactData bob = contactData(contact(78));
    EXPECT_STREQ(bob.nickname, "bob@example.org") << "no nickname: the user name stands in";
    EXPECT_EQ(bob.presence, 0);
    uint32_t flags = 0;
    EXPECT_TRUE(GroupView(0).has(contact(77), &flags));
    EXPECT_EQ(flags, 2u << 8);
    EXPECT_TRUE(GroupView(0).has(contact(78)));
    EXPECT_STREQ(contactData(contact(79)).nickname, "cat@example.org");
    EXPECT_TRUE(GroupView(0).has(contact(79)));
    EXPECT_EQ(GroupView(0).data.groupState, kGroupCurrent);

    updateProfile({{"contacts", contactList({{"77", encode({{"Status", "back"}, {"user_data.mood", "ok"}})},
                                             {"78", ""}})}});
    ann = contactData(contact(77));
    EXPECT_STREQ(ann.statusText, "back");
    EXPECT_STREQ(ann.nickname, "Ann");
    EXPECT_EQ(ann.presence, 2);
    EXPECT_STREQ(RY_GetDataMapString(ann.dataMap, "loc"), "somewhere") << "the map is added to, not replaced";
    EXPECT_STREQ(RY_GetDataMapString(ann.dataMap, "mood"), "ok");
    EXPECT_TRUE(GroupView(0).has(contact(77), &flags));
    EXPECT_EQ(flags, 2u << 8) << "the list state stays";
    EXPECT_FALSE(GroupView(0).has(contact(78))) << "an empty record takes the contact off the list";
    EXPECT_TRUE(sync_.contacts().contains(78)) << "but the contact object stays";
}

TEST_F(Profile, AfterAReconnectWhatTheServerNoLongerListsIsPrunedAndTheRestRefreshed) {
    wire::DataMapEntries groups = {{"5", encode({{"name", "Team"}, {"desc", "d"}, {"77", encode({{"capabilities", "3"}})}})},
                                   {"9", encode({{"name", "Old"}})}};
    signInWith({{"contacts", contactList({{"77", encode(kAnn)}, {"78", encode(kBob)}})}, {"group_sub", encode(groups)}});
    EXPECT_EQ(groupTable(), (std::set<uint64_t>{0, 5, 9}));
    uint32_t flags = 0;
    EXPECT_TRUE(GroupView(5).has(contact(77), &flags));
    EXPECT_EQ(flags, 3u);
    EXPECT_STREQ(GroupView(5).data.name, "Team");
    EXPECT_EQ(GroupView(5).data.service, sync_.contacts().service());

    reconnect();
    EXPECT_EQ(contactData(contact(77)).presence, RY_PRESENCE_UNKNOWN);
    EXPECT_EQ(GroupView(5).data.groupState, kGroupStale);
    logOn({{"contacts", contactList({{"77", encode({{"Online-Status", "1"}, {"contact", "1"}})}})},
           {"group_sub", encode({{"5", groups.at("5")}})}});
    EXPECT_TRUE(GroupView(0).has(contact(77)));
    EXPECT_FALSE(GroupView(0).has(contact(78))) << "still stale after the logon: pruned";
    EXPECT_EQ(groupTable(), (std::set<uint64_t>{0, 5}));
    RY_ContactData ann = contactData(contact(77));
    EXPECT_EQ(ann.presence, 1);
    EXPECT_STREQ(ann.nickname, "") << "a full record without nickname clears it";
    EXPECT_EQ(RY_GetDataMapString(ann.dataMap, "loc"), nullptr);
    EXPECT_EQ(friendRequests_.drops, 1) << "the session's friend requests went with it";
}

TEST_F(Profile, TheOwnContactExistsFromTheLogonEvenWhenTheServerDoesNotListIt) {
    signInWith({{"Nickname", "Kim"}, {"Status", "at work"}, {"contacts", contactList({{"77", encode(kAnn)}})}});
    ASSERT_TRUE(sync_.contacts().contains(kMyId));
    RY_ContactData own = contactData(contact(kMyId));
    EXPECT_STREQ(own.name, kUser);
    EXPECT_STREQ(own.nickname, "Kim");
    EXPECT_STREQ(own.statusText, "at work");
    EXPECT_EQ(own.presence, RY_PRESENCE_ONLINE) << "the status the logon asked for";
    EXPECT_EQ(own.dataMap, static_cast<HDATAMAP>(bus::get(names::kMyProfileUserData)));

    reconnect();
    EXPECT_EQ(contactData(contact(kMyId)).presence, RY_PRESENCE_UNKNOWN);
    logOn({});
    own = contactData(contact(kMyId));
    EXPECT_EQ(own.presence, RY_PRESENCE_ONLINE) << "refreshed, not left stale";
    EXPECT_STREQ(own.nickname, kUser) << "no nickname in the profile: the name stands in";
}

TEST_F(Profile, GroupUpdatesAddAndRemoveMembersAndTheGroupGoesWhenWeLeave) {
    signInWith({{"group_sub", encode({{"5", encode({{"name", "Team"}, {"78", encode({{"capabilities", "4"}})}})}})}});
    groupUpdate({{"Group-Id", "5"}, {"Type", "0"}, {"Contact-Id", "77"}, {"Name", "Renamed"}});
    EXPECT_TRUE(GroupView(5).has(contact(77)));
    EXPECT_STREQ(GroupView(5).data.name, "Renamed");
    groupUpdate({{"Group-Id", "5"}, {"Type", "1"}, {"Contact-Id", "77"}});
    EXPECT_FALSE(GroupView(5).has(contact(77)));
    groupUpdate({{"Group-Id", "5"}, {"Type", "1"}, {"Contact-Id", "78"}});
    EXPECT_TRUE(GroupView(5).has(contact(78))) << "a member with the staying flag stays";
    groupUpdate({{"Type", "1"}, {"Contact-Id", "78"}});  // no group named: not the contact list's business
    EXPECT_TRUE(GroupView(5).has(contact(78)));
    std::string broken = encode({{"Group-Id", "5"}, {"Type", "1"}, {"Contact-Id", "78"}, {"Name", "Broken"}});
    broken.pop_back();
    serverSends(packetWithBody("GROUP UPDATE\n", broken));
    EXPECT_TRUE(GroupView(5).has(contact(78)));
    EXPECT_STREQ(GroupView(5).data.name, "Renamed") << "a body that is no data map changes nothing";
    groupUpdate({{"Group-Id", "5"}, {"contacts", contactList({{"79", encode({{"Nickname", "Cy"}})}})}});
    EXPECT_STREQ(contactData(contact(79)).nickname, "Cy");
    EXPECT_TRUE(groupTable().count(5));
    groupUpdate({{"Group-Id", "5"}, {"Type", "1"}, {"Contact-Id", std::to_string(kMyId)}});
    EXPECT_FALSE(groupTable().count(5));
}

TEST_F(Profile, AnAdminNoticeSetsTheRightsAndShowsInTheGroup) {
    signInWith({{"contacts", contactList({{"78", encode(kBob)}})}});
    watchMessages();
    serverSends("GROUP ADMIN\ngroup-id: 5\ntarget-id: 78\nsource-id: 77\naction: 258\n\n");
    uint32_t flags = 0;
    EXPECT_TRUE(GroupView(5).has(contact(78), &flags));
    EXPECT_EQ(flags, 258u);
    ASSERT_EQ(events_->fresh.size(), 1u);
    ASSERT_EQ(events_->complete.size(), 1u);
    RY_MessageData notice = messageData(events_->complete[0]);
    EXPECT_STREQ(notice.contentType, "kestrova/x-admin");
    EXPECT_TRUE(notice.isGroup && notice.complete);
    EXPECT_EQ(RY_GetContactID(notice.contact), 77u);
    std::string expected = std::string("\x02\x01\x00\x00", 4) + std::string("\x4e\0\0\0\0\0\0\0", 8) + "bob@example.org";
    EXPECT_EQ(std::string(static_cast<const char*>(notice.data), notice.dataLength), expected);
    EXPECT_EQ(adminNoticeBody(-1, 0x0102030405060708u, ""), std::string("\xff\xff\xff\xff\x08\x07\x06\x05\x04\x03\x02\x01", 12));
    EXPECT_EQ(RY_GetUnreadMessageCount(GroupView(5).group.get(), 1), 1);
}

TEST_F(Profile, FriendRequestsFromListedContactsAreAcceptedAtOnceTheOthersGoToTheList) {
    wire::DataMapEntries requests = {{"77", encode({{"Name", "ann@example.org"}, {"MESG", "hi, it's Ann"}})},
                                     {"78", encode({{"Name", "bob@example.org"}})}};
    signInWith({{"contacts", contactList({{"78", encode(kBob)}})}, {"CONTACT_ADD", encode(requests)}});
    wire::Packet accept = parsePacket(takePacket());
    EXPECT_EQ(accept.command(), "CONTACT ADD RESP");
    EXPECT_EQ(accept.header("Source-Id"), "78");
    EXPECT_EQ(accept.header("Accepted"), "1");
    EXPECT_TRUE(accept.hasHeader("Mesg-Id"));
    ASSERT_EQ(friendRequests_.requests.size(), 1u);
    EXPECT_EQ(friendRequests_.requests[0].id, 77u);
    EXPECT_EQ(friendRequests_.requests[0].text, "hi, it's Ann");
    EXPECT_STREQ(contactData(contact(77)).name, "ann@example.org");
}

TEST_F(Profile, OwnDataMapsAreFilledAndABrokenProfileChangesNothing) {
    std::string acl = encode({{"view", "1"}});
    std::string me = encode({{"Nickname", "Kim"}, {"user_data.mood", "calm"}});
    signInWith({{"user_data", encode({{"loc", "home"}, {"x", "1"}})},
                {"user_acl.contacts", acl},
                {"contacts", contactList({{std::to_string(kMyId), me}})}});
    auto* userData = static_cast<HDATAMAP>(RY_GetVariantPtr("my_profile/user_data"));
    auto* userAcl = static_cast<HDATAMAP>(RY_GetVariantPtr("my_profile/user_acl"));
    EXPECT_STREQ(RY_GetDataMapString(userData, "loc"), "home");
    EXPECT_STREQ(RY_GetDataMapString(userData, "mood"), "calm") << "our own record writes the profile's map";
    EXPECT_EQ(contactData(contact(kMyId)).dataMap, userData);
    updateProfile({{"contacts", contactList({{std::to_string(kMyId), me}})}});  // the same map once more
    EXPECT_EQ(RY_GetHandleReferenceCount(userData), 2) << "the variant's and our contact's";
    const unsigned char* bytes = nullptr;
    uint32_t length = 0;
    ASSERT_TRUE(RY_GetDataMapEntry(userAcl, "contacts", &bytes, &length));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes), length), acl);

    updateProfile({{"user_data.loc", "work"}});
    EXPECT_STREQ(RY_GetDataMapString(userData, "loc"), "work");
    EXPECT_STREQ(RY_GetDataMapString(userData, "x"), "1");

    std::string broken = encode({{"user_data.loc", "nowhere"}});
    broken.pop_back();  // ends inside the entry
    serverSends(packetWithBody("SUB PROFILE\n", broken));
    EXPECT_STREQ(RY_GetDataMapString(userData, "loc"), "work");
    EXPECT_EQ(state(), kStateOnline);
}
