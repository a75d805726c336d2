#include "kestrova/wire/update_body.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace kestrova::wire;
using namespace std::string_literals;

namespace {

std::string be32(uint32_t v) {
    return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}
std::string literalOp(const std::string& bytes) {
    return "\0"s + be32(uint32_t(bytes.size())) + bytes;
}
std::string copyOp(uint8_t source, uint32_t offset, uint32_t length) {
    return std::string(1, char(source)) + be32(offset) + be32(length);
}
std::string target(const std::string& name, const std::string& stream) {
    return name + "\0"s + be32(uint32_t(stream.size())) + stream;
}

// Decodes every target of a body against the given sources.
std::vector<std::pair<std::string, std::string>> decodeAll(const std::string& bytes,
                                                           const std::vector<std::string>& sources) {
    UpdateBodyParse parsed = parseUpdateBody(bytes);
    EXPECT_TRUE(parsed.ok()) << describe(parsed.error);
    std::vector<uint64_t> sizes;
    std::vector<std::string_view> views;
    for (const auto& source : sources) {
        sizes.push_back(source.size());
        views.push_back(source);
    }
    EXPECT_EQ(checkCopies(parsed.body, sizes), UpdateBodyError::None);
    std::vector<std::pair<std::string, std::string>> out;
    for (const auto& t : parsed.body.targets) {
        std::string bytesOut;
        EXPECT_TRUE(decodeUpdateTarget(t, views, [&](std::string_view piece) {
            bytesOut.append(piece);
            return true;
        }));
        out.emplace_back(std::string(t.name), bytesOut);
    }
    return out;
}

} // namespace

TEST(UpdateBody, HandWrittenBodiesDecodeAsTheFormatSays) {
    // No sources, one literal: a file made from scratch.
    auto scratch = decodeAll("\0"s + target("changelog.txt", literalOp("Fixed things.\n")), {});
    ASSERT_EQ(scratch.size(), 1u);
    EXPECT_EQ(scratch[0].first, "changelog.txt");
    EXPECT_EQ(scratch[0].second, "Fixed things.\n");

    // Source 1 whole reproduces it; pieces of two sources and literals mix.
    std::string old1 = "0123456789", old2 = "abcdef";
    std::string body =
        "kestrova,libapi.so\0"s + target("kestrova", copyOp(1, 0, 10)) +
        target("libapi.so", copyOp(2, 4, 2) + literalOp("XY") + copyOp(1, 3, 2) + copyOp(2, 0, 1));
    auto mixed = decodeAll(body, {old1, old2});
    ASSERT_EQ(mixed.size(), 2u);
    EXPECT_EQ(mixed[0].second, old1);
    EXPECT_EQ(mixed[1].second, "efXY34a");
}

TEST(UpdateBody, WriterMergesPiecesAndRoundTrips) {
    UpdateBodyWriter writer({"a.so", "b.so"});
    writer.beginTarget("a.so");
    writer.copy(1, 0, 3);
    writer.copy(1, 3, 4); // contiguous: one instruction
    writer.literal("he");
    writer.literal("llo"); // adjacent: one literal
    writer.copy(2, 1, 0);  // empty: nothing
    writer.copy(2, 1, 2);
    writer.beginTarget("empty");
    writer.endTarget();
    std::string body = writer.finish();
    EXPECT_EQ(body, "a.so,b.so\0"s + target("a.so", copyOp(1, 0, 7) + literalOp("hello") + copyOp(2, 1, 2)) +
                        target("empty", ""));
    auto decoded = decodeAll(body, {"ABCDEFGH", "xyz"});
    EXPECT_EQ(decoded[0].second, "ABCDEFGhelloyz");
    EXPECT_EQ(decoded[1].second, "");
}

TEST(UpdateBody, UnsafeNamesAreRefused) {
    for (std::string name :
         {"/etc/passwd", "..", "../kestrova", "a/b", "a\\b", "x..y", "", ".", "libapi.so.new", "kestrova.old",
          "kestrova-update.journal", "bad\nname", "\xff\xfe", "\xc0\xaf"}) {
        EXPECT_FALSE(isSafeUpdateFileName(name)) << name;
        EXPECT_EQ(parseUpdateBody("\0"s + target(name, "")).error, UpdateBodyError::BadTargetName) << name;
        if (!name.empty()) {
            EXPECT_EQ(parseUpdateBody(name + "\0"s).error, UpdateBodyError::BadSourceName) << name;
        }
    }
    for (std::string name : {"kestrova", "libapi.so", "changelog.txt", "caf\xc3\xa9.so", ".hidden"})
        EXPECT_TRUE(isSafeUpdateFileName(name)) << name;
}

TEST(UpdateBody, MalformedBodiesAreRefusedWithTheirReason) {
    struct Case {
        const char* what;
        std::string body;
        UpdateBodyError error;
    };
    const std::vector<Case> cases = {
        {"no zero byte after the sources", "a,b", UpdateBodyError::UnterminatedSourceList},
        {"empty source between commas", "a,,b\0"s, UpdateBodyError::BadSourceName},
        {"source named twice", "a,a\0"s, UpdateBodyError::BadSourceName},
        {"target named twice", "\0"s + target("x", "") + target("x", ""), UpdateBodyError::BadTargetName},
        {"target name without zero", "\0x"s, UpdateBodyError::UnterminatedTargetName},
        {"stream length cut", "\0x\0\0\0"s, UpdateBodyError::StreamBeyondBody},
        {"stream longer than body", "\0x\0"s + be32(10) + literalOp("ab"), UpdateBodyError::StreamBeyondBody},
        {"literal longer than stream", "\0"s + target("x", "\0"s + be32(5) + "ab"),
         UpdateBodyError::TruncatedInstruction},
        {"copy cut short", "a\0"s + target("x", copyOp(1, 0, 1).substr(0, 6)),
         UpdateBodyError::TruncatedInstruction},
        {"copy from a source beyond the list", "a\0"s + target("x", copyOp(2, 0, 1)),
         UpdateBodyError::NoSuchSource},
        {"copy with no sources at all", "\0"s + target("x", copyOp(1, 0, 0)), UpdateBodyError::NoSuchSource},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseUpdateBody(c.body).error, c.error) << c.what;
}

TEST(UpdateBody, CopiesAreCheckedAgainstTheSourcesBeforeDecoding) {
    std::string body = "a\0"s + target("x", copyOp(1, 8, 2));
    UpdateBodyParse parsed = parseUpdateBody(body);
    ASSERT_TRUE(parsed.ok());
    std::vector<uint64_t> fits = {10}, tooShort = {9};
    EXPECT_EQ(checkCopies(parsed.body, fits), UpdateBodyError::None);
    EXPECT_EQ(checkCopies(parsed.body, tooShort), UpdateBodyError::CopyBeyondSource);
    // Offset + length past 4 GiB must not wrap around.
    std::string wrapping = "a\0"s + target("x", copyOp(1, 0xFFFFFFFF, 2));
    UpdateBodyParse wrap = parseUpdateBody(wrapping);
    EXPECT_EQ(checkCopies(wrap.body, fits), UpdateBodyError::CopyBeyondSource);
    // The decoder checks again on its own and stops without reading outside.
    std::string shortSource = "123456789";
    std::vector<std::string_view> views = {shortSource};
    EXPECT_FALSE(decodeUpdateTarget(parsed.body.targets[0], views, [](std::string_view) { return true; }));

    UpdateBodyLimits limits;
    limits.maxTargetBytes = 1;
    EXPECT_EQ(checkCopies(parsed.body, fits, limits), UpdateBodyError::TargetTooLarge);
}
