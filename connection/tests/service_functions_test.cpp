// The "Service/%p/" functions: the packets they write, byte for byte, and
// what the answers do.
#include "service_scene.h"

#include "kestrova/kit/settings.h"

using namespace kestrova;
using namespace kestrova::connection;
using kestrova::testing::Answers;
using kestrova::testing::ServiceScene;

namespace {

HGROUP tableGroup(uint64_t id) { return RY_GetGroup(id); }

int32_t groupState(HGROUP group) {
    RY_GroupData data{};
    data.size = sizeof data;
    RY_GetGroupData(group, &data);
    return data.groupState;
}

bool groupInTable(uint64_t id) {
    uint64_t at = 0;
    for (int32_t more = RY_EnumGroupsBegin(&at); more && at; at = RY_EnumGroupsNext(at))
        if (at == id) return true;
    return false;
}

}  // namespace

class ServiceFunctionsTest : public ServiceScene {};

TEST_F(ServiceFunctionsTest, AddContactSendsAnAccountNumberAsTargetIdAndAnythingElseAsName) {
    goOnline();
    Answers& answers = answers_;
    RY_AddContactArgs byNumber{sizeof(RY_AddContactArgs), "12345", "hello", &Answers::record, &answers};
    EXPECT_EQ(callService(names::kServiceAddContact, &byNumber), 1);
    std::string id;
    EXPECT_EQ(takeMasked(&id), "CONTACT ADD\ncontent-length: 5\nmesg-id: #\ntarget-id: 12345\n\nhello");
    RY_AddContactArgs byName{sizeof(RY_AddContactArgs), "ann@example.org", "", &Answers::record, &answers};
    callService(names::kServiceAddContact, &byName);
    EXPECT_EQ(takeMasked(), "CONTACT ADD\nmesg-id: #\nname: ann@example.org\n\n");

    serverSends("RESPONSE\ncontent-length: 8\nmesg-id: " + id + "\n\n" + std::string("\0\0\0\1\0\0\0\2", 8));
    ASSERT_EQ(answers.got.size(), 1u);
    EXPECT_EQ(answers.got[0].code, 4294967298);
    EXPECT_EQ(answers.got[0].high, 1u);
    EXPECT_EQ(connection_->pending().size(), 1u) << "the answered request is finished, the other waits";

    RY_AddContactArgs empty{sizeof(RY_AddContactArgs), "", "x", &Answers::record, &answers};
    EXPECT_EQ(callService(names::kServiceAddContact, &empty), 0);
    EXPECT_TRUE(serverHeardNothing());
}

TEST_F(ServiceFunctionsTest, GroupRequestsCarryTheirFixedHeaders) {
    goOnline();
    Answers& answers = answers_;
    RY_CreateGroupArgs create{sizeof(RY_CreateGroupArgs), "Team", &Answers::record, &answers};
    callService(names::kServiceCreateGroup, &create);
    std::string createId;
    EXPECT_EQ(takeMasked(&createId), "GROUP CREATE\ncontent-length: 0\ndesc: Chat group\nmesg-id: #\nname: Team\n\n");
    RY_GroupSubscribeArgs join{sizeof(RY_GroupSubscribeArgs), "chess", "rook", &Answers::record, &answers};
    callService(names::kServiceGroupSubscribe, &join);
    EXPECT_EQ(takeMasked(), "GROUP SUBSCRIBE\ncontent-length: 4\nmesg-id: #\nname: chess\n\nrook");

    HCONTACT member = contacts_->add(12, "bo@example.org");
    HGROUP group = tableGroup(77);
    RY_AdminContactArgs admin{member, group, 3};
    callService(names::kServiceAdminContact, &admin);
    EXPECT_EQ(takeMasked(), "GROUP ADMIN\naction: 3\ngroup-id: 77\nmesg-id: #\ntarget-id: 12\n\n");
    EXPECT_EQ(connection_->pending().size(), 2u) << "an admin change waits for no answer";

    respond(createId, 0);
    ASSERT_EQ(answers.got.size(), 1u);
    EXPECT_EQ(answers.got[0].code, 0);
    RY_ReleaseGroup(group);
}

TEST_F(ServiceFunctionsTest, TextsThatWouldBreakAHeaderLineAreRefusedBeforeAnythingIsSent) {
    goOnline();
    Answers& answers = answers_;
    RY_AddContactArgs add{sizeof(RY_AddContactArgs), "ann\nSETTING: x", "hi", &Answers::record, &answers};
    RY_GroupSubscribeArgs join{sizeof(RY_GroupSubscribeArgs), "chess\r", "rook", &Answers::record, &answers};
    RY_CreateGroupArgs create{sizeof(RY_CreateGroupArgs), "Team\n\nMESG", &Answers::record, &answers};
    EXPECT_EQ(callService(names::kServiceAddContact, &add), 0);
    EXPECT_EQ(callService(names::kServiceGroupSubscribe, &join), 0);
    EXPECT_EQ(callService(names::kServiceCreateGroup, &create), 0);
    EXPECT_TRUE(serverHeardNothing());
    EXPECT_TRUE(answers.got.empty()) << "refused by the result, not answered later";
    EXPECT_EQ(connection_->pending().size(), 0u);
}

TEST_F(ServiceFunctionsTest, OfflineRequestsAreAnsweredWithCode100AndNothingIsSent) {
    startOffline();
    Answers& answers = answers_;
    RY_AddContactArgs add{sizeof(RY_AddContactArgs), "12345", "hi", &Answers::record, &answers};
    RY_GroupSubscribeArgs join{sizeof(RY_GroupSubscribeArgs), "chess", nullptr, &Answers::record, &answers};
    RY_CreateGroupArgs create{sizeof(RY_CreateGroupArgs), "Team", &Answers::record, &answers};
    EXPECT_EQ(callService(names::kServiceAddContact, &add), 1);
    EXPECT_EQ(callService(names::kServiceGroupSubscribe, &join), 1);
    EXPECT_EQ(callService(names::kServiceCreateGroup, &create), 1);
    ASSERT_EQ(answers.got.size(), 3u);
    for (const auto& answer : answers.got) EXPECT_EQ(answer.code, 100);
    EXPECT_EQ(peer_.connectionsAccepted(), 0);
}

TEST_F(ServiceFunctionsTest, DeleteContactTakesItOffTheListOnlyOnSuccess) {
    goOnline();
    HCONTACT ann = contacts_->add(21, "ann@example.org");
    HGROUP contactList = tableGroup(0);
    RY_AddGroupMember(contactList, ann);
    callService(names::kServiceDeleteContact, &ann);
    std::string id;
    EXPECT_EQ(takeMasked(&id), "CONTACT UPDATE\ncontact-id: 21\nmesg-id: #\nremove: 1\n\n");
    respond(id, 5);
    EXPECT_TRUE(RY_GroupContainsMember(contactList, ann));
    callService(names::kServiceDeleteContact, &ann);
    takeMasked(&id);
    respond(id, 0);
    EXPECT_FALSE(RY_GroupContainsMember(contactList, ann));
    RY_ReleaseGroup(contactList);
}

TEST_F(ServiceFunctionsTest, LeavingMarksTheGroupAtOnceAndDeletesItOnSuccess) {
    goOnline();
    HGROUP group = tableGroup(88);
    callService(names::kServiceLeaveGroup, group);
    std::string id;
    EXPECT_EQ(takeMasked(&id), "GROUP UNSUB\ngroup-id: 88\nmesg-id: #\n\n");
    EXPECT_EQ(groupState(group), 1);
    respond(id, 9);
    EXPECT_TRUE(groupInTable(88));
    EXPECT_EQ(groupState(group), 0) << "a refused leave does not stay marked as being left";

    callService(names::kServiceLeaveGroup, group);
    takeMasked(&id);
    respond(id, 0);
    EXPECT_FALSE(groupInTable(88));
    RY_ReleaseGroup(group);
}

TEST_F(ServiceFunctionsTest, ContactHandlesComeFromTheContactMapWithAReference) {
    startAndTakeLogon();
    startServices();
    HCONTACT own = contacts_->add(kOwnId, "kim@example.org");
    EXPECT_EQ(callService(names::kServiceGetMyHandle), nullptr) << "no own contact before the first logon";
    acceptWithResumeKey(authenticateEncrypted(), "rk");
    ASSERT_TRUE(until([&] { return state() == kStateOnline; }));
    HCONTACT bo = contacts_->add(12, "bo@example.org");

    HCONTACT mine = callService(names::kServiceGetMyHandle);
    EXPECT_EQ(mine, own);
    EXPECT_EQ(RY_GetHandleReferenceCount(own), 2);
    RY_ReleaseContact(mine);

    RY_GetContactHandleArgs known{12, nullptr};
    EXPECT_EQ(callService(names::kServiceGetContactHandle, &known), 1);
    EXPECT_EQ(known.contact, bo);
    EXPECT_EQ(RY_GetHandleReferenceCount(bo), 2);
    RY_ReleaseContact(known.contact);
    RY_GetContactHandleArgs unknown{13, nullptr};
    EXPECT_EQ(callService(names::kServiceGetContactHandle, &unknown), 1);
    EXPECT_EQ(unknown.contact, nullptr);
    EXPECT_TRUE(serverHeardNothing());
}

class PresenceStatus : public ServiceScene {
protected:
    intptr_t setStatus(int32_t status) {
        RY_PresenceStatusArgs args{status};
        return callService(names::kServiceSetPresenceStatus, &args);
    }
};

TEST_F(PresenceStatus, OnlineTheOwnContactChangesAndTheServerIsTold) {
    goOnline();
    HCONTACT own = contacts_->add(kOwnId, "kim@example.org");
    EXPECT_EQ(setStatus(RY_PRESENCE_BUSY), 1);
    EXPECT_EQ(takeMasked(), "CONTACT DETAIL\nmesg-id: #\nonline-status: 5\n\n");
    RY_ContactData data{};
    data.size = sizeof data;
    RY_GetContactData(own, &data);
    EXPECT_EQ(data.presence, RY_PRESENCE_BUSY);
    EXPECT_EQ(account().desiredStatus, RY_PRESENCE_BUSY);
}

TEST_F(PresenceStatus, AStatusTheServerCouldNotBeToldIsNotShownAsTaken) {
    goOnline();
    HCONTACT own = contacts_->add(kOwnId, "kim@example.org");
    ASSERT_TRUE(peer_.shutClientSending());
    EXPECT_EQ(setStatus(RY_PRESENCE_BUSY), 0);
    RY_ContactData data{};
    data.size = sizeof data;
    RY_GetContactData(own, &data);
    EXPECT_NE(data.presence, RY_PRESENCE_BUSY);
    EXPECT_EQ(account().desiredStatus, RY_PRESENCE_BUSY) << "the next sign-in asks for it";
    EXPECT_EQ(state(), kStateReconnectWait);
}

TEST_F(PresenceStatus, OfflineWithCredentialsSignsInWithTheNewStatus) {
    kit::writeSetting(settings::kAutoSignIn, 0);
    storeCredentials();
    startOffline();
    ASSERT_EQ(state(), kStateOffline);
    EXPECT_EQ(setStatus(RY_PRESENCE_AWAY), 1);
    EXPECT_EQ(takePacket().substr(0, 6), "LOGON\n");
    ASSERT_TRUE(peer_.send("AUTH\nencryption-type: 0\n\n"));
    EXPECT_EQ(takePacket(),
              "AUTH\ncontent-length: 6\nencryption-type: 0\nname: kim@example.org\nonline-status: 2\n\ns3cret");
}

TEST_F(PresenceStatus, OfflineWithoutCredentialsAsksForTheSignInAndKeepsTheRecord) {
    startOffline();
    EXPECT_EQ(setStatus(RY_PRESENCE_ONLINE), 0);
    EXPECT_EQ(screens_.signInShown, 1);
    EXPECT_EQ(account().desiredStatus, RY_PRESENCE_OFFLINE);
    EXPECT_EQ(state(), kStateOffline);
}

TEST_F(PresenceStatus, GoingOfflineSaysByeAndStaysOffline) {
    goOnline();
    EXPECT_EQ(setStatus(RY_PRESENCE_OFFLINE), 1);
    EXPECT_EQ(takePacket().substr(0, 4), "BYE\n");
    EXPECT_EQ(state(), kStateOffline);
    EXPECT_EQ(account().desiredStatus, RY_PRESENCE_OFFLINE);
    advance(60);
    EXPECT_EQ(peer_.connectionsAccepted(), 1) << "no reconnect";
}

TEST_F(PresenceStatus, WhileSigningInOnlyTheDesiredStatusChanges) {
    startAndTakeLogon();
    startServices();
    EXPECT_EQ(setStatus(RY_PRESENCE_INVISIBLE), 1);
    EXPECT_EQ(setStatus(RY_PRESENCE_UNKNOWN), 0) << "not a status one can ask for";
    EXPECT_EQ(account().desiredStatus, RY_PRESENCE_INVISIBLE);
    EXPECT_EQ(state(), kStateLogonSent);
    EXPECT_TRUE(serverHeardNothing());
}

TEST_F(ServiceFunctionsTest, SetIdentityOfflineDoesNothing) {
    startOffline();
    RY_IdentityArgs both{"Kim K", "walking"};
    EXPECT_EQ(bus::call(names::kConnectionSetIdentity, &both), 0);
    EXPECT_TRUE(serverHeardNothing());
    EXPECT_EQ(account().nickname, "");
}

TEST_F(ServiceFunctionsTest, SetIdentityTellsTheServerAndKeepsTheTexts) {
    goOnline();
    RY_IdentityArgs both{"Kim K", "walking"};
    HCONTACT own = contacts_->add(kOwnId, "kim@example.org");
    EXPECT_EQ(bus::call(names::kConnectionSetIdentity, &both), 1);
    EXPECT_EQ(takeMasked(), "CONTACT DETAIL\nmesg-id: #\nnickname: Kim K\nstatus: walking\n\n");
    EXPECT_EQ(account().nickname, "Kim K");
    EXPECT_EQ(account().statusText, "walking");
    RY_ContactData data{};
    data.size = sizeof data;
    RY_GetContactData(own, &data);
    EXPECT_STREQ(data.nickname, "Kim K");
    EXPECT_STREQ(data.statusText, "walking");

    RY_IdentityArgs statusOnly{nullptr, "home"};
    EXPECT_EQ(bus::call(names::kConnectionSetIdentity, &statusOnly), 1);
    EXPECT_EQ(takeMasked(), "CONTACT DETAIL\nmesg-id: #\nstatus: home\n\n");
    EXPECT_EQ(account().nickname, "Kim K");

    RY_IdentityArgs broken{"Kim\r\nonline-status: 0", nullptr};
    EXPECT_EQ(bus::call(names::kConnectionSetIdentity, &broken), 0) << "a line break never reaches a header";
    EXPECT_TRUE(serverHeardNothing());
    EXPECT_EQ(account().nickname, "Kim K");
}
