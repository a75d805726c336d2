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

bool isHeaderName(std::string_view name) { return isLineText(name) && name.find(':') == std::string_view::npos; }

}  // namespace

bool isLineText(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

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

void Packet::setHeader(std::string_view name, std::string_view value) { headers_.set(name, value, true); }

void Packet::setHeader(std::string_view name, int32_t value) { setHeader(name, decimal(value)); }

void Packet::setHeader(std::string_view name, uint64_t value) { setHeader(name, decimal(value)); }

void Packet::setHeaderVerbatim(std::string name, std::string value) { headers_.set(name, value, false); }

const std::string* Packet::find(std::string_view name) const {
    char folded[32];
    if (name.size() > sizeof folded) return headers_.find(foldHeaderName(name));
    for (size_t i = 0; i < name.size(); ++i) folded[i] = foldByte(name[i]);
    return headers_.find(std::string_view(folded, name.size()));
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

void Packet::recycle(std::string_view command) {
    constexpr size_t kKeptBodyCapacity = 256 * 1024;
    command_.assign(command);
    headers_.clear();
    if (body_.capacity() > kKeptBodyCapacity) body_ = std::string();
    body_.clear();
}

bool Packet::writable() const {
    if (!isLineText(command_)) return false;
    for (const auto& [name, value] : headers_)
        if (!value.empty() && (!isHeaderName(name) || !isLineText(value))) return false;
    return true;
}

std::optional<std::string> Packet::serialise() const {
    std::string out;
    if (!serialiseTo(out)) return std::nullopt;
    return out;
}

bool Packet::serialiseTo(std::string& out) const {
    if (!writable()) return false;
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
    return true;
}

}  // namespace kestrova::wire
