#include "kestrova/wire/update_request.h"

#include <charconv>

namespace kestrova::wire {
namespace {

constexpr std::string_view kDeclaration = "<?xml version='1.0'?>\n";

template <typename Number> void appendDecimal(std::string& out, Number value) {
    char digits[24];
    out.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

void appendElement(std::string& out, std::string_view tag, std::string_view text) {
    out.append("<").append(tag).append(">").append(text).append("</").append(tag).append(">");
}

std::string plainText(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (!isPlainXmlText(std::string_view(&c, 1))) c = '_';
    return out;
}

// Reads the exact grammar front to back.
class Scanner {
  public:
    explicit Scanner(std::string_view text) : text_(text) {}

    bool literal(std::string_view expected) {
        if (!text_.starts_with(expected)) return false;
        text_.remove_prefix(expected.size());
        return true;
    }
    // <tag>text</tag> with plain text.
    std::optional<std::string_view> element(std::string_view tag) {
        std::string open = "<" + std::string(tag) + ">";
        std::string close = "</" + std::string(tag) + ">";
        if (!literal(open)) return std::nullopt;
        size_t end = text_.find('<');
        if (end == std::string_view::npos) return std::nullopt;
        std::string_view inside = text_.substr(0, end);
        text_.remove_prefix(end);
        if (!isPlainXmlText(inside) || !literal(close)) return std::nullopt;
        return inside;
    }
    template <typename Number> std::optional<Number> number(std::string_view tag) {
        auto text = element(tag);
        Number value{};
        if (!text || text->empty()) return std::nullopt;
        auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
        if (error != std::errc() || end != text->data() + text->size()) return std::nullopt;
        return value;
    }
    bool atEnd() const { return text_.empty(); }

  private:
    std::string_view text_;
};

} // namespace

bool isPlainXmlText(std::string_view text) {
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '<' || c == '>' || c == '&') return false;
    }
    return true;
}

std::string updateCheckBody(const UpdateCheck& check) {
    std::string out(kDeclaration);
    out.append("<root>");
    for (const ModuleBuild& module : check.modules) {
        if (module.build == 0) continue;
        std::string build;
        appendDecimal(build, module.build);
        out.append("<file>");
        appendElement(out, "name", plainText(module.name));
        appendElement(out, "build", build);
        out.append("</file>");
    }
    std::string language, subscriber;
    appendDecimal(language, check.language);
    appendDecimal(subscriber, check.subscriber);
    out.append("<platform>");
    appendElement(out, "name", plainText(std::string_view(check.platform).substr(0, kMaxPlatformNameBytes)));
    appendElement(out, "language", language);
    out.append("</platform><user>");
    appendElement(out, "subid", subscriber);
    out.append("</user></root>");
    return out;
}

std::optional<UpdateCheck> parseUpdateCheckBody(std::string_view body, const UpdateCheckLimits& limits) {
    if (body.size() > limits.maxBody) return std::nullopt;
    Scanner scan(body);
    if (!scan.literal(kDeclaration) || !scan.literal("<root>")) return std::nullopt;
    UpdateCheck check;
    while (scan.literal("<file>")) {
        auto name = scan.element("name");
        auto build = scan.number<int32_t>("build");
        if (!name || !build || !scan.literal("</file>")) return std::nullopt;
        if (check.modules.size() == limits.maxModules) return std::nullopt;
        check.modules.push_back({std::string(*name), *build});
    }
    if (!scan.literal("<platform>")) return std::nullopt;
    auto platform = scan.element("name");
    auto language = scan.number<int32_t>("language");
    if (!platform || !language || !scan.literal("</platform><user>")) return std::nullopt;
    auto subscriber = scan.number<int64_t>("subid");
    if (!subscriber || !scan.literal("</user></root>") || !scan.atEnd()) return std::nullopt;
    check.platform = std::string(*platform);
    check.language = *language;
    check.subscriber = *subscriber;
    return check;
}

} // namespace kestrova::wire
