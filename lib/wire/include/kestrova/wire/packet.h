// One text-framed packet of the server protocol: a command line, named header
// lines and an optional binary body whose length the "Content-Length" header
// gives. The same object is built by senders and filled by the reader.
//
// Header names are folded to lower case when stored and when looked up, so
// lookups ignore case and the map iterates (and is written) in ascending byte
// order of the folded names.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace kestrova::wire {

class PacketReader;

using PacketHeaders = std::map<std::string, std::string, std::less<>>;

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
    std::string serialise() const;
    void serialiseTo(std::string& out) const;

private:
    friend class PacketReader;
    using NodePool = std::vector<PacketHeaders::node_type>;

    const std::string* find(std::string_view name) const;
    // The reader's allocation-free paths: header nodes and body capacity of
    // a packet that was handed back are reused for the next one.
    void recycle(std::string_view command, NodePool& pool);
    void storeFoldedHeader(std::string_view name, std::string_view value, NodePool& pool);

    std::string command_;
    PacketHeaders headers_;
    std::string body_;
};

}  // namespace kestrova::wire
