#include "kestrova/wire/update_body.h"

#include <algorithm>
#include <limits>
#include <set>

namespace kestrova::wire {
namespace {

constexpr size_t kMaxNameBytes = 255;
constexpr uint64_t kMaxField = std::numeric_limits<uint32_t>::max();

uint32_t readBigEndian32(std::string_view bytes, size_t at) {
    auto byte = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + i])); };
    return byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
}

void appendBigEndian32(std::string& out, uint32_t value) {
    out.push_back(static_cast<char>(value >> 24));
    out.push_back(static_cast<char>(value >> 16));
    out.push_back(static_cast<char>(value >> 8));
    out.push_back(static_cast<char>(value));
}

bool endsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool isValidUtf8Name(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        auto c = static_cast<unsigned char>(text[i]);
        size_t extra = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : 4;
        if (extra == 4 || i + extra >= text.size()) return false;
        uint32_t code = extra == 0 ? c : c & (0x3F >> extra);
        for (size_t k = 1; k <= extra; ++k) {
            auto follow = static_cast<unsigned char>(text[i + k]);
            if ((follow & 0xC0) != 0x80) return false;
            code = code << 6 | (follow & 0x3F);
        }
        static constexpr uint32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
        if (code < kSmallest[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += extra + 1;
    }
    return true;
}

} // namespace

const char* describe(UpdateBodyError error) {
    switch (error) {
    case UpdateBodyError::None:
        return "no error";
    case UpdateBodyError::UnterminatedSourceList:
        return "source list not terminated";
    case UpdateBodyError::BadSourceName:
        return "bad source name";
    case UpdateBodyError::TooManySources:
        return "too many sources";
    case UpdateBodyError::UnterminatedTargetName:
        return "target name not terminated";
    case UpdateBodyError::BadTargetName:
        return "bad target name";
    case UpdateBodyError::TooManyTargets:
        return "too many targets";
    case UpdateBodyError::StreamBeyondBody:
        return "instruction stream beyond the body";
    case UpdateBodyError::TruncatedInstruction:
        return "truncated instruction";
    case UpdateBodyError::NoSuchSource:
        return "copy from a source beyond the list";
    case UpdateBodyError::CopyBeyondSource:
        return "copy beyond the end of its source";
    case UpdateBodyError::TargetTooLarge:
        return "target too large";
    }
    return "unknown error";
}

bool isSafeUpdateFileName(std::string_view name) {
    if (name.empty() || name.size() > kMaxNameBytes) return false;
    if (name.find("..") != std::string_view::npos) return false;
    for (char c : name) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '/' || c == '\\') return false;
    }
    if (name == "." || endsWith(name, ".new") || endsWith(name, ".old")) return false;
    if (name.starts_with("kestrova-update.")) return false;
    return isValidUtf8Name(name);
}

bool UpdateInstructionCursor::next(UpdateInstruction& out) {
    if (failed_ || pos_ == stream_.size()) return false;
    size_t left = stream_.size() - pos_;
    auto kind = static_cast<uint8_t>(stream_[pos_]);
    if (kind == 0) {
        if (left < 5 || readBigEndian32(stream_, pos_ + 1) > left - 5) {
            failed_ = true;
            return false;
        }
        out = UpdateInstruction{};
        out.length = readBigEndian32(stream_, pos_ + 1);
        out.literal = stream_.substr(pos_ + 5, out.length);
        pos_ += 5 + out.length;
        return true;
    }
    if (left < 9) {
        failed_ = true;
        return false;
    }
    out = UpdateInstruction{kind, readBigEndian32(stream_, pos_ + 1), readBigEndian32(stream_, pos_ + 5), {}};
    pos_ += 9;
    return true;
}

namespace {

UpdateBodyError parseSources(std::string_view list, const UpdateBodyLimits& limits,
                             std::vector<std::string_view>& out) {
    if (list.empty()) return UpdateBodyError::None;
    std::set<std::string_view> seen;
    for (size_t from = 0;;) {
        size_t comma = std::min(list.find(',', from), list.size());
        std::string_view name = list.substr(from, comma - from);
        if (!isSafeUpdateFileName(name) || !seen.insert(name).second) return UpdateBodyError::BadSourceName;
        if (out.size() == std::min<size_t>(limits.maxSources, 255)) return UpdateBodyError::TooManySources;
        out.push_back(name);
        if (comma == list.size()) return UpdateBodyError::None;
        from = comma + 1;
    }
}

UpdateBodyError checkStream(std::string_view stream, size_t sourceCount) {
    UpdateInstructionCursor cursor(stream);
    UpdateInstruction instruction;
    while (cursor.next(instruction))
        if (instruction.source > sourceCount) return UpdateBodyError::NoSuchSource;
    return cursor.failed() ? UpdateBodyError::TruncatedInstruction : UpdateBodyError::None;
}

} // namespace

UpdateBodyParse parseUpdateBody(std::string_view bytes, const UpdateBodyLimits& limits) {
    UpdateBodyParse result;
    auto fail = [&](UpdateBodyError error) {
        result.error = error;
        result.body = {};
        return result;
    };
    if (bytes.size() > limits.maxBody) return fail(UpdateBodyError::TargetTooLarge);
    size_t end = bytes.find('\0');
    if (end == std::string_view::npos) return fail(UpdateBodyError::UnterminatedSourceList);
    if (auto error = parseSources(bytes.substr(0, end), limits, result.body.sources);
        error != UpdateBodyError::None)
        return fail(error);
    std::set<std::string_view> names;
    for (size_t pos = end + 1; pos < bytes.size();) {
        size_t nameEnd = bytes.find('\0', pos);
        if (nameEnd == std::string_view::npos) return fail(UpdateBodyError::UnterminatedTargetName);
        std::string_view name = bytes.substr(pos, nameEnd - pos);
        if (!isSafeUpdateFileName(name) || !names.insert(name).second)
            return fail(UpdateBodyError::BadTargetName);
        if (result.body.targets.size() == limits.maxTargets) return fail(UpdateBodyError::TooManyTargets);
        pos = nameEnd + 1;
        if (bytes.size() - pos < 4 || readBigEndian32(bytes, pos) > bytes.size() - pos - 4)
            return fail(UpdateBodyError::StreamBeyondBody);
        std::string_view stream = bytes.substr(pos + 4, readBigEndian32(bytes, pos));
        if (auto error = checkStream(stream, result.body.sources.size()); error != UpdateBodyError::None)
            return fail(error);
        result.body.targets.push_back({name, stream});
        pos += 4 + stream.size();
    }
    return result;
}

UpdateBodyError checkCopies(const UpdateBody& body, std::span<const uint64_t> sourceSizes,
                            const UpdateBodyLimits& limits) {
    if (sourceSizes.size() < body.sources.size()) return UpdateBodyError::NoSuchSource;
    uint64_t total = 0;
    for (const UpdateTarget& target : body.targets) {
        UpdateInstructionCursor cursor(target.stream);
        UpdateInstruction instruction;
        uint64_t size = 0;
        while (cursor.next(instruction)) {
            if (instruction.source > body.sources.size()) return UpdateBodyError::NoSuchSource;
            if (instruction.source != 0 &&
                uint64_t(instruction.offset) + instruction.length > sourceSizes[instruction.source - 1])
                return UpdateBodyError::CopyBeyondSource;
            size += instruction.length;
            total += instruction.length;
            if (size > limits.maxTargetBytes || total > limits.maxTotalBytes)
                return UpdateBodyError::TargetTooLarge;
        }
        if (cursor.failed()) return UpdateBodyError::TruncatedInstruction;
    }
    return UpdateBodyError::None;
}

bool decodeUpdateTarget(const UpdateTarget& target, std::span<const std::string_view> sources,
                        const UpdateSink& sink) {
    UpdateInstructionCursor cursor(target.stream);
    UpdateInstruction instruction;
    while (cursor.next(instruction)) {
        std::string_view piece = instruction.literal;
        if (instruction.source != 0) {
            if (instruction.source > sources.size()) return false;
            std::string_view source = sources[instruction.source - 1];
            if (uint64_t(instruction.offset) + instruction.length > source.size()) return false;
            piece = source.substr(instruction.offset, instruction.length);
        }
        if (!piece.empty() && !sink(piece)) return false;
    }
    return !cursor.failed();
}

UpdateBodyWriter::UpdateBodyWriter(const std::vector<std::string>& sources) {
    for (size_t i = 0; i < sources.size(); ++i) {
        if (i != 0) out_.push_back(',');
        out_.append(sources[i]);
    }
    out_.push_back('\0');
}

void UpdateBodyWriter::beginTarget(std::string_view name) {
    if (inTarget_) endTarget();
    out_.append(name);
    out_.push_back('\0');
    streamStart_ = out_.size();
    appendBigEndian32(out_, 0);
    inTarget_ = true;
}

void UpdateBodyWriter::literal(std::string_view bytes) {
    if (bytes.empty()) return;
    flushCopy();
    literal_.append(bytes);
}

void UpdateBodyWriter::copy(uint8_t source, uint64_t offset, uint64_t length) {
    if (length == 0) return;
    flushLiteral();
    if (copyLength_ != 0 && source == copySource_ && offset == copyOffset_ + copyLength_) {
        copyLength_ += length;
        return;
    }
    flushCopy();
    copySource_ = source;
    copyOffset_ = offset;
    copyLength_ = length;
}

void UpdateBodyWriter::flushLiteral() {
    for (size_t from = 0; from < literal_.size(); from += kMaxField) {
        size_t take = std::min<size_t>(kMaxField, literal_.size() - from);
        out_.push_back('\0');
        appendBigEndian32(out_, static_cast<uint32_t>(take));
        out_.append(literal_, from, take);
    }
    literal_.clear();
}

void UpdateBodyWriter::flushCopy() {
    while (copyLength_ != 0) {
        uint64_t take = std::min(copyLength_, kMaxField);
        out_.push_back(static_cast<char>(copySource_));
        appendBigEndian32(out_, static_cast<uint32_t>(copyOffset_));
        appendBigEndian32(out_, static_cast<uint32_t>(take));
        copyOffset_ += take;
        copyLength_ -= take;
    }
}

void UpdateBodyWriter::endTarget() {
    if (!inTarget_) return;
    flushLiteral();
    flushCopy();
    uint32_t length = static_cast<uint32_t>(out_.size() - streamStart_ - 4);
    std::string patched;
    appendBigEndian32(patched, length);
    out_.replace(streamStart_, 4, patched);
    inTarget_ = false;
}

std::string UpdateBodyWriter::finish() {
    endTarget();
    return std::move(out_);
}

} // namespace kestrova::wire
