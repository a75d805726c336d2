#include "kestrova/wire/packet_reader.h"

#include <algorithm>
#include <cstring>

namespace kestrova::wire {

const char* describe(ReadError error) {
    switch (error) {
    case ReadError::None: return "no error";
    case ReadError::LineTooLong: return "line too long";
    case ReadError::HeadersTooLarge: return "headers too large";
    case ReadError::TooManyHeaders: return "too many headers";
    case ReadError::BodyTooLarge: return "body too large";
    case ReadError::NegativeLength: return "negative content length";
    }
    return "unknown error";
}

ReadResult PacketReader::read(std::string_view input) {
    size_t pos = 0;
    while (state_ == State::CommandLine || state_ == State::Headers || state_ == State::Body) {
        if (state_ == State::Body) {
            size_t take = std::min(wantedBody_ - current_.body().size(), input.size() - pos);
            current_.body().append(input.data() + pos, take);
            pos += take;
            if (untilClose_ && current_.body().size() > limits_.maxBody) {
                fail(ReadError::BodyTooLarge);
                break;
            }
            if (current_.body().size() < wantedBody_) return {ReadStatus::Partial, pos};
            state_ = State::Complete;
            break;
        }
        const void* lineFeed = std::memchr(input.data() + pos, '\n', input.size() - pos);
        size_t end = lineFeed ? static_cast<size_t>(static_cast<const char*>(lineFeed) - input.data()) : input.size();
        if (end - pos > limits_.maxLine) {
            fail(ReadError::LineTooLong);
            break;
        }
        if (!lineFeed) return {ReadStatus::Partial, pos};
        std::string_view line = input.substr(pos, end - pos);
        pos = end + 1;
        // A line ends at its last carriage return; memrchr finds it a vector
        // at a time.
        if (const void* carriageReturn = ::memrchr(line.data(), '\r', line.size()))
            line = line.substr(0, static_cast<size_t>(static_cast<const char*>(carriageReturn) - line.data()));
        acceptLine(line);
    }
    if (state_ == State::Failed) return {ReadStatus::Error, pos, error_};
    return {ReadStatus::Complete, pos};
}

void PacketReader::acceptLine(std::string_view line) {
    if (state_ == State::CommandLine) {
        current_.recycle(line);
        headerBytes_ = 0;
        headerCount_ = 0;
        state_ = State::Headers;
    } else if (line.empty()) {
        endHeaders();
    } else {
        acceptHeader(line);
    }
}

void PacketReader::acceptHeader(std::string_view line) {
    headerBytes_ += line.size() + 1;
    if (headerBytes_ > limits_.maxHeaderBytes) return fail(ReadError::HeadersTooLarge);
    size_t colon = line.find(':');
    // NOTE: a line without a colon is dropped and reading goes straight on
    // with the next line. Waiting for more bytes here instead would leave a
    // packet that arrived whole undelivered until the peer sent again.
    if (colon == std::string_view::npos) return;
    if (++headerCount_ > limits_.maxHeaders) return fail(ReadError::TooManyHeaders);
    std::string_view value = line.substr(colon + 1);
    if (!value.empty() && value.front() == ' ') value.remove_prefix(1);
    current_.headers_.append(line.substr(0, colon), value, true);
}

void PacketReader::endHeaders() {
    current_.headers_.normalise();
    untilClose_ = limits_.bodyUntilClose && !current_.hasHeader("content-length");
    if (untilClose_) {
        wantedBody_ = limits_.maxBody + 1;
        state_ = State::Body;
        return;
    }
    int32_t length = current_.headerInt("content-length");
    if (length < 0) return fail(ReadError::NegativeLength);
    if (static_cast<size_t>(length) > limits_.maxBody) return fail(ReadError::BodyTooLarge);
    wantedBody_ = static_cast<size_t>(length);
    if (wantedBody_ == 0) {
        state_ = State::Complete;
        return;
    }
    current_.body().reserve(wantedBody_);
    state_ = State::Body;
}

void PacketReader::fail(ReadError error) {
    error_ = error;
    state_ = State::Failed;
}

Packet PacketReader::takePacket() {
    Packet out = std::move(current_);
    current_ = Packet();
    state_ = State::CommandLine;
    return out;
}

void PacketReader::takePacketInto(Packet& out) {
    std::swap(out, current_);
    state_ = State::CommandLine;
}

void PacketReader::reset() {
    current_ = Packet();
    state_ = State::CommandLine;
    error_ = ReadError::None;
    wantedBody_ = 0;
    headerBytes_ = 0;
    untilClose_ = false;
    headerCount_ = 0;
}

bool PacketReader::endOfStream() {
    if (!readingBodyUntilClose()) return false;
    state_ = State::Complete;
    untilClose_ = false;
    return true;
}

}  // namespace kestrova::wire
