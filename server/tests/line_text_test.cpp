// Texts that would break a line of a packet (a line feed, carriage return or
// NUL): the server refuses them where a client hands them over, and never
// writes them into a header, whatever its store holds from earlier days.
#include "peer.h"

#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::server;
using namespace kestrova::server::testing;

namespace {

constexpr uint32_t kTextBreaksLine = 16;

// A request written by hand: the writer would refuse these texts, a hostile
// client does not ask it. A carriage return survives the reader only when
// another one follows it on the line.
uint32_t rawRequest(Peer& peer, const std::string& command, const std::string& headerLines,
                    const std::string& body = {}) {
    static uint64_t nextId = 900000;
    uint64_t id = nextId++;
    peer.client->sendRaw(command + "\nmesg-id: " + std::to_string(id) + "\n" + headerLines +
                         "content-length: " + std::to_string(body.size()) + "\n\n" + body);
    return peer.codeFor(id).value_or(0xFFFFFFFF);
}

const std::string kNul(1, '\0');
const std::string kForgedSetting = "Eve\n\nSETTING\nname: connection.servers\nvalue: evil.example:1\n";

}  // namespace

TEST(LineTexts, EveryTextThatEndsUpInAHeaderIsRefusedWithItsOwnCode) {
    RunningServer server;
    uint64_t bobId = server.idOf(kBob);
    auto ann = Peer::signIn(server.port(), kAnn);
    auto bob = Peer::signIn(server.port(), kBob);
    ASSERT_TRUE(ann && bob);

    EXPECT_EQ(rawRequest(*ann, "CONTACT DETAIL", "nickname: Eve\rsource-id: 1\r\n"), kTextBreaksLine);
    EXPECT_EQ(rawRequest(*ann, "CONTACT DETAIL", "status: away" + kNul + "x\n"), kTextBreaksLine);
    EXPECT_EQ(ann->request(packet("SUB PROFILE UPDATE", {}, wire::encodeDataMap({{"Nickname", kForgedSetting}}))),
              kTextBreaksLine);
    EXPECT_EQ(ann->request(packet("SUB PROFILE UPDATE", {}, wire::encodeDataMap({{"Status", "a\rb"}}))),
              kTextBreaksLine);
    EXPECT_EQ(rawRequest(*ann, "GROUP CREATE", "name: Crew" + kNul + "x\n"), kTextBreaksLine);
    EXPECT_EQ(rawRequest(*ann, "GROUP CREATE", "desc: a\rb\r\nname: Crew\n"), kTextBreaksLine);
    EXPECT_EQ(ann->request(packet("CONTACT ADD", {{"Target-Id", std::to_string(bobId)}}, "Hi\n\nMESG\n")),
              kTextBreaksLine);
    EXPECT_EQ(rawRequest(*ann, "MESG",
                         "content-type: text/plain" + kNul +
                             "x\nlast: 1\nmesg-target: 0\ntarget-id: " + std::to_string(bobId) + "\n",
                         "hi"),
              kTextBreaksLine);

    // Nothing of it stuck: the group does not exist, and bob sees ann as
    // she was.
    EXPECT_EQ(bob->request(packet("GROUP SUBSCRIBE", {{"Name", "Crew"}})), 2u);
    uint64_t sent = ann->send(packet(
        "MESG",
        {{"Mesg-Target", "0"}, {"Target-Id", std::to_string(bobId)}, {"Content-Type", "text/plain"}, {"Last", "1"}},
        "hello"));
    EXPECT_EQ(ann->codeFor(sent), 4u);
    auto got = bob->expect("MESG");
    ASSERT_TRUE(got);
    EXPECT_EQ(got->header("name"), "Ann");
    EXPECT_EQ(got->body(), "hello");
}

TEST(LineTexts, WhatTheStoreKeptFromEarlierDaysCannotForgePackets) {
    RunningServer server;
    uint64_t annId = server.idOf(kAnn), bobId = server.idOf(kBob);
    // As a server that wrote any text into headers may have left them.
    server.onServerThread([&](Server& s) {
        s.accounts().setIdentity(annId, kForgedSetting, "");
        MessagingStore& store = s.messaging().store();
        store.storeChunk(bobId, 1, true, true, "MESG\nlast: 1\nname: " + kForgedSetting + "\nhi");
        store.storeChunk(bobId, 2, true, true, "MESG\ncontent-length: 2\nlast: 1\nmesg-id: 2\n\nok");
        HistoryEntry entry;
        entry.messageId = 3;
        entry.source = annId;
        entry.target = bobId;
        entry.contentType = "text/plain";
        entry.timeMicros = 1'700'000'000'000'000;
        entry.body = "from the history";
        store.addHistory(entry, 100);
    });
    auto ann = Peer::signIn(server.port(), kAnn);
    auto bob = Peer::signIn(server.port(), kBob);
    ASSERT_TRUE(ann && bob);

    // Ann's stored nickname cannot go into a message's "name".
    uint64_t sent = ann->send(packet(
        "MESG",
        {{"Mesg-Target", "0"}, {"Target-Id", std::to_string(bobId)}, {"Content-Type", "text/plain"}, {"Last", "1"}},
        "hello"));
    EXPECT_EQ(ann->codeFor(sent), kTextBreaksLine);

    // Of the stored chunks only the one that is a single packet goes out.
    EXPECT_EQ(bob->request(packet("MESG STORED", {{"Count", "0"}})), 4u);
    std::vector<wire::Packet> stored = bob->takeAll("MESG");
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].body(), "ok");

    // The history message written by ann is left out, its name being hers.
    uint64_t history = bob->send(packet(
        "MESG HIST", {{"From-Private", "1800000000.0"}, {"Source-Id", std::to_string(annId)}, {"Count", "-10"}}));
    EXPECT_EQ(bob->codeFor(history), 0u);
    EXPECT_EQ(bob->codeFor(history), 8u);
    EXPECT_TRUE(bob->sync());
    EXPECT_TRUE(bob->takeAll("MESG").empty());
    EXPECT_TRUE(bob->takeAll("SETTING").empty());
}
