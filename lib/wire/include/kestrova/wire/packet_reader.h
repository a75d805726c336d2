// The incremental packet reader: an explicit, resumable state machine that
// cuts packets out of a byte stream however the stream was split into reads.
//
// read() consumes bytes from the front of its input: every complete line, and
// body bytes as far as they go. An incomplete line is left unconsumed; the
// caller keeps it and offers it again with the bytes that follow. The result
// says whether a packet is complete, more bytes are needed, or the stream is
// malformed beyond the limits (the connection should then be closed).
//
// Line rules: a line ends at a line feed and is cut at its last carriage
// return, so CR LF line ends are accepted. The first line is the command;
// header lines follow until an empty line; a header line without a colon is
// dropped; the value loses exactly one space after the colon. The body is as
// long as "Content-Length" read as a 32-bit number; 0, absent or not numeric
// means no body.
#pragma once

#include "kestrova/wire/packet.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kestrova::wire {

enum class ReadStatus { Complete, Partial, Error };

enum class ReadError {
    None,
    LineTooLong,      // a command or header line beyond the line limit
    HeadersTooLarge,  // the header lines of one packet beyond the header limit
    TooManyHeaders,   // more header lines than the header count limit
    BodyTooLarge,     // "Content-Length" beyond the body limit
    NegativeLength,   // "Content-Length" below zero
};

const char* describe(ReadError error);

struct ReadResult {
    ReadStatus status;
    size_t consumed;  // bytes taken from the front of the input
    ReadError error = ReadError::None;
};

struct ReaderLimits {
    size_t maxLine = 64 * 1024;
    size_t maxHeaderBytes = 256 * 1024;
    // A packet of the protocol has about ten headers.
    size_t maxHeaders = 128;
    size_t maxBody = 16 * 1024 * 1024;
    // Without a "Content-Length" header the body runs until the stream ends
    // (endOfStream()), as in an HTTP response; bounded by maxBody all the same.
    bool bodyUntilClose = false;
};

class PacketReader {
public:
    enum class State { CommandLine, Headers, Body, Complete, Failed };

    explicit PacketReader(ReaderLimits limits = {}) : limits_(limits) {}

    const ReaderLimits& limits() const { return limits_; }
    // The limits apply to every byte read from then on.
    void setLimits(const ReaderLimits& limits) { limits_ = limits; }

    // In state Complete nothing is consumed until takePacket(); in state
    // Failed nothing is consumed until reset().
    ReadResult read(std::string_view input);

    State state() const { return state_; }
    ReadError error() const { return error_; }
    const Packet& packet() const { return current_; }
    // Hands over the complete packet and starts on the next one.
    Packet takePacket();
    // Swaps the complete packet into out and starts on the next one, reusing
    // the storage out held before: a caller that passes the same packet each
    // time reads without allocating once the sizes have settled.
    void takePacketInto(Packet& out);
    // Forgets any partial packet (the connection closed).
    void reset();
    // The stream ended. A body that runs until the end is complete now (true);
    // anything else partly read stays incomplete (false).
    bool endOfStream();
    // A body without a length is being read (it ends with the stream).
    bool readingBodyUntilClose() const { return state_ == State::Body && untilClose_; }

private:
    void acceptLine(std::string_view line);
    void endHeaders();
    void acceptHeader(std::string_view line);
    void fail(ReadError error);

    ReaderLimits limits_;
    State state_ = State::CommandLine;
    ReadError error_ = ReadError::None;
    Packet current_;
    size_t headerBytes_ = 0;
    size_t headerCount_ = 0;
    size_t wantedBody_ = 0;
    bool untilClose_ = false;
};

}  // namespace kestrova::wire
