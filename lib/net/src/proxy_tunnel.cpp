#include "kestrova/net/proxy_tunnel.h"

#include "kestrova/wire/packet.h"

namespace kestrova::net {
namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

std::string_view skipSpaces(std::string_view text) {
    while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
    return text;
}

// The next run of non-blank bytes, as a scanf "%s" takes it.
std::string_view takeWord(std::string_view& text) {
    text = skipSpaces(text);
    size_t end = 0;
    while (end < text.size() && !isSpace(text[end])) ++end;
    std::string_view word = text.substr(0, end);
    text.remove_prefix(end);
    return word;
}

bool takeNumber(std::string_view& text, int32_t& out) {
    text = skipSpaces(text);
    size_t end = 0;
    if (end < text.size() && (text[end] == '+' || text[end] == '-')) ++end;
    size_t digitsFrom = end;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
    if (end == digitsFrom) return false;
    out = wire::readDecimalInt(text.substr(0, end));
    text.remove_prefix(end);
    return true;
}

}  // namespace

std::string tunnelRequest(std::string_view host, int32_t port) {
    std::string request = "CONNECT ";
    request.append(host);
    request.push_back(':');
    request.append(std::to_string(port));
    request.append(" HTTP/1.0\n\n");
    return request;
}

std::optional<ProxyStatus> parseProxyStatusLine(std::string_view line) {
    constexpr std::string_view kPrefix = "HTTP/";
    if (line.substr(0, kPrefix.size()) != kPrefix) return std::nullopt;
    line.remove_prefix(kPrefix.size());
    ProxyStatus status;
    status.version = std::string(takeWord(line));
    if (status.version.empty()) return std::nullopt;
    if (!takeNumber(line, status.code)) return std::nullopt;
    std::string_view reason = takeWord(line);
    if (reason.empty()) return std::nullopt;
    status.reason = std::string(reason);
    return status;
}

}  // namespace kestrova::net
