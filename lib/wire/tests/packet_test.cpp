#include "kestrova/wire/packet.h"

#include <gtest/gtest.h>

using namespace kestrova::wire;

TEST(PacketWriting, EmptyBodyGivesCommandHeadersAndBlankLineOnly) {
    Packet packet("P");
    packet.setHeader("PS", int32_t(7));
    EXPECT_EQ(packet.serialise(), "P\nps: 7\n\n");
    EXPECT_EQ(Packet("BYE").serialise(), "BYE\n\n");
}

TEST(PacketWriting, HeadersGoOutFoldedInAscendingOrderWithTheBodyLength) {
    Packet packet("MESG");
    packet.setHeader("Target-Id", uint64_t(18446744073709551615u));
    packet.setHeader("Mesg-Id", uint64_t(32768));
    packet.setBody("hello");
    EXPECT_EQ(packet.serialise(),
              "MESG\ncontent-length: 5\nmesg-id: 32768\ntarget-id: 18446744073709551615\n\nhello");
}

TEST(PacketWriting, BodyLengthReplacesAnyLengthSetBefore) {
    Packet packet("MESG");
    packet.setHeader("Content-Length", int32_t(99));
    packet.setBody(std::string("a\0b", 3));
    EXPECT_EQ(packet.serialise(), std::string("MESG\ncontent-length: 3\n\na\0b", 27));
}

TEST(PacketWriting, ExplicitZeroLengthIsKeptForAnEmptyBody) {
    Packet packet("GROUP CREATE");
    packet.setHeader("Name", "Friends");
    packet.setHeader("Content-Length", int32_t(0));
    EXPECT_EQ(packet.serialise(), "GROUP CREATE\ncontent-length: 0\nname: Friends\n\n");
}

TEST(PacketWriting, EmptyValuesAreNotWritten) {
    Packet packet("CONTACT DETAIL");
    packet.setHeader("Nickname", "");
    packet.setHeader("Status", "away");
    EXPECT_EQ(packet.serialise(), "CONTACT DETAIL\nstatus: away\n\n");
}

TEST(PacketWriting, VerbatimNameKeepsItsCaseAndSortsFirst) {
    Packet packet("LOGON");
    packet.setHeader("Protocol-Version", "2.0");
    packet.setHeader("App-Type", "SmartPhone");
    packet.setHeader("Name", "ann@example.org");
    packet.setHeaderVerbatim("Operator", "PC_CLIENT");
    EXPECT_EQ(packet.serialise(),
              "LOGON\nOperator: PC_CLIENT\napp-type: SmartPhone\nname: ann@example.org\nprotocol-version: 2.0\n\n");
}

TEST(PacketHeaders, LookupIgnoresCaseAndStoringTwiceReplaces) {
    Packet packet("GROUP ADMIN");
    packet.setHeader("Group-ID", "5");
    packet.setHeader("group-id", "6");
    EXPECT_EQ(packet.header("Group-Id"), "6");
    EXPECT_EQ(packet.headers().size(), 1u);
    EXPECT_TRUE(packet.hasHeader("GROUP-ID"));
    EXPECT_FALSE(packet.hasHeader("Target-Id"));
    EXPECT_EQ(packet.header("Target-Id"), "");
}

TEST(PacketHeaders, PresenceDoesNotDependOnTheValue) {
    Packet packet("MESG");
    packet.setHeader("Last", "");
    EXPECT_TRUE(packet.hasHeader("Last"));
    EXPECT_EQ(packet.headerInt("Last"), 0);
}

TEST(PacketHeaders, ThirtyTwoBitReadsFollowAtoi) {
    Packet packet("X");
    const std::pair<const char*, int32_t> cases[] = {
        {"42", 42}, {"  -17", -17}, {"+8", 8}, {"12abc", 12}, {"abc", 0}, {"", 0},
        {"2147483647", 2147483647}, {"99999999999", 2147483647}, {"-99999999999", -2147483647 - 1},
    };
    for (const auto& [text, expected] : cases) {
        packet.setHeader("N", text);
        EXPECT_EQ(packet.headerInt("n"), expected) << text;
    }
    EXPECT_EQ(packet.headerInt("missing"), 0);
}

TEST(PacketHeaders, SixtyFourBitReadsTakeOnlyTheLeadingDigits) {
    Packet packet("X");
    const std::pair<const char*, uint64_t> cases[] = {
        {"18446744073709551615", 18446744073709551615u}, {"123abc", 123}, {"-5", 0}, {" 5", 0}, {"", 0},
    };
    for (const auto& [text, expected] : cases) {
        packet.setHeader("Id", text);
        EXPECT_EQ(packet.headerId("ID"), expected) << text;
    }
    EXPECT_EQ(packet.headerId("missing"), 0u);
}

TEST(PacketWriting, TextsThatWouldBreakALineAreNeverWritten) {
    // A line break in a value would let the rest be read as headers or as a
    // whole packet of the sender's choosing; a NUL ends the text for some
    // readers. None of them is written, and the caller learns it.
    const std::string forged = "Eve\n\nMESG\nsource-id: 1\n\nhi";
    for (std::string bad : {forged, std::string("Eve\rX"), std::string("Eve\0X", 5)}) {
        Packet packet("CONTACT DETAIL");
        packet.setHeader("Nickname", bad);
        EXPECT_FALSE(packet.writable());
        EXPECT_FALSE(packet.serialise());
        std::string out = "kept";
        EXPECT_FALSE(packet.serialiseTo(out));
        EXPECT_EQ(out, "kept");
    }
    EXPECT_FALSE(Packet("MESG\nSETTING").serialise());
    Packet colonInName("X");
    colonInName.setHeaderVerbatim("a: b", "c");
    EXPECT_FALSE(colonInName.serialise());

    Packet fine("CONTACT DETAIL");
    fine.setHeader("Nickname", "Eve: \t the \"first\"");
    fine.setHeader("Status", std::string("\0", 1));
    fine.setHeader("Status", "");  // replaced by an empty value, which is not written
    EXPECT_EQ(fine.serialise(), "CONTACT DETAIL\nnickname: Eve: \t the \"first\"\n\n");
    EXPECT_TRUE(isLineText("anything else \x01\x7f\xff"));
}
