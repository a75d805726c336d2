// One text-framed packet of the server protocol: a command line, named header
// lines and an optional binary body whose length the "Content-Length" header
// gives. The same object is built by senders and filled by the reader.
//
// Header names are folded to lower case when stored and when looked up, so
// lookups ignore case and the map iterates (and is written) in ascending byte
// order of the folded names.
#pragma once

#include "kestrova/wire/packet_headers.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrova::wire {

class PacketReader;

// Whether a text may stand on a line of a packet (the command, a header
// value): no line feed, carriage return or NUL. Any of them would end the
// line early on some reader, and the rest of the text would be read as
// further headers or whole packets of the sender's choosing.
bool isLineText(std::string_view text);

// Single-byte lower-casing of every byte, as header names are compared.
std::string foldHeaderName(std::string_view name);

// atoi semantics (leading blanks, optional sign, digits up to the first other
// byte), saturated to the 32-bit range instead of overflowing.
int32_t readDecimalInt(std::string_view text);
// The leading run of decimal digits as an unsigned 64-bit number; anything
// else first (a sign, a blank) gives 0.
uint64_t readDecimalId(std::string_view text);

class Packet {
public:
    Packet() = default;
    explicit Packet(std::string command) : command_(std::move(command)) {}

    const std::string& command() const { return command_; }
    void setCommand(std::string command) { command_ = std::move(command); }

    void setHeader(std::string_view name, std::string_view value);
    void setHeader(std::string_view name, const char* value) { setHeader(name, std::string_view(value)); }
    void setHeader(std::string_view name, int32_t value);
    void setHeader(std::string_view name, uint64_t value);
    // NOTE: stores the name exactly as given. The logon's "Operator" header
    // goes out with its capital letter, which also sorts it before every
    // folded name.
    void setHeaderVerbatim(std::string name, std::string value);

    std::string header(std::string_view name) const;
    int32_t headerInt(std::string_view name) const;
    uint64_t headerId(std::string_view name) const;
    bool hasHeader(std::string_view name) const;
    const PacketHeaders& headers() const { return headers_; }

    const std::string& body() const { return body_; }
    std::string& body() { return body_; }
    void setBody(std::string body) { body_ = std::move(body); }

    // Drops headers and body and sets a new command; keeps allocated storage.
    void reset(std::string_view command);

    // Wire form: command LF, each non-empty header as "name: value" LF in map
    // order, LF, body. A non-empty body always carries its own length as
    // "content-length", replacing any value set before.
    //
    // A packet whose command, or a written header name or value, is not line
    // text (or whose header name holds a colon) is never written: serialise
    // gives nothing and serialiseTo leaves `out` as it was and returns false.
    // The caller must treat that as a failed send.
    [[nodiscard]] std::optional<std::string> serialise() const;
    [[nodiscard]] bool serialiseTo(std::string& out) const;
    bool writable() const;

private:
    friend class PacketReader;

    const std::string* find(std::string_view name) const;
    // The reader's allocation-free path: the header strings and the body
    // capacity of a packet that was handed back are reused for the next one.
    void recycle(std::string_view command);

    std::string command_;
    PacketHeaders headers_;
    std::string body_;
};

}  // namespace kestrova::wire
