// Logon of a large account: from the connection's creation to the state
// "online" against a scripted server on loopback whose profile lists 10,000
// contacts and 200 groups of 50 members each, with the profile mirrored into
// the api's contacts and groups. The baselines are parsing the same profile
// bytes into a data map alone (RY_ParseDataMap) and decoding it fully (every
// nested map parsed, down to each group member's); the ratios are printed at
// the end, the one to the full decoding with its aim.
#include "connection.h"
#include "session_sync.h"
#include "support/loopback_peer.h"

#include "kestrova/api.h"
#include "kestrova/kit/settings.h"
#include "kestrova/net/mailbox_window.h"
#include "kestrova/wire/data_map.h"

#include <benchmark/benchmark.h>

#include "time_ratio_reporter.h"

#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

using namespace kestrova;
using namespace kestrova::connection;

namespace {

constexpr int kContacts = 10'000;
constexpr int kGroups = 200;
constexpr int kMembersPerGroup = 50;

testing::LoopbackPeer* gPeer = nullptr;
std::string gProfile;

std::string buildProfile() {
    wire::DataMapEntries contacts;
    for (int i = 0; i < kContacts; ++i) {
        std::string id = std::to_string(100'000 + i);
        contacts.emplace(id, wire::encodeDataMap({{"Username", "user" + id + "@example.org"},
                                                  {"Nickname", "User " + id},
                                                  {"Status", "around"},
                                                  {"Online-Status", std::to_string(i % 3)},
                                                  {"Device-Type", "3"},
                                                  {"contact", "1"},
                                                  {"state", "2"}}));
    }
    wire::DataMapEntries groups;
    for (int g = 0; g < kGroups; ++g) {
        wire::DataMapEntries group = {{"name", "Group " + std::to_string(g)}, {"desc", "a group"}};
        for (int m = 0; m < kMembersPerGroup; ++m)
            group.emplace(std::to_string(100'000 + (g * 37 + m) % kContacts),
                          wire::encodeDataMap({{"capabilities", "1"}}));
        groups.emplace(std::to_string(1'000 + g), wire::encodeDataMap(group));
    }
    return wire::encodeDataMap({{"Sub-Id", "42"},
                                {"Nickname", "Bench"},
                                {"contacts", wire::encodeDataMap(contacts)},
                                {"group_sub", wire::encodeDataMap(groups)}});
}

std::optional<std::string> waitForPacket(net::MailboxWindow& window) {
    auto guard = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < guard) {
        if (auto packet = gPeer->takePacket()) return packet;
        window.pumpWaiting(std::chrono::milliseconds(1));
    }
    return std::nullopt;
}

void ParseProfileMap(benchmark::State& state) {
    for (auto _ : state) {
        HDATAMAP map = RY_CreateDataMap();
        if (!RY_ParseDataMap(map, gProfile.data(), static_cast<uint32_t>(gProfile.size())))
            state.SkipWithError("the profile did not parse");
        RY_ReleaseDataMap(map);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * gProfile.size()));
}

// Every map of the profile parsed into one of its own: the contacts, each
// contact, the groups, each group and each of its members.
void DecodeProfileFully(benchmark::State& state) {
    auto bytesOf = [](const std::string& text) {
        return std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    };
    for (auto _ : state) {
        wire::DataMapEntries profile, contacts, groups;
        std::vector<wire::DataMapEntries> inner;
        inner.reserve(kContacts + kGroups * (kMembersPerGroup + 1));
        wire::parseDataMap(bytesOf(gProfile), profile);
        wire::parseDataMap(bytesOf(profile["contacts"]), contacts);
        wire::parseDataMap(bytesOf(profile["group_sub"]), groups);
        for (const auto& [id, contact] : contacts) wire::parseDataMap(bytesOf(contact), inner.emplace_back());
        for (const auto& [id, group] : groups) {
            wire::DataMapEntries& members = inner.emplace_back();
            wire::parseDataMap(bytesOf(group), members);
            for (const auto& [key, member] : members)
                if (key != "name" && key != "desc") wire::parseDataMap(bytesOf(member), inner.emplace_back());
        }
        if (inner.size() != kContacts + kGroups * (kMembersPerGroup + 1))
            state.SkipWithError("the profile did not decode");
        benchmark::DoNotOptimize(inner.data());
    }
}

void LogonToOnline(benchmark::State& state) {
    RecordedAlerts alerts;
    RecordedPower power;
    std::string profilePacket =
        "SUB PROFILE\ncontent-length: " + std::to_string(gProfile.size()) + "\n\n" + gProfile;
    for (auto _ : state) {
        net::MailboxWindow window;
        SessionSync objects;
        auto connection = std::make_unique<Connection>(ConnectionEnvironment{window, alerts, power, objects, false});
        objects.attach(*connection);
        bool ok = waitForPacket(window).has_value() && gPeer->send("AUTH\nencryption-type: 0\n\n") &&
                  waitForPacket(window).has_value() && gPeer->send(profilePacket);
        auto guard = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (ok && connection->state() != kStateOnline && std::chrono::steady_clock::now() < guard)
            window.pumpWaiting(std::chrono::milliseconds(1));
        if (!ok || connection->state() != kStateOnline || objects.contacts().size() < kContacts) {
            state.SkipWithError("the logon did not complete");
            break;
        }
        state.PauseTiming();
        connection.reset();  // says "BYE" and lets every contact go
        objects.detach();
        uint64_t id = 0;
        while (RY_EnumGroupsBegin(&id)) RY_DeleteGroup(id);
        while (gPeer->connectionOpen()) window.pumpWaiting(std::chrono::milliseconds(1));
        while (gPeer->takePacket()) {
        }  // the "BYE"
        state.ResumeTiming();
    }
}

BENCHMARK(ParseProfileMap)->Unit(benchmark::kMillisecond);
BENCHMARK(DecodeProfileFully)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(LogonToOnline)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    char pattern[] = "/tmp/kestrova-bench-XXXXXX";
    std::filesystem::path home = ::mkdtemp(pattern);
    ::setenv("KESTROVA_HOME", home.c_str(), 1);
    gProfile = buildProfile();
    std::printf("profile of %zu bytes\n", gProfile.size());
    {
        testing::LoopbackPeer peer;
        gPeer = &peer;
        kestrova::kit::writeSetting(kestrova::settings::kServerList,
                                    ("127.0.0.1:" + std::to_string(peer.port())).c_str());
        kestrova::kit::writeSetting(kestrova::settings::kUser, "bench@example.org");
        kestrova::kit::writeSetting(kestrova::settings::kPassword, "bench password");
        kestrova::bench::TimeRatioReporter reporter("ParseProfileMap");
        reporter.addAim("logon of 10,000 contacts and 200 groups / decoding its profile fully", "LogonToOnline/real_time",
                        "DecodeProfileFully/real_time", kestrova::bench::AtMost, 3.0);
        benchmark::RunSpecifiedBenchmarks(&reporter);
        benchmark::Shutdown();
        gPeer = nullptr;
    }
    RY_API_Cleanup();
    std::filesystem::remove_all(home);
    return 0;
}
