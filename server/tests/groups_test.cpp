// Chat groups: creating, joining with and without a password, leaving, and
// an administrator's actions with the notices every member gets.
#include "peer.h"

#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::server;
using namespace kestrova::server::testing;

namespace {

wire::Packet create(const std::string& name, const std::string& password = {}) {
    wire::Packet p = packet("GROUP CREATE", {{"Name", name}, {"Desc", "Chat group"}}, password);
    return p;
}

// The id and entry of the group in a "group_sub" map.
std::optional<std::pair<uint64_t, wire::DataMapEntries>> groupIn(const wire::DataMapEntries& profile,
                                                                 const std::string& name) {
    auto groups = profile.find("group_sub");
    if (groups == profile.end()) return std::nullopt;
    for (const auto& [id, entry] : dataMap(groups->second)) {
        wire::DataMapEntries group = dataMap(entry);
        if (group["name"] == name) return std::pair{wire::readDecimalId(id), group};
    }
    return std::nullopt;
}

std::optional<std::pair<uint64_t, wire::DataMapEntries>> pushedGroup(Peer& peer, const std::string& name) {
    auto push = peer.expect("SUB PROFILE", [&](const wire::Packet& p) { return groupIn(dataMap(p.body()), name).has_value(); });
    if (!push) return std::nullopt;
    return groupIn(dataMap(push->body()), name);
}

std::string capabilitiesOf(wire::DataMapEntries& group, uint64_t member) {
    auto it = group.find(std::to_string(member));
    return it == group.end() ? "absent" : dataMap(it->second)["capabilities"];
}

bool isUpdate(const wire::Packet& p, uint64_t group, int type, uint64_t member) {
    auto map = dataMap(p.body());
    return map["Group-Id"] == std::to_string(group) && map["Type"] == std::to_string(type) &&
           map["Contact-Id"] == std::to_string(member);
}

}  // namespace

TEST(Groups, CreateAndSubscribeWithAndWithoutAPassword) {
    RunningServer server;
    uint64_t annId = server.idOf(kAnn), bobId = server.idOf(kBob);
    auto ann = Peer::signIn(server.port(), kAnn);
    auto bob = Peer::signIn(server.port(), kBob);
    ASSERT_TRUE(ann && bob);

    EXPECT_EQ(ann->request(create("Sailing")), 0u);
    auto created = pushedGroup(*ann, "Sailing");
    ASSERT_TRUE(created);
    // A copy, not a structured binding: lambdas below capture it.
    uint64_t groupId = created->first;
    auto entry = created->second;
    EXPECT_EQ(entry["desc"], "Chat group");
    EXPECT_EQ(capabilitiesOf(entry, annId), "1") << "the creator administers the group";
    EXPECT_EQ(ann->request(create("SAILING")), 11u) << "names are compared without case";

    EXPECT_EQ(bob->request(packet("GROUP SUBSCRIBE", {{"Name", "Sailing"}})), 0u);
    auto joined = pushedGroup(*bob, "Sailing");
    ASSERT_TRUE(joined);
    EXPECT_EQ(capabilitiesOf(joined->second, bobId), "0");
    EXPECT_EQ(capabilitiesOf(joined->second, annId), "1");
    auto update = ann->expect("GROUP UPDATE", [&](const wire::Packet& p) { return isUpdate(p, groupId, 0, bobId); });
    ASSERT_TRUE(update);
    EXPECT_EQ(dataMap(dataMap(dataMap(update->body())["contacts"])[std::to_string(bobId)])["Nickname"], "Bob");
    EXPECT_EQ(bob->request(packet("GROUP SUBSCRIBE", {{"Name", "Sailing"}})), 11u);
    EXPECT_EQ(bob->request(packet("GROUP SUBSCRIBE", {{"Name", "No such group"}})), 2u);

    EXPECT_EQ(ann->request(create("Locked", "s3cret")), 0u);
    EXPECT_EQ(bob->request(packet("GROUP SUBSCRIBE", {{"Name", "Locked"}}, "guess")), 13u);
    EXPECT_EQ(bob->request(packet("GROUP SUBSCRIBE", {{"Name", "Locked"}})), 13u);
    EXPECT_EQ(bob->request(packet("GROUP SUBSCRIBE", {{"Name", "Locked"}}, "s3cret")), 0u);

    bob->bye();
    auto again = Peer::signIn(server.port(), kBob);
    EXPECT_TRUE(groupIn(again->profile, "Sailing"));
    EXPECT_TRUE(groupIn(again->profile, "Locked"));
    EXPECT_EQ((*contactIn(again->profile, annId))["Nickname"], "Ann") << "fellow members are known by name";
}

TEST(Groups, AdministratorKicksAMemberAndEveryoneIsTold) {
    RunningServer server;
    uint64_t annId = server.idOf(kAnn), bobId = server.idOf(kBob), catId = server.idOf(kCat);
    auto ann = Peer::signIn(server.port(), kAnn);
    auto bob = Peer::signIn(server.port(), kBob);
    auto cat = Peer::signIn(server.port(), kCat);
    ASSERT_TRUE(ann && bob && cat);
    ASSERT_EQ(ann->request(create("Crew")), 0u);
    uint64_t groupId = pushedGroup(*ann, "Crew")->first;
    ASSERT_EQ(bob->request(packet("GROUP SUBSCRIBE", {{"Name", "Crew"}})), 0u);
    ASSERT_EQ(cat->request(packet("GROUP SUBSCRIBE", {{"Name", "Crew"}})), 0u);

    auto admin = [&](Peer& by, uint64_t target, int action) {
        return by.request(packet("GROUP ADMIN", {{"Group-Id", std::to_string(groupId)},
                                                 {"Target-Id", std::to_string(target)},
                                                 {"Action", std::to_string(action)}}));
    };
    EXPECT_EQ(admin(*bob, catId, 16), 13u) << "only an administrator may act";
    EXPECT_EQ(admin(*ann, catId, 16), 0u);
    for (Peer* member : {&*ann, &*bob, &*cat}) {
        auto notice = member->expect("GROUP ADMIN");
        ASSERT_TRUE(notice);
        EXPECT_EQ(notice->serialise(), "GROUP ADMIN\naction: 16\ngroup-id: " + std::to_string(groupId) +
                                           "\nsource-id: " + std::to_string(annId) +
                                           "\ntarget-id: " + std::to_string(catId) + "\n\n");
        EXPECT_TRUE(member->expect("GROUP UPDATE", [&](const wire::Packet& p) { return isUpdate(p, groupId, 1, catId); }));
    }
    EXPECT_EQ(cat->request(packet("MESG", {{"Mesg-Target", "1"}, {"Target-Id", std::to_string(groupId)},
                                           {"Content-Type", "text/plain"}, {"Last", "1"}}, "still here?")), 13u);
    EXPECT_EQ(admin(*ann, catId, 16), 2u) << "no longer a member";

    EXPECT_EQ(admin(*ann, bobId, 8), 0u);
    EXPECT_EQ(bob->request(packet("MESG", {{"Mesg-Target", "1"}, {"Target-Id", std::to_string(groupId)},
                                           {"Content-Type", "text/plain"}, {"Last", "1"}}, "hm")), 13u)
        << "a silenced member cannot talk";

    EXPECT_EQ(bob->request(packet("GROUP UNSUB", {{"Group-Id", std::to_string(groupId)}})), 0u);
    EXPECT_TRUE(ann->expect("GROUP UPDATE", [&](const wire::Packet& p) { return isUpdate(p, groupId, 1, bobId); }));
    EXPECT_EQ(bob->request(packet("GROUP UNSUB", {{"Group-Id", std::to_string(groupId)}})), 13u);
    EXPECT_EQ(bob->request(packet("GROUP UNSUB", {{"Group-Id", "999999"}})), 2u);

    EXPECT_EQ(ann->request(packet("GROUP UNSUB", {{"Group-Id", std::to_string(groupId)}})), 0u);
    EXPECT_EQ(bob->request(create("Crew")), 0u) << "the last member leaving frees the name";
}
