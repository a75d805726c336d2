// The bridge protocol against a scripted network: registration with the
// encrypted fields, switching on and off, contact lists and presence,
// friend requests both ways, messages both ways, chat rooms, disconnect
// reasons, removal, and the bytes of every packet the server sends.
#include "bridge_support.h"

#include "bridges/bridges.h"
#include "sqlite_statement.h"

#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::server;
using namespace kestrova::server::testing;
namespace event = kestrova::server::bridges::event;

namespace {

const wire::DataMapEntries kAnnOnXmpp{
    {"Username", "Ann@Example.net"}, {"Password", "correct horse battery"},
    {"Server", "127.0.0.1"},         {"Port", "5300"},
    {"Resource", "phone"},           {"Nickname", "Annie"},
};

struct BridgeWorld {
    explicit BridgeWorld(ServerConfig config = loopbackConfig())
        : server(std::move(config), network.factory()) {
        ann = Peer::signIn(server.port(), kAnn);
        if (ann) bridge = registerBridge(*ann, kAnnOnXmpp);
    }

    // "BRIDGE ON", the login, and the network saying it is logged in.
    bool switchOn(size_t login) {
        if (ann->request(bridgePacket("BRIDGE ON", bridge, {{"Online-Status", "1"}})) != 0) return false;
        if (network.loginCount(server) != login + 1) return false;
        network.play(server, login, event::Connected{});
        return ann->expect("BRIDGE ON").has_value();
    }
    uint32_t request(std::string command, std::initializer_list<std::pair<const char*, std::string>> headers,
                     std::string body = {}) {
        return ann->request(bridgePacket(std::move(command), bridge, headers, std::move(body)));
    }
    std::vector<std::string> commands(size_t login = 0) { return network.login(server, login).commands; }
    wire::DataMapEntries contactsIn(const wire::Packet& packet) {
        return dataMap(dataMap(dataMap(packet.body())[std::to_string(bridge)])["contacts"]);
    }

    ScriptedNetwork network;
    RunningServer server;
    std::optional<Peer> ann;
    uint64_t bridge = 0;
};

std::string text(size_t length) {
    std::string out(length, '\0');
    for (size_t i = 0; i < length; ++i)
        out[i] = static_cast<char>('a' + i % 26);
    return out;
}

} // namespace

TEST(BridgeRegistration, FieldsEncryptedWithTheSessionCipherBecomeAnEnabledBridgeWithSealedCredentials) {
    BridgeWorld world;
    ASSERT_NE(world.bridge, 0u);
    // The server decrypted the fields: the login gets them as typed.
    ASSERT_TRUE(world.switchOn(0));
    ScriptedNetwork::Login login = world.network.login(world.server, 0);
    EXPECT_EQ(login.account.address, "ann@example.net");
    EXPECT_EQ(login.account.password, "correct horse battery");
    EXPECT_EQ(login.account.server, "127.0.0.1");
    EXPECT_EQ(login.account.port, 5300);
    EXPECT_EQ(login.account.resource, "phone");
    EXPECT_EQ(login.account.nickname, "Annie");
    EXPECT_EQ(login.status, 1);

    // The database holds no password in clear.
    std::string row = world.server.onServerThread([&](Server& server) {
        Statement select(server.accounts().database(), "SELECT credentials FROM bridges WHERE id = ?");
        select.id(1, world.bridge);
        return select.row() ? select.columnBytes(0) : std::string();
    });
    EXPECT_FALSE(row.empty());
    EXPECT_EQ(row.find("correct horse battery"), std::string::npos);

    // The next sign-in lists the bridge in the profile.
    world.ann->bye();
    auto again = Peer::signIn(world.server.port(), kAnn);
    ASSERT_TRUE(again);
    std::optional<wire::DataMapEntries> entry = bridgeIn(again->profile, world.bridge);
    ASSERT_TRUE(entry);
    EXPECT_EQ(*entry, (wire::DataMapEntries{{"bridge-type", "6"},
                                            {"domain", "example.net"},
                                            {"enabled", "1"},
                                            {"nickname", "Annie"},
                                            {"username", "ann@example.net"}}));
}

TEST(BridgeRegistration, OtherNetworksPlainSessionsStrangeIdsWrongKeysAndBadFieldsAreRefused) {
    ServerConfig config = loopbackConfig();
    config.bridges.maxBridgesPerAccount = 2;
    BridgeWorld world(config);
    Peer& ann = *world.ann;
    for (const char* type : {"0", "1", "2", "3", "4", "5", "7"})
        EXPECT_EQ(ann.request(packet("BRIDGE REGISTER", {{"Bridge-Type", type}})), code::kUnsupportedNetwork)
            << type;

    // Fields that no agreed registration asked for.
    EXPECT_EQ(ann.request(packet("BRIDGE REGISTER FIELDS", {{"Mesg-Id", "999"}, {"IV", "8"}},
                                 encryptFields(ann.sessionKey, kAnnOnXmpp))),
              code::kNoSuchTarget);

    // Fields encrypted under another key (a stale cipher) do not decrypt
    // to a map; the registration is used up by them.
    uint64_t id = ann.send(packet("BRIDGE REGISTER", {{"Bridge-Type", "6"}}));
    ASSERT_EQ(ann.codeFor(id), 0u);
    std::array<uint8_t, 16> wrongKey = ann.sessionKey;
    wrongKey[0] ^= 1;
    auto fields = [&](const std::array<uint8_t, 16>& key, const wire::DataMapEntries& map) {
        return packet("BRIDGE REGISTER FIELDS", {{"Mesg-Id", std::to_string(id)}, {"IV", "8"}},
                      encryptFields(key, map));
    };
    ann.send(fields(wrongKey, kAnnOnXmpp));
    EXPECT_EQ(ann.codeFor(id), code::kMalformed);
    ann.send(fields(ann.sessionKey, kAnnOnXmpp));
    EXPECT_EQ(ann.codeFor(id), code::kNoSuchTarget);

    // Decrypted, but unusable: no password; a line break in the nickname.
    for (wire::DataMapEntries bad :
         {wire::DataMapEntries{{"Username", "ann@example.net"}, {"Server", "127.0.0.1"}},
          wire::DataMapEntries{
              {"Username", "ann@example.net"}, {"Password", "pw"}, {"Nickname", "Ann\r\nBRIDGE ON"}},
          wire::DataMapEntries{{"Username", "ann@example.net"}, {"Password", "pw"}, {"Port", "70000"}}}) {
        id = ann.send(packet("BRIDGE REGISTER", {{"Bridge-Type", "6"}}));
        ASSERT_EQ(ann.codeFor(id), 0u);
        ann.send(fields(ann.sessionKey, bad));
        EXPECT_EQ(ann.codeFor(id), code::kMalformed);
    }

    // The header form (no registration before, fields in clear) counts
    // against the same limit: one more fits, then none.
    EXPECT_EQ(ann.request(packet("BRIDGE REGISTER FIELDS",
                                 {{"Username", "ann@example.org"}, {"Password", "pw"}, {"Nickname", "A"}})),
              0u);
    EXPECT_EQ(ann.request(packet("BRIDGE REGISTER", {{"Bridge-Type", "6"}})), code::kLimit);
    EXPECT_EQ(world.server.onServerThread(
                  [&](Server& server) { return server.bridges().store().countOf(world.server.idOf(kAnn)); }),
              2u);
}

TEST(BridgeRegistration, APlainSignInHasNoCipherToCarryTheFields) {
    ServerConfig config = loopbackConfig();
    config.plainAuth = true;
    RunningServer server(config);
    auto client = TestClient::connect(server.port());
    ASSERT_TRUE(client);
    client->send(logonPacket(kAnn.name));
    ASSERT_TRUE(client->receive());
    client->send(packet("AUTH", {{"Encryption-Type", "0"}, {"Online-Status", "1"}}, kAnn.password));
    for (auto next = client->receive(); next && next->packet.command() != "P";)
        next = client->receive();
    client->send(packet("BRIDGE REGISTER", {{"Mesg-Id", "40000"}, {"Bridge-Type", "6"}}));
    std::optional<Received> answer = client->receive();
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->packet.command(), "RESPONSE");
    EXPECT_EQ(responseCode(answer->packet), code::kDenied);
}

TEST(BridgeSwitching, RosterPresenceAndPresenceChangesReachTheClientAsBridgeContacts) {
    BridgeWorld world;
    ASSERT_TRUE(world.switchOn(0));
    world.network.play(
        world.server, 0,
        event::RosterChanged{{{"bob@example.net", "Bobby", 0, false}, {"cat@example.net", "", 1, false}},
                             true});
    auto roster = world.ann->expect("BRIDGE CONTACT");
    ASSERT_TRUE(roster);
    wire::DataMapEntries contacts = world.contactsIn(*roster);
    ASSERT_EQ(contacts.size(), 2u);
    auto bob = contacts.begin();
    auto cat = std::next(bob);
    EXPECT_EQ(dataMap(bob->second), (wire::DataMapEntries{{"Nickname", "Bobby"},
                                                          {"Online-Status", "0"},
                                                          {"Status", ""},
                                                          {"Username", "bob@example.net"},
                                                          {"state", "0"}}));
    EXPECT_EQ(dataMap(cat->second)["Nickname"], "cat"); // no roster name: the address's node
    EXPECT_EQ(dataMap(cat->second)["state"], "1");

    // Two logins of Bob: the most available one shows; a line break in the
    // status text does not survive.
    world.network.play(world.server, 0,
                       event::PresenceChanged{"bob@example.net", "laptop", 2, "out\r\nfor lunch"});
    world.network.play(world.server, 0, event::PresenceChanged{"bob@example.net", "phone", 1, "here"});
    world.network.play(world.server, 0, event::PresenceChanged{"stranger@example.net", "x", 1, "not listed"});
    auto away = world.ann->expect("BRIDGE CONTACT");
    auto online = world.ann->expect("BRIDGE CONTACT");
    ASSERT_TRUE(away && online);
    EXPECT_EQ(dataMap(world.contactsIn(*away)[bob->first])["Status"], "out  for lunch");
    EXPECT_EQ(dataMap(world.contactsIn(*online)[bob->first])["Online-Status"], "1");
    world.network.play(world.server, 0, event::PresenceChanged{"bob@example.net", "phone", 0, ""});
    auto back = world.ann->expect("BRIDGE CONTACT");
    ASSERT_TRUE(back);
    EXPECT_EQ(dataMap(world.contactsIn(*back)[bob->first])["Online-Status"], "2");
    EXPECT_TRUE(world.ann->sync());
    EXPECT_TRUE(world.ann->takeAll("BRIDGE CONTACT").empty()); // the stranger's presence is not shown

    // The user's presence goes to the network; only real statuses.
    EXPECT_EQ(world.request("BRIDGE UPDATE", {{"Online-Status", "5"}}), 0u);
    EXPECT_EQ(world.request("BRIDGE UPDATE", {{"Online-Status", "7"}}), code::kMalformed);
    EXPECT_EQ(world.commands(), (std::vector<std::string>{"presence 5"}));

    // A contact the network drops from the roster leaves the list.
    world.network.play(world.server, 0, event::RosterChanged{{{"cat@example.net", "", 0, true}}, false});
    auto removed = world.ann->expect("BRIDGE CONTACT");
    ASSERT_TRUE(removed);
    EXPECT_EQ(world.contactsIn(*removed), (wire::DataMapEntries{{cat->first, ""}}));
}

TEST(BridgeSwitching, SwitchedOnAndOffPacketsAreExactAndOffMeansNoMoreRequests) {
    BridgeWorld world;
    std::string id = std::to_string(world.bridge);
    EXPECT_EQ(world.request("BRIDGE ON", {{"Online-Status", "2"}}), 0u);
    EXPECT_EQ(world.network.login(world.server, 0).status, 2);
    world.network.play(world.server, 0, event::Connected{});
    auto on = world.ann->expect("BRIDGE ON");
    ASSERT_TRUE(on);
    EXPECT_EQ(on->serialise(), "BRIDGE ON\nbridge-id: " + id + "\n\n");
    // Asked again while on: no second login, the answer again.
    EXPECT_EQ(world.request("BRIDGE ON", {{"Online-Status", "1"}}), 0u);
    EXPECT_TRUE(world.ann->expect("BRIDGE ON"));
    EXPECT_EQ(world.network.loginCount(world.server), 1u);

    world.network.play(world.server, 0, event::Disconnected{"Unable to read socket"});
    auto off = world.ann->expect("BRIDGE OFF");
    ASSERT_TRUE(off);
    EXPECT_EQ(off->serialise(), "BRIDGE OFF\nbridge-id: " + id + "\nreason: Unable to read socket\n\n");
    EXPECT_TRUE(world.network.login(world.server, 0).loggedOut);
    EXPECT_EQ(world.request("BRIDGE CONTACT ADD", {{"Name", "bob@example.net"}}), code::kBridgeOffline);
    EXPECT_EQ(world.request("BRIDGE UPDATE", {{"Online-Status", "1"}}), code::kBridgeOffline);

    // Switched off by the user: logged out, no "BRIDGE OFF" (the client
    // counts it off already), and the next sign-in's profile says disabled.
    ASSERT_TRUE(world.switchOn(1));
    EXPECT_EQ(world.request("BRIDGE OFF", {{"Online-Status", "0"}}), 0u);
    EXPECT_TRUE(world.network.login(world.server, 1).loggedOut);
    EXPECT_TRUE(world.ann->sync());
    EXPECT_TRUE(world.ann->takeAll("BRIDGE OFF").empty());
    world.ann->bye();
    auto again = Peer::signIn(world.server.port(), kAnn);
    ASSERT_TRUE(again);
    EXPECT_EQ((*bridgeIn(again->profile, world.bridge))["enabled"], "0");

    // Bridges of other accounts, or none, are not there.
    auto bob = Peer::signIn(world.server.port(), kBob);
    ASSERT_TRUE(bob);
    for (const char* command :
         {"BRIDGE ON", "BRIDGE OFF", "BRIDGE UPDATE", "BRIDGE CONTACT ADD", "BRIDGE MESG"})
        EXPECT_EQ(bob->request(bridgePacket(command, world.bridge, {{"Online-Status", "1"}})),
                  code::kNoSuchTarget)
            << command;
}

TEST(BridgeSwitching, TooManyLoginsInAWindowAreRefusedWithTheReasonForTooFrequent) {
    ServerConfig config = loopbackConfig();
    config.bridges.maxLoginsPerWindow = 2;
    config.bridges.loginWindow = std::chrono::hours(1);
    BridgeWorld world(config);
    for (size_t login = 0; login < 2; ++login) {
        ASSERT_TRUE(world.switchOn(login));
        EXPECT_EQ(world.request("BRIDGE OFF", {{"Online-Status", "0"}}), 0u);
    }
    EXPECT_EQ(world.request("BRIDGE ON", {{"Online-Status", "1"}}), 0u);
    auto refused = world.ann->expect("BRIDGE OFF");
    ASSERT_TRUE(refused);
    EXPECT_EQ(clientReasonCode(refused->header("Reason")), 4);
    EXPECT_EQ(world.network.loginCount(world.server), 2u);
}

TEST(BridgeMessages, MessagesTravelBothWaysInChunksOfAtMost512Bytes) {
    BridgeWorld world;
    ASSERT_TRUE(world.switchOn(0));
    world.network.play(world.server, 0, event::RosterChanged{{{"bob@example.net", "Bobby", 0, false}}, true});
    auto roster = world.ann->expect("BRIDGE CONTACT");
    ASSERT_TRUE(roster);
    std::string bobId = world.contactsIn(*roster).begin()->first;

    // In: a short message is one chunk with everything the client reads.
    world.network.play(world.server, 0,
                       event::MessageReceived{"bob@example.net", "ignored: Bob has a roster name", "hi"});
    auto hi = world.ann->expect("BRIDGE MESG");
    ASSERT_TRUE(hi);
    EXPECT_EQ(hi->header("Bridge-Id"), std::to_string(world.bridge));
    EXPECT_EQ(hi->header("Source-Id"), bobId);
    EXPECT_EQ(hi->header("name"), "Bobby");
    EXPECT_EQ(hi->header("Content-Type"), "text/plain");
    EXPECT_EQ(hi->header("Last"), "1");
    EXPECT_TRUE(isWireTimestamp(hi->header("Timestamp")));
    EXPECT_FALSE(hi->hasHeader("Target-Id") || hi->hasHeader("Correlation-Id") ||
                 hi->hasHeader("Total-Length"));
    EXPECT_EQ(hi->body(), "hi");
    EXPECT_EQ(hi->serialise(), "BRIDGE MESG\nbridge-id: " + std::to_string(world.bridge) +
                                   "\ncontent-length: 2\ncontent-type: text/plain\nlast: 1\nmesg-id: " +
                                   hi->header("Mesg-Id") + "\nname: Bobby\nsource-id: " + bobId +
                                   "\ntimestamp: " + hi->header("Timestamp") + "\n\nhi");

    // In: 1300 bytes from someone not on the list, whose nickname tries a
    // header of its own.
    std::string long_ = text(1300);
    world.network.play(world.server, 0, event::MessageReceived{"dan@example.net", "Dan\r\nlast: 1", long_});
    auto first = world.ann->expect("BRIDGE MESG");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->header("name"), "Dan  last: 1");
    EXPECT_EQ(first->header("Total-Length"), "1300");
    EXPECT_NE(first->header("Source-Id"), bobId);
    std::string got = first->body();
    for (int chunk = 0; chunk < 2; ++chunk) {
        auto next = world.ann->expect("BRIDGE MESG");
        ASSERT_TRUE(next);
        EXPECT_EQ(next->header("Correlation-Id"), first->header("Mesg-Id"));
        EXPECT_EQ(next->hasHeader("Last"), chunk == 1);
        got += next->body();
    }
    EXPECT_EQ(got, long_);

    // Out: chunks are taken one by one and go out whole with the last one.
    auto chunk = [&](std::string body, std::initializer_list<std::pair<const char*, std::string>> extra) {
        wire::Packet out = bridgePacket(
            "BRIDGE MESG", world.bridge,
            {{"Mesg-Target", "0"}, {"Target-Id", bobId}, {"Content-Type", "text/plain"}}, std::move(body));
        for (const auto& [name, value] : extra)
            out.setHeader(name, value);
        return out;
    };
    uint64_t messageId = world.ann->send(chunk(long_.substr(0, 512), {{"Total-Length", "600"}}));
    EXPECT_EQ(world.ann->codeFor(messageId), code::kDone);
    EXPECT_EQ(world.ann->request(chunk(long_.substr(512, 88),
                                       {{"Correlation-Id", std::to_string(messageId)}, {"Last", "1"}})),
              code::kDone);
    EXPECT_EQ(world.commands(),
              (std::vector<std::string>{"message bob@example.net " + long_.substr(0, 600)}));

    // Refusals: unknown contact, unknown message, content the network
    // cannot carry, too long.
    EXPECT_EQ(world.ann->request(chunk("x", {{"Target-Id", "999999"}, {"Last", "1"}})), code::kNoSuchTarget);
    EXPECT_EQ(world.ann->request(chunk("x", {{"Correlation-Id", "777"}, {"Last", "1"}})),
              code::kNoSuchTarget);
    EXPECT_EQ(world.ann->request(chunk("x", {{"Content-Type", "audio/x-speex"}, {"Last", "1"}})),
              code::kUnsupportedNetwork);
    EXPECT_EQ(world.ann->request(chunk("x", {{"Total-Length", "100000"}})), code::kLimit);
    EXPECT_EQ(world.commands().size(), 1u);
}

TEST(BridgeContacts, FriendRequestsTravelBothWaysAndAnAnswerIsTakenOnce) {
    BridgeWorld world;
    ASSERT_TRUE(world.switchOn(0));
    world.network.play(world.server, 0, event::ContactRequest{"dan@example.net", "Dan", "let me in"});
    auto request = world.ann->expect("BRIDGE CONTACT ADD");
    ASSERT_TRUE(request);
    std::string requestId = request->header("Request-Id");
    EXPECT_EQ(request->serialise(),
              "BRIDGE CONTACT ADD\nbridge-id: " + std::to_string(world.bridge) +
                  "\ncontact-id: 0\ncontent-length: 9\nname: dan@example.net\nnickname: "
                  "Dan\nrequest-id: " +
                  requestId + "\n\nlet me in");
    EXPECT_EQ(world.request("BRIDGE CONTACT ADD RESP", {{"Response-Id", requestId}, {"Accepted", "1"}}), 0u);
    EXPECT_EQ(world.request("BRIDGE CONTACT ADD RESP", {{"Response-Id", requestId}, {"Accepted", "1"}}),
              code::kNoSuchTarget);

    // A request from a listed contact names it; declining sends no "Accepted".
    world.network.play(world.server, 0, event::RosterChanged{{{"eve@example.net", "Eve", 1, false}}, false});
    auto listed = world.ann->expect("BRIDGE CONTACT");
    ASSERT_TRUE(listed);
    world.network.play(world.server, 0, event::ContactRequest{"eve@example.net", "", ""});
    auto fromEve = world.ann->expect("BRIDGE CONTACT ADD");
    ASSERT_TRUE(fromEve);
    EXPECT_EQ(fromEve->header("Contact-Id"), world.contactsIn(*listed).begin()->first);
    EXPECT_EQ(fromEve->header("Nickname"), "Eve");
    EXPECT_EQ(world.request("BRIDGE CONTACT ADD RESP", {{"Response-Id", fromEve->header("Request-Id")}}), 0u);

    // The user's own requests and removals.
    EXPECT_EQ(world.request("BRIDGE CONTACT ADD", {{"Name", "Fay@Example.net"}}, "I'd like to add you"), 0u);
    EXPECT_EQ(world.request("BRIDGE CONTACT ADD", {{"Name", "not an address"}}), code::kMalformed);
    EXPECT_EQ(world.request("BRIDGE CONTACT UPDATE",
                            {{"Contact-Id", world.contactsIn(*listed).begin()->first}, {"Remove", "1"}}),
              0u);
    EXPECT_EQ(world.request("BRIDGE CONTACT UPDATE", {{"Contact-Id", "424242"}, {"Remove", "1"}}),
              code::kNoSuchTarget);
    EXPECT_EQ(
        world.commands(),
        (std::vector<std::string>{"answer dan@example.net 1", "answer eve@example.net 0",
                                  "request fay@example.net I'd like to add you", "remove eve@example.net"}));
}

TEST(BridgeChats, ARoomIsOneChatIdForItsWholeLifeAndItsMembersComeAndGo) {
    BridgeWorld world;
    ASSERT_TRUE(world.switchOn(0));
    const std::string room = "lounge@rooms.example.net";
    auto join = [&](const char* nickname, bool joined, bool self = false) {
        world.network.play(world.server, 0, event::OccupantChanged{room, nickname, joined, self});
    };
    join("Annie", true, true);
    join("bob", true);
    join("cat", true);
    join("bob", true); // a status change in the room: no second join
    auto bob = world.ann->expect("BRIDGE CHAT CONTACT");
    auto cat = world.ann->expect("BRIDGE CHAT CONTACT");
    ASSERT_TRUE(bob && cat);
    std::string chatId = bob->header("Chat-Id");
    EXPECT_EQ(cat->header("Chat-Id"), chatId);
    EXPECT_EQ(bob->serialise(), "BRIDGE CHAT CONTACT\nbridge-id: " + std::to_string(world.bridge) +
                                    "\nchat-id: " + chatId + "\ncontact-id: " + bob->header("Contact-Id") +
                                    "\ncontent-length: 1\nname: " + room + "/bob\nnickname: bob\n\n\x01");

    // Messages of the room name the chat; the room's echo of the user's own
    // words does not come back.
    world.network.play(world.server, 0, event::RoomMessage{room, "bob", "hello all", false});
    world.network.play(world.server, 0, event::RoomMessage{room, "Annie", "my own words", false});
    world.network.play(world.server, 0, event::RoomMessage{room, "cat", "said before", true});
    auto hello = world.ann->expect("BRIDGE MESG");
    auto before = world.ann->expect("BRIDGE MESG");
    ASSERT_TRUE(hello && before);
    EXPECT_EQ(hello->header("Target-Id"), chatId);
    EXPECT_EQ(hello->header("Source-Id"), bob->header("Contact-Id"));
    EXPECT_EQ(hello->body(), "hello all");
    EXPECT_EQ(before->header("Hist"), "1");
    EXPECT_EQ(before->body(), "said before");

    // Writing to the room, leaving it and joining again: the same chat id,
    // the same member ids.
    EXPECT_EQ(
        world.ann->request(bridgePacket(
            "BRIDGE MESG", world.bridge,
            {{"Mesg-Target", "1"}, {"Target-Id", chatId}, {"Content-Type", "text/plain"}, {"Last", "1"}},
            "hi room")),
        code::kDone);
    EXPECT_EQ(world.request("BRIDGE CHAT LEAVE", {{"Chat-Id", chatId}}), 0u);
    join("Annie", false, true);
    auto gone1 = world.ann->expect("BRIDGE CHAT CONTACT");
    auto gone2 = world.ann->expect("BRIDGE CHAT CONTACT");
    ASSERT_TRUE(gone1 && gone2);
    EXPECT_EQ(gone1->body(), std::string(1, '\0'));
    EXPECT_EQ(world.request("BRIDGE CHAT LEAVE", {{"Chat-Id", chatId}}), code::kNoSuchTarget);
    EXPECT_EQ(world.request("BRIDGE CHAT JOIN", {{"Name", room}}), 0u);
    join("Annie", true, true);
    join("bob", true);
    auto back = world.ann->expect("BRIDGE CHAT CONTACT");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->header("Chat-Id"), chatId);
    EXPECT_EQ(back->header("Contact-Id"), bob->header("Contact-Id"));

    // Invitations are followed only from accepted contacts.
    world.network.play(world.server, 0, event::RosterChanged{{{"bob@example.net", "Bob", 0, false}}, true});
    world.network.play(world.server, 0,
                       event::RoomInvitation{"party@rooms.example.net", "bob@example.net", "pw"});
    world.network.play(world.server, 0,
                       event::RoomInvitation{"spam@rooms.example.net", "stranger@example.net", ""});
    EXPECT_EQ(world.commands(),
              (std::vector<std::string>{"room-message " + room + " hi room", "leave " + room,
                                        "join " + room + " Annie", "join party@rooms.example.net Annie pw"}));
}

TEST(BridgeRemoval, RemovingABridgeLogsItOutAndForgetsItForGood) {
    BridgeWorld world;
    ASSERT_TRUE(world.switchOn(0));
    EXPECT_EQ(world.ann->request(bridgePacket("BRIDGE UPDATE", world.bridge)), 0u);
    EXPECT_TRUE(world.network.login(world.server, 0).loggedOut);
    EXPECT_EQ(world.request("BRIDGE ON", {{"Online-Status", "1"}}), code::kNoSuchTarget);
    EXPECT_EQ(world.ann->request(bridgePacket("BRIDGE UPDATE", world.bridge)), code::kNoSuchTarget);
    world.ann->bye();
    auto again = Peer::signIn(world.server.port(), kAnn);
    ASSERT_TRUE(again);
    EXPECT_FALSE(again->profile.count("BRIDGE"));
    EXPECT_EQ(world.server.onServerThread([](Server& server) { return server.bridges().liveCount(); }), 0u);
}

TEST(BridgeSessions, TheEndOfTheSessionLogsTheBridgeOutAndAResumeKeepsItAndItsAnswers) {
    BridgeWorld world;
    ASSERT_TRUE(world.switchOn(0));
    // A request answered before the line dropped is answered again, not
    // carried out again, when the resumed client repeats it.
    uint64_t id =
        world.ann->send(bridgePacket("BRIDGE CONTACT ADD", world.bridge, {{"Name", "bob@example.net"}}));
    EXPECT_EQ(world.ann->codeFor(id), 0u);
    world.ann->send(bridgePacket("BRIDGE CONTACT ADD", world.bridge,
                                 {{"Name", "bob@example.net"}, {"Mesg-Id", std::to_string(id)}}));
    EXPECT_EQ(world.ann->codeFor(id), 0u);
    EXPECT_EQ(world.commands().size(), 1u);
    EXPECT_FALSE(world.network.login(world.server, 0).loggedOut);
    world.ann->bye();
    EXPECT_TRUE(world.network.login(world.server, 0).loggedOut);
}
