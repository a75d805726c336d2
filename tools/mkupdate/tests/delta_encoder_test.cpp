#include "delta_encoder.h"

#include "kestrova/wire/update_body.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

using namespace kestrova;
using namespace kestrova::mkupdate;

namespace {

std::string randomBytes(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string out(size, '\0');
    for (char& c : out)
        c = static_cast<char>(random());
    return out;
}

std::map<std::string, std::string> decode(const EncodedUpdate& encoded,
                                          const std::vector<ReleaseFile>& oldFiles) {
    std::map<std::string, std::string> byName, out;
    for (const auto& file : oldFiles)
        byName[file.name] = file.bytes;
    wire::UpdateBodyParse parsed = wire::parseUpdateBody(encoded.body);
    EXPECT_TRUE(parsed.ok());
    std::vector<std::string_view> sources;
    for (auto name : parsed.body.sources)
        sources.push_back(byName[std::string(name)]);
    for (const auto& target : parsed.body.targets)
        EXPECT_TRUE(wire::decodeUpdateTarget(target, sources, [&](std::string_view piece) {
            out[std::string(target.name)].append(piece);
            return true;
        }));
    return out;
}

} // namespace

TEST(DeltaEncoder, ASmallChangeToALargeFileGivesASmallBody) {
    std::string program = randomBytes(400000, 1);
    std::string changed = program;
    for (size_t at = 1000; at < changed.size(); at += 50000)
        changed[at] ^= 0x5A;                        // scattered bytes
    changed.insert(200000, "a few inserted bytes"); // and a shift
    std::string plugin = randomBytes(50000, 2);
    std::vector<ReleaseFile> oldFiles = {
        {"kestrova", program}, {"messaging.so", plugin}, {"unused.so", "zzz"}};
    std::vector<ReleaseFile> newFiles = {
        {"kestrova", changed}, {"messaging.so", plugin}, {"fresh.so", "brand new"}};

    EncodedUpdate encoded = encodeUpdate(oldFiles, newFiles);
    EXPECT_EQ(encoded.targets, (std::vector<std::string>{"kestrova", "fresh.so"}))
        << "unchanged files stay out";
    EXPECT_EQ(encoded.sources, std::vector<std::string>{"kestrova"}) << "only sources that are copied from";
    EXPECT_LT(encoded.body.size(), 400u) << "9 changes of a 400 kB file";
    auto decoded = decode(encoded, oldFiles);
    EXPECT_EQ(decoded["kestrova"], changed);
    EXPECT_EQ(decoded["fresh.so"], "brand new");
}

TEST(DeltaEncoder, PiecesMovedBetweenFilesAreCopiedFromWhereTheyWere) {
    std::string a = randomBytes(30000, 3), b = randomBytes(30000, 4);
    std::vector<ReleaseFile> oldFiles = {{"a.so", a}, {"b.so", b}};
    std::vector<ReleaseFile> newFiles = {{"a.so", b.substr(100, 20000) + a.substr(5000, 9000)}, {"b.so", b}};
    EncodedUpdate encoded = encodeUpdate(oldFiles, newFiles);
    EXPECT_LT(encoded.body.size(), 100u);
    EXPECT_EQ(decode(encoded, oldFiles)["a.so"], newFiles[0].bytes);
}

TEST(DeltaEncoder, ChangesCloseTogetherGoAsOneLiteralAndChangesFarApartAsCopiesBetweenThem) {
    // A rebuilt binary: one byte changed every `spacing` bytes of a region,
    // the rest lined up with the old file. A copy costs 9 bytes and each
    // literal 5 plus its bytes, so copying the run between two changes pays
    // only from 15 bytes on.
    auto bodyFor = [](size_t spacing) {
        std::string old = randomBytes(20000, 5), changed = old;
        for (size_t at = 5000; at < 5000 + 100 * spacing; at += spacing)
            changed[at] ^= 0x01;
        std::vector<ReleaseFile> oldFiles = {{"connection.so", old}};
        std::vector<ReleaseFile> newFiles = {{"connection.so", changed}};
        EncodedUpdate encoded = encodeUpdate(oldFiles, newFiles);
        EXPECT_EQ(decode(encoded, oldFiles)["connection.so"], changed);
        return encoded.body.size();
    };
    size_t overhead = 40; // the source list, the target's name and length
    // Every 8 bytes: one literal over the whole region and a copy each side.
    EXPECT_LE(bodyFor(8), overhead + 9 + 5 + 100 * 8 + 9);
    // Every 40 bytes: a one-byte literal and a copy per change.
    EXPECT_LE(bodyFor(40), overhead + 9 + 100 * (5 + 1 + 9));
    // Every 14 bytes both cost the same; every 16 the copies win by a byte each.
    EXPECT_LE(bodyFor(16), overhead + 9 + 100 * (5 + 1 + 9));
}

TEST(DeltaEncoder, ShortRunsThatReturnToEarlierAlignmentsAreCopiedWithoutALookup) {
    // New code made of 18-byte pieces taken in turn from two old files: too
    // short for the hash table to find every one, but each continues where
    // its file's last piece ended.
    std::string a = randomBytes(20000, 6), b = randomBytes(20000, 7), mixed;
    for (size_t piece = 0; piece < 200; ++piece)
        mixed += (piece % 2 ? b : a).substr(18 * (piece / 2) + 1000, 18);
    std::vector<ReleaseFile> oldFiles = {{"a.so", a}, {"b.so", b}};
    std::vector<ReleaseFile> newFiles = {{"a.so", mixed}, {"b.so", b}};
    EncodedUpdate encoded = encodeUpdate(oldFiles, newFiles);
    EXPECT_EQ(decode(encoded, oldFiles)["a.so"], mixed);
    EXPECT_LE(encoded.body.size(), 40 + 200 * 9) << "one copy per piece";
}
