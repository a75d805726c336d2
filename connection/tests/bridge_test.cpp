// Bridges against the scripted server: the networks and their registration
// with its sealed fields, the profile's bridges switching on, presence and
// disconnect reasons, bridged contacts, friend requests, chat rooms and
// messages both ways, removing an account, and the end of the session.
#include "bridge_scene.h"

#include "bridging/disconnect_reason.h"
#include "bridging/registration.h"

#include "kestrova/platform/menu.h"
#include "kestrova/platform/message_box.h"

#include <cstring>

using namespace kestrova;
using namespace kestrova::connection;
using namespace kestrova::testing;

namespace {

RY_ServiceTypeRegistration form(HSERVICETYPE type, const std::vector<std::pair<std::string, std::string>>& fields) {
    RY_ServiceTypeRegistration record{};
    record.serviceType = type;
    record.fieldCount = static_cast<int32_t>(fields.size());
    for (size_t i = 0; i < fields.size(); ++i) {
        std::strncpy(record.fields[i].key, fields[i].first.c_str(), sizeof record.fields[i].key - 1);
        std::strncpy(record.fields[i].value, fields[i].second.c_str(), sizeof record.fields[i].value - 1);
    }
    return record;
}

std::string typeName(HSERVICETYPE type) {
    RY_ServiceTypeData data{};
    data.size = sizeof data;
    RY_GetServiceTypeData(type, &data);
    return std::string(data.shortName) + "|" + data.displayName + "|" + std::to_string(data.networkType) + "|" +
           std::to_string(data.iconResource);
}

bool inContactList(HCONTACT contact) {
    kit::OwnedGroup list(RY_GetGroup(0));
    return RY_GroupContainsMember(list.get(), contact) != 0;
}

uint32_t listFlags(HCONTACT contact) {
    kit::OwnedGroup list(RY_GetGroup(0));
    uint32_t flags = 0;
    RY_GetGroupMember(list.get(), contact, &flags);
    return flags;
}

std::string bridgedList(const wire::DataMapEntries& contacts) {
    return encode({{"7", encode({{"contacts", encode(contacts)}})}});
}

std::string contactRecord(const std::string& user, const std::string& nickname, const std::string& online,
                          const std::string& state = "0") {
    return encode({{"Nickname", nickname},
                   {"Online-Status", online},
                   {"Status", online == "0" ? "" : "around"},
                   {"Username", user},
                   {"state", state}});
}

// Counts "services.changed".
struct ServiceEvents {
    ServiceEvents() : subscription(kit::subscribe(names::kServicesChanged, [this] { ++raised; })) {}
    int raised = 0;
    kit::Subscription subscription;
};

}  // namespace

class Bridges : public BridgeScene {};

TEST_F(Bridges, EveryNetworkIsAServiceTypeWithItsIconAndARegistrationFunction) {
    start();
    HSERVICETYPE types[16];
    uint32_t count = 16;
    RY_GetServiceTypes(types, &count);
    std::vector<std::string> rows;
    for (uint32_t i = 0; i < count; ++i) {
        rows.push_back(typeName(types[i]));
        EXPECT_TRUE(bus::provided(names::kServiceTypeRegister, types[i]));
    }
    EXPECT_EQ(rows, (std::vector<std::string>{
                        "MSN|Windows Live Messenger|1|103", "Yahoo|Yahoo! Messenger|2|107",
                        "AIM|AOL Instant Messenger|3|106", "GG|Gadu-Gadu|4|104", "ICQ|AOL ICQ|5|105",
                        "XMPP|XMPP / Jabber|6|108", "GTalk|Google Talk|6|108", "iChat|iChat|3|106"}));
    EXPECT_EQ(typeName(manager_->networks().typeFor(6)), "XMPP|XMPP / Jabber|6|108");
    EXPECT_EQ(typeName(manager_->networks().typeFor(3)), "AIM|AOL Instant Messenger|3|106");

    HSERVICETYPE first = types[0];
    manager_.reset();
    count = 16;
    RY_GetServiceTypes(types, &count);
    EXPECT_EQ(count, 0u) << "the types go with the plug-in's bridges";
    EXPECT_FALSE(bus::provided(names::kServiceTypeRegister, first));
}

TEST_F(Bridges, RegisteringSendsTheNetworkThenTheFieldsSealedUnderAFreshIvFromTheSameRequest) {
    std::string k2 = signInEncrypted();
    HSERVICETYPE xmpp = manager_->networks().typeFor(6);
    RY_ServiceTypeRegistration record =
        form(xmpp, {{"Username", "alice@localhost"}, {"Password", "wonder land"}, {"Server", "127.0.0.1"}});
    EXPECT_EQ(bus::call(names::kServiceTypeRegister, xmpp, &record), 1);
    std::string id;
    EXPECT_EQ(takeMasked(&id), "BRIDGE REGISTER\nbridge-type: 6\nmesg-id: #\n\n");
    EXPECT_EQ(id, std::to_string(record.requestId)) << "the request id is written into the caller's record";
    std::memset(&record, 0, sizeof record);  // the caller's record is gone once the call returns
    respondTo(id, 0);

    wire::Packet fields = parsePacket(takePacket());
    EXPECT_EQ(fields.command(), "BRIDGE REGISTER FIELDS");
    EXPECT_EQ(fields.header("mesg-id"), id);
    EXPECT_EQ(fields.header("iv"), "8");
    ASSERT_GT(fields.body().size(), 8u);
    std::string iv = fields.body().substr(0, 8);
    std::string plain = salsaBytes(k2, iv, fields.body().substr(8));
    EXPECT_EQ(plain, encode({{"Password", "wonder land"}, {"Server", "127.0.0.1"}, {"Username", "alice@localhost"}}));
    respondTo(id, 0);
    EXPECT_TRUE(alerts_.shown.empty());

    RY_ServiceTypeRegistration again = form(xmpp, {{"Username", "alice@localhost"}, {"Password", "wonder land"}});
    bus::call(names::kServiceTypeRegister, xmpp, &again);
    takeMasked(&id);
    respondTo(id, 0);
    EXPECT_NE(parsePacket(takePacket()).body().substr(0, 8), iv) << "every registration has an IV of its own";
}

TEST_F(Bridges, ARefusedRegistrationSendsNoFieldsAndSaysWhy) {
    signInEncrypted();
    HSERVICETYPE msn = manager_->networks().typeFor(1);
    RY_ServiceTypeRegistration record = form(msn, {{"Username", "x"}, {"Password", "y"}});
    bus::call(names::kServiceTypeRegister, msn, &record);
    std::string id;
    EXPECT_EQ(takeMasked(&id), "BRIDGE REGISTER\nbridge-type: 1\nmesg-id: #\n\n");
    respondTo(id, 18);
    EXPECT_TRUE(serverHeardNothing()) << "no fields after a refusal";
    ASSERT_EQ(alerts_.shown.size(), 1u);
    EXPECT_EQ(alerts_.shown[0].caption, "Can't add service");
    EXPECT_EQ(alerts_.shown[0].text, "The server does not reach this network.");

    HSERVICETYPE xmpp = manager_->networks().typeFor(6);
    RY_ServiceTypeRegistration good = form(xmpp, {{"Username", "a@b"}, {"Password", "p"}});
    bus::call(names::kServiceTypeRegister, xmpp, &good);
    takeMasked(&id);
    respondTo(id, 0);
    takePacket();
    respondTo(id, 15);
    ASSERT_EQ(alerts_.shown.size(), 2u);
    EXPECT_EQ(alerts_.shown[1].text, "The server could not use these account details.");

    RY_ServiceTypeData foreignData{sizeof(RY_ServiceTypeData), RY_SERVICETYPE_SHORT_NAME, nullptr, "Other", 6,
                                   nullptr, 0};
    kit::OwnedServiceType foreign(RY_CreateServiceType(&foreignData));
    RY_ServiceTypeRegistration elsewhere = form(foreign.get(), {{"Username", "a"}});
    EXPECT_EQ(bus::call(names::kServiceTypeRegister, xmpp, &elsewhere), 0) << "a record of another type";
    EXPECT_TRUE(serverHeardNothing());
}

TEST_F(Bridges, TheFormIsReadNoFurtherThanItsFieldsAndItsCount) {
    HSERVICETYPE type = reinterpret_cast<HSERVICETYPE>(0x10);
    RY_ServiceTypeRegistration record = form(type, {{"Username", "a"}, {"", "no name"}, {"Port", "5223"}});
    std::memset(record.fields[0].value, 'v', sizeof record.fields[0].value);  // no terminator
    record.fieldCount = 1000;
    wire::DataMapEntries fields = registrationFields(record);
    EXPECT_EQ(fields, (wire::DataMapEntries{{"Port", "5223"}, {"Username", std::string(65, 'v')}}));
    record.fieldCount = -3;
    EXPECT_TRUE(registrationFields(record).empty());
}

TEST_F(Bridges, TheReasonTextDecidesTheCodeExactTextsFirstThenPhrasesInOrder) {
    EXPECT_EQ(disconnectReason("You have signed on from another location."), kReasonSignedOnElsewhere);
    EXPECT_EQ(disconnectReason("Unable to read socket"), kReasonUnreadableSocket);
    EXPECT_EQ(disconnectReason("Disconnected."), kReasonDisconnected);
    EXPECT_EQ(disconnectReason("Disconnected. Again"), kReasonOther) << "the first three are whole texts";
    EXPECT_EQ(disconnectReason("Unable to connect to 127.0.0.1:5222 (Connection refused)"), kReasonUnableToConnect);
    EXPECT_EQ(disconnectReason("Connection error from Notification server: x"), kReasonUnableToConnect);
    EXPECT_EQ(disconnectReason("Could not connect to authentication server: y"), kReasonUnableToConnect);
    EXPECT_EQ(disconnectReason("localhost says you are connecting and disconnecting too frequently; wait"),
              kReasonTooFrequent);
    EXPECT_EQ(disconnectReason("Unable to authenticate: the server refused the user name or password"),
              kReasonUnableToAuthenticate);
    EXPECT_EQ(disconnectReason("Unable to authenticate: Unable to connect"), kReasonUnableToConnect)
        << "connecting is tested before authenticating";
    EXPECT_EQ(disconnectReason("The connection ended: bye"), kReasonOther);
}

TEST_F(Bridges, AProfileBridgeBecomesAServiceThatSwitchesOnAndFollowsTheServer) {
    ServiceEvents events;
    signInWith(withBridge());
    ASSERT_NE(bridgeService(), nullptr);
    EXPECT_GE(events.raised, 1);
    kit::ServiceFields fields = bridgeFields();
    EXPECT_EQ(fields.serviceType, manager_->networks().typeFor(6));
    EXPECT_EQ(fields.userName, "alice@localhost");
    EXPECT_EQ(fields.nickname, "Alice");
    EXPECT_EQ(fields.domain, "localhost");
    EXPECT_EQ(fields.iconResource, 108u);
    EXPECT_EQ(serviceList().size(), 2u) << "the account and the bridge";

    std::string id;
    EXPECT_EQ(takeMasked(&id), "BRIDGE ON\nbridge-id: 7\nmesg-id: #\nonline-status: 1\n\n");
    EXPECT_EQ(bridgeFields().desiredStatus, 1);
    respondTo(id, 0);
    EXPECT_EQ(bridgeFields().presence, 0) << "on only once the server has logged in";
    serverSends("BRIDGE ON\nbridge-id: 7\n\n");
    EXPECT_EQ(bridgeFields().presence, 1);

    RY_PresenceStatusArgs away{RY_PRESENCE_AWAY};
    EXPECT_EQ(bus::call(names::kServiceSetPresenceStatus, bridgeService(), &away), 1);
    EXPECT_EQ(takeMasked(), "BRIDGE UPDATE\nbridge-id: 7\nmesg-id: #\nonline-status: 2\n\n");
    EXPECT_EQ(bridgeFields().desiredStatus, 2);
    EXPECT_EQ(connection_->pending().size(), 0u) << "a presence change waits for no answer";

    serverSends("BRIDGE OFF\nbridge-id: 7\nreason: Unable to authenticate: the server refused the user name\n\n");
    fields = bridgeFields();
    EXPECT_EQ(fields.presence, 0);
    EXPECT_EQ(fields.desiredStatus, 0);
    EXPECT_EQ(fields.failureText, "Unable to authenticate: the server refused the user name");
    EXPECT_EQ(fields.failureReason, kReasonUnableToAuthenticate);

    serverSends("BRIDGE OFF\nbridge-id: 8\nreason: Disconnected.\n\n");
    serverSends("BRIDGE ON\nbridge-id: 8\n\n");
    EXPECT_EQ(bridgeFields().failureReason, kReasonUnableToAuthenticate) << "other bridges' packets are ignored";
    EXPECT_EQ(manager_->size(), 1u);
}

TEST_F(Bridges, ADisabledBridgeIsMadeButNotSwitchedOnAndUnknownNetworksAreLeftOut) {
    signInWith({{"BRIDGE", encode({{"7", bridgeEntry("0")}, {"9", bridgeEntry("1", "42")}})}});
    EXPECT_NE(bridgeService(), nullptr);
    EXPECT_EQ(manager_->find(9), nullptr);
    EXPECT_TRUE(serverHeardNothing());

    RY_PresenceStatusArgs on{RY_PRESENCE_BUSY};
    bus::call(names::kServiceSetPresenceStatus, bridgeService(), &on);
    std::string id;
    EXPECT_EQ(takeMasked(&id), "BRIDGE ON\nbridge-id: 7\nmesg-id: #\nonline-status: 5\n\n");
    respondTo(id, 19);
    EXPECT_EQ(bridgeFields().desiredStatus, 0) << "a refused switch leaves the bridge off";
}

TEST_F(Bridges, BridgedContactsJoinTheListAndLeaveItStaleWhenTheBridgeGoesOff) {
    signInWithBridgeOn();
    serverSends(packetWithBody("BRIDGE CONTACT\n", bridgedList({{"11", contactRecord("bob@localhost", "Bob", "1")},
                                                               {"12", contactRecord("cy@localhost", "Cy", "0", "1")}})));
    kit::OwnedContact bob(manager_->bridgedContact(kBridge, 11));
    kit::OwnedContact cy(manager_->bridgedContact(kBridge, 12));
    RY_ContactData data = contactData(bob.get());
    EXPECT_EQ(data.service, bridgeService());
    EXPECT_EQ(std::string(data.name), "bob@localhost");
    EXPECT_EQ(std::string(data.nickname), "Bob");
    EXPECT_EQ(std::string(data.statusText), "around");
    EXPECT_EQ(data.presence, 1);
    EXPECT_TRUE(inContactList(bob.get())) << "a bridge's list is all on the contact list";
    EXPECT_EQ(listFlags(cy.get()), 256u) << "asked and waiting";
    EXPECT_FALSE(sync_.contacts().contains(11)) << "bridged ids are not the account's";
    EXPECT_FALSE(sync_.contacts().contains(12));
    EXPECT_EQ(sync_.contacts().size(), 1u) << "only the account's own contact";

    serverSends(packetWithBody("BRIDGE CONTACT\n", bridgedList({{"12", ""}})));
    EXPECT_FALSE(inContactList(cy.get()));

    RY_GetContactHandleArgs lookup{11, nullptr};
    bus::call(names::kServiceGetContactHandle, bridgeService(), &lookup);
    EXPECT_EQ(lookup.contact, bob.get());
    RY_ReleaseContact(lookup.contact);

    serverSends("BRIDGE OFF\nbridge-id: 7\nreason: Unable to read socket\n\n");
    EXPECT_FALSE(inContactList(bob.get()));
    EXPECT_EQ(contactData(bob.get()).presence, RY_PRESENCE_UNKNOWN);
    EXPECT_EQ(bridgeFields().failureReason, kReasonUnreadableSocket);
    kit::OwnedContact again(manager_->bridgedContact(kBridge, 11));
    EXPECT_EQ(again.get(), bob.get()) << "the same contact comes back with the same id";
}

TEST_F(Bridges, FriendRequestsOfABridgeAreAnsweredByRequestIdAndDroppedWhenItGoesOff) {
    signInWithBridgeOn();
    serverSends(packetWithBody("BRIDGE CONTACT ADD\nbridge-id: 7\ncontact-id: 0\nname: dan@localhost\n"
                               "nickname: Dan\nrequest-id: 3\n",
                               "let me in"));
    ASSERT_EQ(overview_->items.size(), 1u);
    EXPECT_EQ(overview_->only().title, "dan@localhost");
    EXPECT_EQ(overview_->only().text, "let me in");

    RY_AcceptContactArgs decline{3, 0};
    bus::call(names::kServiceAcceptContact, bridgeService(), &decline);
    std::string id;
    EXPECT_EQ(takeMasked(&id), "BRIDGE CONTACT ADD RESP\nbridge-id: 7\nmesg-id: #\nresponse-id: 3\n\n");
    respondTo(id, 2);
    EXPECT_EQ(overview_->items.size(), 1u) << "a refused answer keeps the request";
    RY_AcceptContactArgs accept{3, 1};
    bus::call(names::kServiceAcceptContact, bridgeService(), &accept);
    EXPECT_EQ(takeMasked(&id), "BRIDGE CONTACT ADD RESP\naccepted: 1\nbridge-id: 7\nmesg-id: #\nresponse-id: 3\n\n");
    respondTo(id, 0);
    EXPECT_TRUE(overview_->items.empty());

    serverSends(packetWithBody("BRIDGE CONTACT ADD\nbridge-id: 7\ncontact-id: 11\nname: bob@localhost\n"
                               "nickname: Bobby\nrequest-id: 4\n",
                               ""));
    kit::OwnedContact bob(manager_->bridgedContact(kBridge, 11));
    EXPECT_EQ(std::string(contactData(bob.get()).nickname), "Bobby");
    EXPECT_EQ(overview_->only().text, "Bobby");
    serverSends("BRIDGE OFF\nbridge-id: 7\nreason: Disconnected.\n\n");
    EXPECT_TRUE(overview_->items.empty());
}

TEST_F(Bridges, ContactRequestsOfTheUserCarryTheBridgeAndTheAddressAsAName) {
    signInWithBridgeOn();
    Answers answers;
    RY_AddContactArgs add{sizeof(RY_AddContactArgs), "12345", "hello", &Answers::record, &answers};
    EXPECT_EQ(bus::call(names::kServiceAddContact, bridgeService(), &add), 1);
    std::string id;
    EXPECT_EQ(takeMasked(&id), "BRIDGE CONTACT ADD\nbridge-id: 7\ncontent-length: 5\nmesg-id: #\nname: 12345\n\nhello");
    respondTo(id, 15);
    ASSERT_EQ(answers.got.size(), 1u);
    EXPECT_EQ(answers.got[0].code, 15);

    serverSends(packetWithBody("BRIDGE CONTACT\n", bridgedList({{"11", contactRecord("bob@localhost", "Bob", "1")}})));
    kit::OwnedContact bob(manager_->bridgedContact(kBridge, 11));
    HCONTACT handle = bob.get();
    bus::call(names::kServiceDeleteContact, bridgeService(), &handle);
    EXPECT_EQ(takeMasked(&id), "BRIDGE CONTACT UPDATE\nbridge-id: 7\ncontact-id: 11\nmesg-id: #\nremove: 1\n\n");
    respondTo(id, 19);
    EXPECT_TRUE(inContactList(bob.get()));
    bus::call(names::kServiceDeleteContact, bridgeService(), &handle);
    takeMasked(&id);
    respondTo(id, 0);
    EXPECT_FALSE(inContactList(bob.get()));
}

TEST_F(Bridges, AChatRoomIsOneGroupOutsideTheTableMadeOnceAndReused) {
    signInWithBridgeOn();
    int changes = 0;
    kit::Subscription groups = kit::subscribe(names::kGroupsChanged, [&] { ++changes; });
    kit::OwnedGroup demo(RY_GetGroup(5));  // one of the account's own groups, with the same number
    serverSends(packetWithBody("BRIDGE CHAT CONTACT\nbridge-id: 7\nchat-id: 5\ncontact-id: 21\n"
                               "name: room@conference.localhost/bob\nnickname: bob\n",
                               std::string(1, '\1')));
    serverSends(packetWithBody("BRIDGE CHAT CONTACT\nbridge-id: 7\nchat-id: 5\ncontact-id: 22\nnickname: cy\n",
                               std::string(1, '\1')));
    EXPECT_EQ(changes, 2);
    kit::OwnedGroup room(manager_->bridgedChat(kBridge, 5));
    EXPECT_NE(room.get(), demo.get()) << "a room never meets the account's groups";
    EXPECT_EQ(manager_->find(kBridge)->chatCount(), 1u);
    RY_GroupData data{};
    data.size = sizeof data;
    RY_GetGroupData(room.get(), &data);
    EXPECT_EQ(std::string(data.name), "Group Chat");
    EXPECT_EQ(data.service, bridgeService());
    EXPECT_EQ(data.groupId, 5u);
    uint32_t members = 0;
    RY_GetGroupMembers(room.get(), nullptr, nullptr, &members);
    EXPECT_EQ(members, 2u);
    kit::OwnedContact bob(manager_->bridgedContact(kBridge, 21));
    EXPECT_EQ(std::string(contactData(bob.get()).nickname), "bob");

    serverSends(packetWithBody("BRIDGE CHAT CONTACT\nbridge-id: 7\nchat-id: 5\ncontact-id: 21\n",
                               std::string(1, '\0')));
    members = 0;
    RY_GetGroupMembers(room.get(), nullptr, nullptr, &members);
    EXPECT_EQ(members, 1u);

    bus::call(names::kServiceLeaveGroup, bridgeService(), room.get());
    std::string id;
    EXPECT_EQ(takeMasked(&id), "BRIDGE CHAT LEAVE\nbridge-id: 7\nchat-id: 5\nmesg-id: #\n\n");
    respondTo(id, 0);
    EXPECT_EQ(manager_->find(kBridge)->chatCount(), 0u);
    EXPECT_EQ(bus::call(names::kServiceLeaveGroup, bridgeService(), demo.get()), 0) << "not one of its rooms";
}

TEST_F(Bridges, MessagesBothWaysGoThroughTheBridgedContactsAndRooms) {
    signInWithBridgeOn();
    watchMessages();
    serverSends(packetWithBody("BRIDGE MESG\nbridge-id: 7\ncontent-type: text/plain\nlast: 1\nmesg-id: 900\n"
                               "name: Bob\nsource-id: 11\ntimestamp: 1700000000.0\n",
                               "hi alice"));
    ASSERT_EQ(events_->complete.size(), 1u);
    RY_MessageData received = messageData(events_->complete[0]);
    kit::OwnedContact bob(manager_->bridgedContact(kBridge, 11));
    EXPECT_EQ(received.contact, bob.get());
    EXPECT_FALSE(received.isGroup);
    EXPECT_EQ(std::string(static_cast<const char*>(received.data), received.dataLength), "hi alice");

    serverSends(packetWithBody("BRIDGE MESG\nbridge-id: 7\ncontent-type: text/plain\nlast: 1\nmesg-id: 901\n"
                               "source-id: 22\ntarget-id: 4\n",
                               "in the room"));
    RY_MessageData roomMessage = messageData(events_->complete[1]);
    kit::OwnedGroup room(manager_->bridgedChat(kBridge, 4));
    EXPECT_TRUE(roomMessage.isGroup);
    EXPECT_EQ(roomMessage.target, room.get());
    serverSends(packetWithBody("BRIDGE MESG\nbridge-id: 8\nlast: 1\nmesg-id: 902\nsource-id: 11\n", "lost"));
    EXPECT_EQ(events_->fresh.size(), 2u) << "a message of an unknown bridge is dropped";

    RY_MessageData data{};
    data.size = sizeof data;
    data.flags = RY_MESSAGE_ID | RY_MESSAGE_TARGET | RY_MESSAGE_CONTENT_TYPE | RY_MESSAGE_DATA | RY_MESSAGE_COMPLETE;
    data.messageId = RY_GetLUID();
    data.target = bob.get();
    data.contentType = "text/plain";
    data.data = "hello bob";
    data.dataLength = 9;
    data.complete = 1;
    kit::OwnedMessage reply(RY_CreateMessage(&data));
    RY_SendMessageEx(reply.get());
    EXPECT_EQ(takePacket(), "BRIDGE MESG\nbridge-id: 7\ncontent-length: 9\ncontent-type: text/plain\nlast: 1\n"
                            "mesg-id: " + std::to_string(data.messageId) +
                                "\nmesg-target: 0\ntarget-id: 11\n\nhello bob");

    data.messageId = RY_GetLUID();
    data.target = room.get();
    data.isGroup = 1;
    data.flags |= RY_MESSAGE_IS_GROUP;
    kit::OwnedMessage toRoom(RY_CreateMessage(&data));
    RY_SendMessageEx(toRoom.get());
    wire::Packet chunk = parsePacket(takePacket());
    EXPECT_EQ(chunk.command(), "BRIDGE MESG");
    EXPECT_EQ(chunk.header("mesg-target"), "1");
    EXPECT_EQ(chunk.header("target-id"), "4") << "the room by its chat id";
}

TEST_F(Bridges, SwitchingOffByHandDropsTheContactsOnceTheServerAgrees) {
    signInWithBridgeOn();
    serverSends(packetWithBody("BRIDGE CONTACT\n", bridgedList({{"11", contactRecord("bob@localhost", "Bob", "1")}})));
    kit::OwnedContact bob(manager_->bridgedContact(kBridge, 11));
    RY_PresenceStatusArgs off{RY_PRESENCE_OFFLINE};
    bus::call(names::kServiceSetPresenceStatus, bridgeService(), &off);
    std::string id;
    EXPECT_EQ(takeMasked(&id), "BRIDGE OFF\nbridge-id: 7\nmesg-id: #\nonline-status: 0\n\n");
    EXPECT_TRUE(inContactList(bob.get()));
    respondTo(id, 0);
    EXPECT_EQ(bridgeFields().presence, 0);
    EXPECT_FALSE(inContactList(bob.get()));
}

TEST_F(Bridges, RemoveServiceAsksFirstThenRemovesTheAccountForGood) {
    signInWithBridgeOn();
    platform::UniqueMenu menu(bus::call(names::kServiceCreatePopupMenu, bridgeService()));
    std::vector<std::string> entries;
    for (int i = 0; i < platform::menuItemCount(menu.get()); ++i) {
        auto item = platform::menuItem(menu.get(), i, platform::MF_BYPOSITION);
        entries.push_back((item->flags & platform::MF_SEPARATOR) ? "-"
                                                                  : ((item->flags & platform::MF_CHECKED) ? "*" : "") +
                                                                        item->text);
    }
    EXPECT_EQ(entries, (std::vector<std::string>{"*Online", "-", "Away", "Busy", "Invisible", "-", "Offline", "-",
                                                 "Remove Service..."}));
    uint32_t remove = static_cast<uint32_t>(*platform::findMenuCommand(menu.get(), "Remove Service..."));

    answerModals(platform::IDNO);
    EXPECT_EQ(bus::call(names::kServiceHandlePopupMenu, bridgeService(), remove), 1);
    ASSERT_EQ(questions_.size(), 1u);
    EXPECT_EQ(questions_[0].caption, "Remove Service");
    EXPECT_EQ(questions_[0].text, "Are you sure you wish to remove this service?");
    EXPECT_TRUE(serverHeardNothing());

    answerModals(platform::IDYES);
    ServiceEvents events;
    kit::OwnedService held = kit::OwnedService::share(bridgeService());
    bus::raise(names::kCoreWindowOnCommand, remove);
    std::string id;
    EXPECT_EQ(takeMasked(&id), "BRIDGE UPDATE\nbridge-id: 7\nmesg-id: #\n\n");
    respondTo(id, 0);
    EXPECT_EQ(manager_->find(kBridge), nullptr);
    EXPECT_EQ(kit::ServiceRecord(held.get()).read().presence, 101) << "whoever holds it sees it removed";
    EXPECT_FALSE(bus::provided(names::kServiceCreatePopupMenu, held.get()));
    EXPECT_FALSE(bus::provided(names::kServiceSetPresenceStatus, held.get()));
    EXPECT_GE(events.raised, 1);
    held = {};
    EXPECT_EQ(serviceList().size(), 1u) << "only the account is left";
}

TEST_F(Bridges, TheEndOfTheSessionForgetsEveryBridgeUntilTheNextProfile) {
    signInWithBridgeOn();
    serverSends(packetWithBody("BRIDGE CONTACT\n", bridgedList({{"11", contactRecord("bob@localhost", "Bob", "1")}})));
    kit::OwnedContact bob(manager_->bridgedContact(kBridge, 11));
    HSERVICE old = bridgeService();
    reconnect();
    EXPECT_EQ(manager_->size(), 0u);
    EXPECT_FALSE(inContactList(bob.get()));
    EXPECT_EQ(kit::ServiceRecord(old).read().presence, 101) << "a contact still holds the old service, removed";
    bob = {};
    EXPECT_EQ(serviceList().size(), 1u);
    logOn(withBridge());
    EXPECT_NE(bridgeService(), nullptr);
    EXPECT_EQ(takeMasked(), "BRIDGE ON\nbridge-id: 7\nmesg-id: #\nonline-status: 1\n\n");
}
