// The XMPP bridge end to end: a Kestrova client (the protocol test client)
// bridges its user's account on a real XMPP server (Prosody, started for
// the test on a loopback port) and meets someone who is only on XMPP (a
// small libstrophe client): friend requests both ways, the bridged roster
// with presence, messages both ways, a chat room joined on invitation, and
// the reasons a login fails.
#include "bridge_support.h"
#include "prosody.h"
#include "xmpp_test_client.h"

#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::server;
using namespace kestrova::server::testing;

namespace {

const char* const kAliceJid = "alice@localhost";
const char* const kBobJid = "bob@localhost";

class XmppBridge : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string why;
        prosody_ = Prosody::start({{"alice", "alice's secret"}, {"bob", "bob's secret"}}, why);
        if (!prosody_ && why.find("not installed") != std::string::npos) GTEST_SKIP() << why;
        ASSERT_TRUE(prosody_) << why;
        ann_ = Peer::signIn(server_.port(), kAnn);
        ASSERT_TRUE(ann_);
    }

    wire::DataMapEntries fields(const std::string& password, uint16_t port) const {
        return {{"Username", kAliceJid},
                {"Password", password},
                {"Server", "127.0.0.1"},
                {"Port", std::to_string(port)},
                {"Nickname", "Alice"}};
    }
    // Registers and switches on; the first "BRIDGE ON" or "BRIDGE OFF".
    std::optional<wire::Packet> switchOn(const std::string& password, uint16_t port) {
        bridge_ = registerBridge(*ann_, fields(password, port));
        if (bridge_ == 0) return std::nullopt;
        if (ann_->request(bridgePacket("BRIDGE ON", bridge_, {{"Online-Status", "1"}})) != 0)
            return std::nullopt;
        return ann_->expectOneOf({"BRIDGE ON", "BRIDGE OFF"});
    }
    // The record of one bridged contact once it matches.
    std::optional<std::pair<std::string, wire::DataMapEntries>>
    contactWhen(const std::function<bool(const wire::DataMapEntries&)>& test) {
        std::optional<std::pair<std::string, wire::DataMapEntries>> found;
        ann_->expect("BRIDGE CONTACT", [&](const wire::Packet& packet) {
            wire::DataMapEntries contacts =
                dataMap(dataMap(dataMap(packet.body())[std::to_string(bridge_)])["contacts"]);
            for (const auto& [id, record] : contacts)
                if (!record.empty() && test(dataMap(record))) found.emplace(id, dataMap(record));
            return found.has_value();
        });
        return found;
    }
    uint32_t send(const std::string& target, bool room, const std::string& text) {
        return ann_->request(bridgePacket("BRIDGE MESG", bridge_,
                                          {{"Mesg-Target", room ? "1" : "0"},
                                           {"Target-Id", target},
                                           {"Content-Type", "text/plain"},
                                           {"Last", "1"}},
                                          text));
    }

    std::unique_ptr<Prosody> prosody_;
    RunningServer server_;
    std::optional<Peer> ann_;
    uint64_t bridge_ = 0;
};

} // namespace

TEST_F(XmppBridge, AKestrovaUserAndAnXmppUserBecomeContactsChatAndMeetInARoom) {
    auto bob = XmppTestClient::login(kBobJid, "bob's secret", prosody_->port(), "at the desk");
    ASSERT_TRUE(bob);
    std::optional<wire::Packet> on = switchOn("alice's secret", prosody_->port());
    ASSERT_TRUE(on);
    ASSERT_EQ(on->command(), "BRIDGE ON") << on->header("Reason");

    // Bob asks to see Alice; Ann accepts in Kestrova.
    bob->subscribe(kAliceJid);
    auto request = ann_->expect("BRIDGE CONTACT ADD");
    ASSERT_TRUE(request);
    EXPECT_EQ(request->header("Name"), kBobJid);
    EXPECT_EQ(
        ann_->request(bridgePacket("BRIDGE CONTACT ADD RESP", bridge_,
                                   {{"Response-Id", request->header("Request-Id")}, {"Accepted", "1"}})),
        0u);
    // Ann asks to see Bob, whose client accepts: Bob appears on the bridged
    // list, accepted, online, with his status line.
    EXPECT_EQ(ann_->request(bridgePacket("BRIDGE CONTACT ADD", bridge_, {{"Name", kBobJid}}, "Hi Bob")), 0u);
    ASSERT_TRUE(bob->waitFor([](const auto& got) { return got.kind == "subscribe"; }));
    auto bobOnList = contactWhen([](const wire::DataMapEntries& record) {
        return record.at("Username") == kBobJid && record.at("state") == "0" &&
               record.at("Online-Status") == "1";
    });
    ASSERT_TRUE(bobOnList);
    EXPECT_EQ(bobOnList->second.at("Status"), "at the desk");
    EXPECT_EQ(bobOnList->second.at("Nickname"), "bob");
    std::string bobId = bobOnList->first;

    // Messages both ways.
    EXPECT_EQ(send(bobId, false, "Hello Bob, from Kestrova"), code::kDone);
    auto atBob = bob->waitFor([](const auto& got) { return got.kind == "message"; });
    ASSERT_TRUE(atBob);
    EXPECT_EQ(atBob->body, "Hello Bob, from Kestrova");
    EXPECT_EQ(atBob->from.substr(0, atBob->from.find('/')), kAliceJid);
    bob->sendMessage(kAliceJid, "Hello Ann, from XMPP\nsecond line");
    auto atAnn = ann_->expect("BRIDGE MESG");
    ASSERT_TRUE(atAnn);
    EXPECT_EQ(atAnn->header("Source-Id"), bobId);
    EXPECT_FALSE(atAnn->hasHeader("Target-Id"));
    EXPECT_EQ(atAnn->body(), "Hello Ann, from XMPP\nsecond line");

    // Bob opens a room and invites Alice, an accepted contact: the bridge
    // joins, Bob is a member of the chat, and the room's talk flows.
    const std::string room = std::string("lounge@") + Prosody::kRooms;
    bob->joinRoom(room, "bob");
    ASSERT_TRUE(bob->waitFor([](const auto& got) { return got.kind == "room-self"; }));
    bob->invite(kAliceJid, room);
    auto member = ann_->expect("BRIDGE CHAT CONTACT",
                               [](const wire::Packet& p) { return p.header("Nickname") == "bob"; });
    ASSERT_TRUE(member);
    EXPECT_EQ(member->body(), std::string(1, '\1'));
    std::string chatId = member->header("Chat-Id");
    ASSERT_TRUE(bob->waitFor([](const auto& got) {
        return got.kind == "presence" && got.from.find("/Alice") != std::string::npos;
    }));
    bob->sendMessage(room, "welcome to the lounge", true);
    auto inRoom =
        ann_->expect("BRIDGE MESG", [&](const wire::Packet& p) { return p.header("Target-Id") == chatId; });
    ASSERT_TRUE(inRoom);
    EXPECT_EQ(inRoom->header("Source-Id"), member->header("Contact-Id"));
    EXPECT_EQ(inRoom->body(), "welcome to the lounge");
    EXPECT_EQ(send(chatId, true, "thanks, Bob"), code::kDone);
    auto atBobInRoom =
        bob->waitFor([](const auto& got) { return got.kind == "groupchat" && got.body == "thanks, Bob"; });
    ASSERT_TRUE(atBobInRoom);
    EXPECT_EQ(atBobInRoom->from, room + "/Alice");

    // Alice leaves: Bob leaves the chat on the Kestrova side.
    EXPECT_EQ(ann_->request(bridgePacket("BRIDGE CHAT LEAVE", bridge_, {{"Chat-Id", chatId}})), 0u);
    auto left = ann_->expect("BRIDGE CHAT CONTACT",
                             [](const wire::Packet& p) { return p.body() == std::string(1, '\0'); });
    ASSERT_TRUE(left);
    EXPECT_EQ(left->header("Chat-Id"), chatId);
}

TEST_F(XmppBridge, AWrongPasswordAndAnUnreachableServerSwitchTheBridgeOffWithTheirReasons) {
    std::optional<wire::Packet> refused = switchOn("not alice's password", prosody_->port());
    ASSERT_TRUE(refused);
    ASSERT_EQ(refused->command(), "BRIDGE OFF");
    EXPECT_EQ(clientReasonCode(refused->header("Reason")), 6) << refused->header("Reason");

    uint16_t nobody = unusedLoopbackPort();
    std::optional<wire::Packet> unreachable = switchOn("alice's secret", nobody);
    ASSERT_TRUE(unreachable);
    ASSERT_EQ(unreachable->command(), "BRIDGE OFF");
    EXPECT_EQ(clientReasonCode(unreachable->header("Reason")), 5) << unreachable->header("Reason");
    EXPECT_NE(unreachable->header("Reason").find(std::to_string(nobody)), std::string::npos);

    // The same account logged in twice: the older login is displaced.
    std::optional<wire::Packet> on = switchOn("alice's secret", prosody_->port());
    ASSERT_TRUE(on);
    ASSERT_EQ(on->command(), "BRIDGE ON") << on->header("Reason");
    auto intruder =
        XmppTestClient::login(std::string(kAliceJid) + "/Kestrova", "alice's secret", prosody_->port(), "");
    ASSERT_TRUE(intruder);
    auto displaced = ann_->expect("BRIDGE OFF");
    ASSERT_TRUE(displaced);
    EXPECT_EQ(clientReasonCode(displaced->header("Reason")), 1) << displaced->header("Reason");
}
