#include "kestrova/wire/packet.h"

#include <charconv>
#include <limits>

namespace kestrova::wire {
namespace {

constexpr std::string_view kContentLength = "content-length";

char foldByte(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

template <typename Number>
std::string decimal(Number value) {
    char digits[24];
    auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    return std::string(digits, end);
}

void appendHeaderLine(std::string& out, std::string_view name, std::string_view value) {
    out.append(name);
    out.append(": ");
    out.append(value);
    out.push_back('\n');
}

}  // namespace

std::string foldHeaderName(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) c = foldByte(c);
    return folded;
}

int32_t readDecimalInt(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size() && isBlank(text[pos])) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
    int64_t value = 0;
    constexpr int64_t kLimit = int64_t(std::numeric_limits<int32_t>::max()) + 1;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        value = value * 10 + (text[pos] - '0');
        if (value > kLimit) value = kLimit;
    }
    if (negative) return static_cast<int32_t>(-value);
    return static_cast<int32_t>(std::min<int64_t>(value, std::numeric_limits<int32_t>::max()));
}

uint64_t readDecimalId(std::string_view text) {
    uint64_t value = 0;
    for (size_t pos = 0; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos)
        value = value * 10 + static_cast<uint64_t>(text[pos] - '0');
    return value;
}

void Packet::setHeader(std::string_view name, std::string_view value) {
    headers_.insert_or_assign(foldHeaderName(name), std::string(value));
}

void Packet::setHeader(std::string_view name, int32_t value) { setHeader(name, decimal(value)); }

void Packet::setHeader(std::string_view name, uint64_t value) { setHeader(name, decimal(value)); }

void Packet::setHeaderVerbatim(std::string name, std::string value) {
    headers_.insert_or_assign(std::move(name), std::move(value));
}

const std::string* Packet::find(std::string_view name) const {
    auto it = headers_.find(foldHeaderName(name));
    return it == headers_.end() ? nullptr : &it->second;
}

std::string Packet::header(std::string_view name) const {
    const std::string* value = find(name);
    return value ? *value : std::string();
}

int32_t Packet::headerInt(std::string_view name) const {
    const std::string* value = find(name);
    return value ? readDecimalInt(*value) : 0;
}

uint64_t Packet::headerId(std::string_view name) const {
    const std::string* value = find(name);
    return value ? readDecimalId(*value) : 0;
}

bool Packet::hasHeader(std::string_view name) const { return find(name) != nullptr; }

void Packet::reset(std::string_view command) {
    command_.assign(command);
    headers_.clear();
    body_.clear();
}

void Packet::recycle(std::string_view command, NodePool& pool) {
    constexpr size_t kKeptBodyCapacity = 256 * 1024;
    command_.assign(command);
    constexpr size_t kPooledNodes = 64;
    while (!headers_.empty()) pool.push_back(headers_.extract(headers_.begin()));
    if (pool.size() > kPooledNodes) pool.resize(kPooledNodes);
    if (body_.capacity() > kKeptBodyCapacity) body_ = std::string();
    body_.clear();
}

void Packet::storeFoldedHeader(std::string_view name, std::string_view value, NodePool& pool) {
    if (pool.empty()) {
        PacketHeaders fresh;
        fresh.emplace();
        pool.push_back(fresh.extract(fresh.begin()));
    }
    PacketHeaders::node_type& node = pool.back();
    node.key().assign(name);
    for (char& c : node.key()) c = foldByte(c);
    if (auto existing = headers_.find(node.key()); existing != headers_.end()) {
        existing->second.assign(value);
        return;
    }
    node.mapped().assign(value);
    // Written packets carry their headers in ascending order, so the end is
    // nearly always the right place.
    headers_.insert(headers_.end(), std::move(node));
    pool.pop_back();
}

std::string Packet::serialise() const {
    std::string out;
    serialiseTo(out);
    return out;
}

void Packet::serialiseTo(std::string& out) const {
    out.reserve(out.size() + command_.size() + 64 * (headers_.size() + 1) + body_.size());
    out.append(command_);
    out.push_back('\n');
    bool lengthWritten = body_.empty();
    std::string length = lengthWritten ? std::string() : decimal(body_.size());
    for (const auto& [name, value] : headers_) {
        if (!lengthWritten && name >= kContentLength) {
            appendHeaderLine(out, kContentLength, length);
            lengthWritten = true;
            if (name == kContentLength) continue;
        }
        if (!value.empty()) appendHeaderLine(out, name, value);
    }
    if (!lengthWritten) appendHeaderLine(out, kContentLength, length);
    out.push_back('\n');
    out.append(body_);
}

}  // namespace kestrova::wire
