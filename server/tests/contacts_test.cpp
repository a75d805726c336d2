// Friend requests, contact lists in the logon profile, presence and profile
// data as other subscribers see them.
#include "peer.h"

#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::server;
using namespace kestrova::server::testing;

namespace {

void makeContacts(RunningServer& server, const TestAccount& a, const TestAccount& b) {
    uint64_t ida = server.idOf(a), idb = server.idOf(b);
    server.onServerThread([&](Server& s) {
        s.messaging().store().setContact(ida, idb, kContactAccepted);
        s.messaging().store().setContact(idb, ida, kContactAccepted);
    });
}

// The record of `contactId` in the next "SUB PROFILE" push that has one.
std::optional<wire::DataMapEntries> pushedContact(Peer& peer, uint64_t contactId) {
    auto push = peer.expect("SUB PROFILE", [&](const wire::Packet& p) { return contactIn(dataMap(p.body()), contactId).has_value(); });
    if (!push) return std::nullopt;
    return contactIn(dataMap(push->body()), contactId);
}

}  // namespace

TEST(Contacts, FriendRequestsAcceptedBothWaysMakeMutualContacts) {
    RunningServer server;
    uint64_t annId = server.idOf(kAnn), bobId = server.idOf(kBob);
    auto ann = Peer::signIn(server.port(), kAnn);
    auto bob = Peer::signIn(server.port(), kBob);
    ASSERT_TRUE(ann && bob);

    EXPECT_EQ(ann->request(packet("CONTACT ADD", {{"Name", "BOB@example.org"}}, "Hello Bob")), 0u);
    auto waiting = pushedContact(*ann, bobId);
    ASSERT_TRUE(waiting);
    EXPECT_EQ((*waiting)["state"], "1");
    EXPECT_EQ((*waiting)["contact"], "1");
    EXPECT_EQ((*waiting)["Online-Status"], "0") << "not visible before bob accepts";

    auto request = bob->expect("SUB PROFILE", [](const wire::Packet& p) { return dataMap(p.body()).count("CONTACT_ADD") > 0; });
    ASSERT_TRUE(request);
    auto entry = dataMap(dataMap(dataMap(request->body())["CONTACT_ADD"])[std::to_string(annId)]);
    EXPECT_EQ(entry["Name"], kAnn.name);
    EXPECT_EQ(entry["MESG"], "Hello Bob");

    EXPECT_EQ(bob->request(packet("CONTACT ADD RESP", {{"Source-Id", std::to_string(annId)}, {"Accepted", "1"}})), 0u);
    auto accepted = pushedContact(*ann, bobId);
    ASSERT_TRUE(accepted);
    EXPECT_EQ((*accepted)["state"], "0");
    EXPECT_EQ((*accepted)["Online-Status"], "1");
    EXPECT_EQ((*accepted)["Nickname"], "Bob");

    // The other way, by number.
    EXPECT_EQ(bob->request(packet("CONTACT ADD", {{"Target-Id", std::to_string(annId)}}, "")), 0u);
    EXPECT_EQ(ann->request(packet("CONTACT ADD RESP", {{"Source-Id", std::to_string(bobId)}, {"Accepted", "1"}})), 0u);
    EXPECT_TRUE(bob->expect("SUB PROFILE", [&](const wire::Packet& p) {
        auto record = contactIn(dataMap(p.body()), annId);
        return record && (*record)["state"] == "0";
    }));

    EXPECT_EQ(ann->request(packet("CONTACT ADD", {{"Target-Id", std::to_string(bobId)}}, "again")), 12u);
    EXPECT_EQ(ann->request(packet("CONTACT ADD RESP", {{"Source-Id", std::to_string(bobId)}, {"Accepted", "1"}})), 2u)
        << "a request is answered once";

    ann->bye();
    auto again = Peer::signIn(server.port(), kAnn);
    ASSERT_TRUE(again);
    auto listed = contactIn(again->profile, bobId);
    ASSERT_TRUE(listed);
    EXPECT_EQ((*listed)["Username"], kBob.name);
    EXPECT_EQ((*listed)["contact"], "1");
    EXPECT_EQ((*listed)["state"], "0");
    EXPECT_EQ((*listed)["Online-Status"], "1");
    EXPECT_EQ(again->profile.count("CONTACT_ADD"), 0u);
}

TEST(Contacts, PendingRequestWaitsInTheProfileAndADeclineTakesItBack) {
    RunningServer server;
    uint64_t annId = server.idOf(kAnn), bobId = server.idOf(kBob);
    auto ann = Peer::signIn(server.port(), kAnn);
    ASSERT_TRUE(ann);
    EXPECT_EQ(ann->request(packet("CONTACT ADD", {{"Name", kBob.name}}, "It's Ann")), 0u);

    auto bob = Peer::signIn(server.port(), kBob);
    ASSERT_TRUE(bob);
    ASSERT_EQ(bob->profile.count("CONTACT_ADD"), 1u);
    auto entry = dataMap(dataMap(bob->profile["CONTACT_ADD"])[std::to_string(annId)]);
    EXPECT_EQ(entry["MESG"], "It's Ann");
    EXPECT_EQ((*contactIn(bob->profile, annId))["Nickname"], "Ann") << "the requester is known by name";

    EXPECT_EQ(bob->request(packet("CONTACT ADD RESP", {{"Source-Id", std::to_string(annId)}})), 0u);
    auto removed = ann->expect("SUB PROFILE", [&](const wire::Packet& p) {
        auto list = dataMap(dataMap(p.body())["contacts"]);
        return list.count(std::to_string(bobId)) && list[std::to_string(bobId)].empty();
    });
    EXPECT_TRUE(removed) << "a declined request leaves the requester's list with an empty entry";
    bob->bye();
    auto later = Peer::signIn(server.port(), kBob);
    EXPECT_EQ(later->profile.count("CONTACT_ADD"), 0u);
}

TEST(Contacts, RemovalWorksBothWays) {
    RunningServer server;
    makeContacts(server, kAnn, kBob);
    uint64_t annId = server.idOf(kAnn), bobId = server.idOf(kBob);
    auto ann = Peer::signIn(server.port(), kAnn);
    auto bob = Peer::signIn(server.port(), kBob);
    EXPECT_EQ(ann->request(packet("CONTACT UPDATE", {{"Contact-Id", std::to_string(bobId)}, {"Remove", "1"}})), 0u);
    auto gone = bob->expect("SUB PROFILE", [&](const wire::Packet& p) {
        auto record = contactIn(dataMap(p.body()), annId);
        return record && record->empty();
    });
    EXPECT_TRUE(gone);
    EXPECT_EQ(ann->request(packet("CONTACT UPDATE", {{"Contact-Id", std::to_string(bobId)}, {"Remove", "1"}})), 2u);
    EXPECT_EQ(ann->request(packet("CONTACT UPDATE", {{"Contact-Id", std::to_string(bobId)}})), 15u);
}

TEST(Presence, ContactsSeeStatusChangesSignOffAndADroppedLine) {
    RunningServer server;
    makeContacts(server, kAnn, kBob);
    uint64_t annId = server.idOf(kAnn), bobId = server.idOf(kBob);
    auto ann = Peer::signIn(server.port(), kAnn);
    ASSERT_TRUE(ann);
    EXPECT_EQ((*contactIn(ann->profile, bobId))["Online-Status"], "0");

    auto statusOf = [&](Peer& peer, uint64_t id) {
        auto record = pushedContact(peer, id);
        return record && record->count("Online-Status") ? (*record)["Online-Status"] : std::string("none");
    };
    auto bob = Peer::signIn(server.port(), kBob);
    EXPECT_EQ(statusOf(*ann, bobId), "1");
    EXPECT_EQ((*contactIn(bob->profile, annId))["Online-Status"], "1");

    bob->send(packet("CONTACT DETAIL", {{"Online-Status", "2"}}));
    EXPECT_EQ(statusOf(*ann, bobId), "2");
    bob->send(packet("CONTACT DETAIL", {{"Online-Status", "3"}}));
    EXPECT_EQ(statusOf(*ann, bobId), "0") << "invisible looks offline";
    bob->send(packet("CONTACT DETAIL", {{"Nickname", "Robert"}, {"Status", "at lunch"}}));
    auto identity = pushedContact(*ann, bobId);
    ASSERT_TRUE(identity);
    EXPECT_EQ((*identity)["Nickname"], "Robert");
    EXPECT_EQ((*identity)["Status"], "at lunch");
    bob->bye();
    EXPECT_EQ(statusOf(*ann, bobId), "0");

    auto back = Peer::signIn(server.port(), kBob);
    EXPECT_EQ(statusOf(*ann, bobId), "1");
    EXPECT_EQ(back->profile["Nickname"], "Robert");
    back->drop();
    EXPECT_EQ(statusOf(*ann, bobId), "0") << "a dropped line is offline at once";
}

TEST(Profile, UpdatesAndLocationReportsAreStoredEchoedAndShownToContacts) {
    RunningServer server;
    makeContacts(server, kAnn, kBob);
    uint64_t annId = server.idOf(kAnn);
    auto ann = Peer::signIn(server.port(), kAnn);
    auto bob = Peer::signIn(server.port(), kBob);
    ASSERT_TRUE(ann && bob);

    std::string acl = wire::encodeDataMap({{"a", "9"}, {"u", "5,17"}});
    std::string place = wire::encodeDataMap({{"name", "Harbour"}, {"src", "Manual"}});
    EXPECT_EQ(ann->request(packet("SUB PROFILE UPDATE", {},
                                  wire::encodeDataMap({{"user_acl.chat", acl}, {"user_data.loc", place}}))), 0u);
    auto echo = ann->expect("SUB PROFILE", [](const wire::Packet& p) { return dataMap(p.body()).count("user_data.loc") > 0; });
    ASSERT_TRUE(echo);
    EXPECT_EQ(dataMap(echo->body())["user_data.loc"], place);
    EXPECT_EQ(dataMap(echo->body())["user_acl.chat"], acl);
    auto seen = pushedContact(*bob, annId);
    ASSERT_TRUE(seen);
    EXPECT_EQ((*seen)["user_data.loc"], place);
    EXPECT_EQ(seen->count("user_acl.chat"), 0u) << "access-control data stays private";

    std::string report = wire::encodeDataMap(
        {{"Loc0", wire::encodeDataMap({{"lat", "51.500000"}, {"lng", "-0.120000"}, {"acc", "30.000000"}, {"type", "iPhoneCombo"}})}});
    EXPECT_EQ(ann->request(packet("PLS SUBMIT", {}, report)), 0u);
    auto located = pushedContact(*bob, annId);
    ASSERT_TRUE(located);
    auto loc = dataMap((*located)["user_data.loc"]);
    EXPECT_EQ(loc["lat"], "51.500000");
    EXPECT_EQ(loc["lon"], "-0.120000");
    EXPECT_EQ(loc["accuracy"], "30.000000");
    EXPECT_EQ(loc["src"], "PLS_IF");

    EXPECT_EQ(ann->request(packet("PLS SUBMIT", {}, wire::encodeDataMap({{"Loc0", wire::encodeDataMap({{"lat", "north"}})}}))), 15u);
    EXPECT_EQ(ann->request(packet("SUB PROFILE UPDATE", {}, std::string("user_data\0\0\x09xx", 14))), 15u);
    EXPECT_EQ(ann->request(packet("SUB PROFILE UPDATE", {}, wire::encodeDataMap({{"user_data.big", std::string(20000, 'x')}}))), 14u);

    ann->bye();
    auto again = Peer::signIn(server.port(), kAnn);
    auto userData = dataMap(again->profile["user_data"]);
    EXPECT_EQ(dataMap(userData["loc"])["src"], "PLS_IF");
    EXPECT_EQ(dataMap(again->profile["user_acl"])["chat"], acl);
}
