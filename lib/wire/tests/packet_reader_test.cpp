#include "kestrova/wire/packet_reader.h"
#include "kestrova/wire/packet_receiver.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <new>
#include <vector>

using namespace kestrova::wire;

// Every allocation of this test program is counted while a test asks for it.
namespace {
std::atomic<bool> gCountAllocations{false};
std::atomic<size_t> gAllocations{0};
}  // namespace

namespace {
// Out of line, so that the compiler does not pair a delete it sees inlined
// with the malloc behind the replaced new.
[[gnu::noinline]] void* allocate(size_t size) { return std::malloc(size ? size : 1); }
[[gnu::noinline]] void release(void* memory) { std::free(memory); }
}  // namespace

void* operator new(size_t size) {
    if (gCountAllocations) ++gAllocations;
    if (void* memory = allocate(size)) return memory;
    throw std::bad_alloc();
}
void operator delete(void* memory) noexcept { release(memory); }
void operator delete(void* memory, size_t) noexcept { release(memory); }

namespace {

struct Expected {
    std::string command;
    PacketHeaders headers;
    std::string body;
};

struct Outcome {
    std::vector<Packet> packets;
    ReadStatus last = ReadStatus::Partial;
    ReadError error = ReadError::None;
};

// Feeds the stream in the pieces `cut` gives, the way a socket delivers it,
// through the receiver that keeps unconsumed bytes.
Outcome receiveInPieces(const std::string& stream, const std::vector<size_t>& cuts, ReaderLimits limits = {}) {
    PacketReceiver receiver(limits);
    Outcome outcome;
    size_t from = 0;
    std::vector<size_t> ends(cuts);
    ends.push_back(stream.size());
    for (size_t to : ends) {
        receiver.append(std::string_view(stream).substr(from, to - from));
        from = to;
        Packet packet;
        while ((outcome.last = receiver.next(packet)) == ReadStatus::Complete) outcome.packets.push_back(packet);
        if (outcome.last == ReadStatus::Error) {
            outcome.error = receiver.error();
            break;
        }
    }
    return outcome;
}

// The bare reader with a caller-kept buffer, as picohttpparser users do it.
Outcome readWithOwnBuffer(const std::string& stream, size_t step) {
    PacketReader reader;
    Outcome outcome;
    std::string pending;
    for (size_t from = 0; from < stream.size() || from == 0; from += step) {
        pending += stream.substr(from, step);
        for (;;) {
            ReadResult result = reader.read(pending);
            pending.erase(0, result.consumed);
            outcome.last = result.status;
            if (result.status != ReadStatus::Complete) {
                outcome.error = result.error;
                break;
            }
            outcome.packets.push_back(reader.takePacket());
        }
        if (outcome.last == ReadStatus::Error || stream.empty()) break;
    }
    return outcome;
}

void expectPackets(const Outcome& outcome, const std::vector<Expected>& expected, const std::string& how) {
    ASSERT_EQ(outcome.packets.size(), expected.size()) << how;
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(outcome.packets[i].command(), expected[i].command) << how << " packet " << i;
        EXPECT_EQ(outcome.packets[i].headers(), expected[i].headers) << how << " packet " << i;
        EXPECT_EQ(outcome.packets[i].body(), expected[i].body) << how << " packet " << i;
    }
}

// Every vector is read whole, split once at every byte, and byte by byte,
// through both the receiver and the bare reader; all must agree.
void expectEverySplit(const std::string& stream, const std::vector<Expected>& expected) {
    expectPackets(receiveInPieces(stream, {}), expected, "whole");
    for (size_t cut = 0; cut <= stream.size(); ++cut)
        expectPackets(receiveInPieces(stream, {cut}), expected, "split at " + std::to_string(cut));
    std::vector<size_t> everyByte;
    for (size_t cut = 1; cut < stream.size(); ++cut) everyByte.push_back(cut);
    expectPackets(receiveInPieces(stream, everyByte), expected, "byte by byte");
    expectPackets(readWithOwnBuffer(stream, 1), expected, "own buffer byte by byte");
    expectPackets(readWithOwnBuffer(stream, stream.size() + 1), expected, "own buffer whole");
}

void expectError(const std::string& stream, ReadError error, ReaderLimits limits = {}) {
    Outcome whole = receiveInPieces(stream, {}, limits);
    EXPECT_EQ(whole.last, ReadStatus::Error);
    EXPECT_EQ(whole.error, error) << describe(whole.error);
    std::vector<size_t> pieces;
    for (size_t cut = 7; cut < stream.size(); cut += 7) pieces.push_back(cut);
    Outcome split = receiveInPieces(stream, pieces, limits);
    EXPECT_EQ(split.last, ReadStatus::Error);
    EXPECT_EQ(split.error, error) << describe(split.error);
}

}  // namespace

TEST(PacketReading, CommandHeadersAndBody) {
    expectEverySplit("MESG\nMesg-Id: 7\nContent-Length: 5\n\nhello",
                     {{"MESG", {{"mesg-id", "7"}, {"content-length", "5"}}, "hello"}});
}

TEST(PacketReading, WholeCommandLineWithSpacesIsTheCommand) {
    expectEverySplit("BRIDGE CONTACT ADD\nBridge-Id: 3\n\n", {{"BRIDGE CONTACT ADD", {{"bridge-id", "3"}}, ""}});
}

TEST(PacketReading, CarriageReturnLineEndsAreAccepted) {
    expectEverySplit("P\r\nPS: 4\r\n\r\nBYE\r\n\r\n", {{"P", {{"ps", "4"}}, ""}, {"BYE", {}, ""}});
}

TEST(PacketReading, LinesAreCutAtTheirLastCarriageReturn) {
    expectEverySplit("A\rB\rC\nX-Y: 1\r2\r\n\n", {{"A\rB", {{"x-y", "1\r2"}}, ""}});
}

TEST(PacketReading, ExactlyOneSpaceAfterTheColonIsRemoved) {
    expectEverySplit("X\nA:  two\nB:none\nC: \nD:\n\n",
                     {{"X", {{"a", " two"}, {"b", "none"}, {"c", ""}, {"d", ""}}, ""}});
}

TEST(PacketReading, HeaderNamesAreFoldedAndTheLastOfTwoWins) {
    expectEverySplit("GROUP ADMIN\nGroup-ID: 1\ngroup-id: 2\nTARGET-ID: 3\n\n",
                     {{"GROUP ADMIN", {{"group-id", "2"}, {"target-id", "3"}}, ""}});
}

TEST(PacketReading, HeadersInAnyOrderComeOutSortedWithTheLastOfEqualNames) {
    expectEverySplit("MESG\nz: 1\nC: 2\ncontent-length: 2\nb: 3\nc: 4\na: 5\nB: 6\n\nhiP\n\n",
                     {{"MESG", {{"a", "5"}, {"b", "6"}, {"c", "4"}, {"content-length", "2"}, {"z", "1"}}, "hi"},
                      {"P", {}, ""}});
    // A packet read out of order takes further headers in their place.
    Outcome outcome = receiveInPieces("X\nb: 1\na: 2\n\n", {});
    ASSERT_EQ(outcome.packets.size(), 1u);
    Packet& packet = outcome.packets[0];
    packet.setHeader("C", "3");
    packet.setHeader("A", "4");
    EXPECT_EQ(packet.serialise(), "X\na: 4\nb: 1\nc: 3\n\n");
}

TEST(PacketReading, AReaderThatReusesItsPacketStopsAllocatingHeadersInAnyOrder) {
    const std::string stream = "MESG\nz: 1\nY: 22\nmesg-id: 5\ncontent-length: 3\nY: 23\n\nabcP\nps: 4\n\n";
    PacketReceiver receiver;
    Packet packet;
    size_t packets = 0;
    auto readAll = [&] {
        receiver.append(stream);
        while (receiver.next(packet) == ReadStatus::Complete) ++packets;
    };
    for (int i = 0; i < 4; ++i) readAll();
    gAllocations = 0;
    gCountAllocations = true;
    for (int i = 0; i < 100; ++i) readAll();
    gCountAllocations = false;
    EXPECT_EQ(gAllocations, 0u);
    EXPECT_EQ(packets, 208u);
}

TEST(PacketReading, ValueKeepsLaterColons) {
    expectEverySplit("SETTING\nName: Connection/Servers/List\nValue: a:1,b:2\n\n",
                     {{"SETTING", {{"name", "Connection/Servers/List"}, {"value", "a:1,b:2"}}, ""}});
}

TEST(PacketReading, BodyMayHoldLineFeedsAndZeroBytes) {
    std::string body("\n\n\0\r\nx", 6);
    expectEverySplit("SUB PROFILE\ncontent-length: 6\n\n" + body + "P\n\n",
                     {{"SUB PROFILE", {{"content-length", "6"}}, body}, {"P", {}, ""}});
}

TEST(PacketReading, TwoPacketsInOneRead) {
    std::string code("\0\0\0\4", 4);
    expectEverySplit("P\n\nRESPONSE\nMesg-Id: 9\nContent-Length: 4\n\n" + code,
                     {{"P", {}, ""}, {"RESPONSE", {{"mesg-id", "9"}, {"content-length", "4"}}, code}});
}

TEST(PacketReading, ZeroLengthBodyLeavesTheFollowingBytesForTheNextPacket) {
    expectEverySplit("GROUP CREATE\nContent-Length: 0\n\nP\n\n",
                     {{"GROUP CREATE", {{"content-length", "0"}}, ""}, {"P", {}, ""}});
}

TEST(PacketReading, NonNumericLengthMeansNoBody) {
    expectEverySplit("MESG\nContent-Length: many\n\nP\n\n",
                     {{"MESG", {{"content-length", "many"}}, ""}, {"P", {}, ""}});
}

TEST(PacketReading, HeaderLineWithoutColonIsDroppedAndReadingGoesOn) {
    // Arriving whole, the packet must come out at once: nothing more may ever
    // come from the peer until it has been answered.
    expectEverySplit("AUTH\nno colon here\nEncryption-Type: 1\n\n", {{"AUTH", {{"encryption-type", "1"}}, ""}});
}

TEST(PacketReading, BlankLineBeforeACommandIsAnEmptyCommand) {
    expectEverySplit("\nP\n\n", {{"", {}, ""}});
}

TEST(PacketReading, IncompleteInputStaysPartial) {
    for (std::string stream : {"", "P", "P\n", "P\nPS: 1", "MESG\nContent-Length: 3\n\nab"}) {
        Outcome outcome = receiveInPieces(stream, {});
        EXPECT_EQ(outcome.last, ReadStatus::Partial) << stream;
        EXPECT_TRUE(outcome.packets.empty()) << stream;
    }
}

TEST(PacketReading, ResetForgetsAPartialPacket) {
    PacketReceiver receiver;
    receiver.append("MESG\nContent-Length: 10\n\nabc");
    Packet packet;
    EXPECT_EQ(receiver.next(packet), ReadStatus::Partial);
    receiver.clear();
    receiver.append("P\n\n");
    ASSERT_EQ(receiver.next(packet), ReadStatus::Complete);
    EXPECT_EQ(packet.command(), "P");
    EXPECT_EQ(receiver.buffered(), 0u);
}

TEST(PacketReading, LargeBodyArrivingInSocketSizedReads) {
    std::string body(5 * 1024 * 1024 + 3, '\0');
    for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>(i * 131 + (i >> 12));
    std::string stream = "PHOTO\nContent-Length: " + std::to_string(body.size()) + "\n\n" + body + "P\n\n";
    std::vector<size_t> cuts;
    for (size_t cut = 4096; cut < stream.size(); cut += 4096) cuts.push_back(cut);
    Outcome outcome = receiveInPieces(stream, cuts);
    ASSERT_EQ(outcome.packets.size(), 2u);
    EXPECT_EQ(outcome.packets[0].body(), body);
    EXPECT_EQ(outcome.packets[1].command(), "P");
}

TEST(MalformedPackets, LengthBeyondTheBodyLimit) {
    expectError("MESG\nContent-Length: 16777217\n\n", ReadError::BodyTooLarge);
    expectError("MESG\nContent-Length: 99999999999999\n\n", ReadError::BodyTooLarge);
    Outcome atLimit = receiveInPieces("MESG\nContent-Length: 16777216\n\n", {});
    EXPECT_EQ(atLimit.last, ReadStatus::Partial);
}

TEST(MalformedPackets, NegativeLength) {
    expectError("MESG\nContent-Length: -1\n\nP\n\n", ReadError::NegativeLength);
}

TEST(MalformedPackets, CommandLineBeyondTheLineLimitWithoutALineFeed) {
    ReaderLimits limits;
    limits.maxLine = 100;
    expectError(std::string(101, 'x'), ReadError::LineTooLong, limits);
    Outcome fits = receiveInPieces(std::string(100, 'x'), {}, limits);
    EXPECT_EQ(fits.last, ReadStatus::Partial);
}

TEST(MalformedPackets, HeaderLineBeyondTheLineLimit) {
    ReaderLimits limits;
    limits.maxLine = 100;
    expectError("MESG\nName: " + std::string(200, 'n') + "\n\n", ReadError::LineTooLong, limits);
}

TEST(MalformedPackets, EndlessHeaderLines) {
    // Lines without a colon are dropped, but they count.
    std::string stream = "MESG\n";
    for (int i = 0; i < 20000; ++i) stream += "X-Filler 0123456789\n";
    expectError(stream, ReadError::HeadersTooLarge);
}

TEST(MalformedPackets, MoreHeadersThanTheCountLimit) {
    ReaderLimits limits;
    limits.maxHeaders = 3;
    Outcome fits = receiveInPieces("X\nc: 1\nb: 2\nno colon\na: 3\n\n", {}, limits);
    ASSERT_EQ(fits.packets.size(), 1u);
    expectError("X\nc: 1\nb: 2\na: 3\nd: 4\n\n", ReadError::TooManyHeaders, limits);
    std::string stream = "X\n";
    for (int i = 0; i < 129; ++i) stream += "h" + std::to_string(i) + ": v\n";
    expectError(stream, ReadError::TooManyHeaders);
}

TEST(MalformedPackets, ReaderStaysFailedUntilReset) {
    PacketReader reader;
    EXPECT_EQ(reader.read("X\nContent-Length: -4\n\n").status, ReadStatus::Error);
    ReadResult again = reader.read("P\n\n");
    EXPECT_EQ(again.status, ReadStatus::Error);
    EXPECT_EQ(again.consumed, 0u);
    reader.reset();
    EXPECT_EQ(reader.read("P\n\n").status, ReadStatus::Complete);
}

TEST(PacketRoundTrip, WrittenPacketsReadBackUnchanged) {
    Packet packet("MESG");
    packet.setHeader("Mesg-Id", uint64_t(40000));
    packet.setHeader("Content-Type", "text/plain");
    packet.setHeader("Status", "  padded");
    packet.setBody(std::string("\0\n\r\n", 4));
    PacketReceiver receiver;
    receiver.append(packet.serialise().value());
    Packet back;
    ASSERT_EQ(receiver.next(back), ReadStatus::Complete);
    EXPECT_EQ(back.command(), "MESG");
    EXPECT_EQ(back.header("status"), "  padded");
    EXPECT_EQ(back.headerId("Mesg-Id"), 40000u);
    EXPECT_EQ(back.headerInt("Content-Length"), 4);
    EXPECT_EQ(back.body(), packet.body());
}
