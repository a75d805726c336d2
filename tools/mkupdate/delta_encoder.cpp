#include "delta_encoder.h"

#include "kestrova/wire/update_body.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace kestrova::mkupdate {
namespace {

constexpr size_t kWindow = 16;
constexpr size_t kIndexStep = 4;
// A copy costs 9 bytes; one that splits literal bytes costs 5 more for the
// literal that resumes after it. So a copy pays from 10 bytes right after
// another copy, and from 15 inside a literal run.
constexpr size_t kMinCopyAfterCopy = 10;
constexpr size_t kMinCopy = 15;
constexpr size_t kMaxSources = 255;

uint64_t windowHash(const char* at) {
    uint64_t a, b;
    std::memcpy(&a, at, 8);
    std::memcpy(&b, at + 8, 8);
    uint64_t h = (a * 0x9E3779B97F4A7C15ull) ^ (b * 0xC2B2AE3D27D4EB4Full);
    return h ^ (h >> 29);
}

struct Copy {
    uint32_t source = 0; // index into the old files
    uint64_t offset = 0;
    uint64_t length = 0;
};

struct Op {
    bool isCopy;
    Copy copy;
    size_t literalFrom = 0, literalTo = 0; // into the new file
};

// The hash table over the old files: one slot per hash, later positions
// winning; an entry is (file + 1) << 40 | offset.
class SourceIndex {
  public:
    explicit SourceIndex(const std::vector<const ReleaseFile*>& files) : files_(files) {
        size_t entries = 0;
        for (const ReleaseFile* file : files)
            entries += file->bytes.size() / kIndexStep;
        while ((size_t(1) << bits_) < entries * 2 && bits_ < 26)
            ++bits_;
        slots_.assign(size_t(1) << bits_, 0);
        for (uint32_t f = 0; f < files.size(); ++f) {
            const std::string& bytes = files[f]->bytes;
            for (size_t at = 0; at + kWindow <= bytes.size(); at += kIndexStep)
                slots_[slot(windowHash(bytes.data() + at))] = (uint64_t(f) + 1) << 40 | at;
        }
    }
    bool find(const char* window, Copy& out) const {
        uint64_t entry = slots_[slot(windowHash(window))];
        if (entry == 0) return false;
        out.source = static_cast<uint32_t>((entry >> 40) - 1);
        out.offset = entry & ((uint64_t(1) << 40) - 1);
        return true;
    }
    const std::string& bytes(uint32_t file) const { return files_[file]->bytes; }

  private:
    size_t slot(uint64_t hash) const { return static_cast<size_t>(hash >> (64 - bits_)); }

    const std::vector<const ReleaseFile*>& files_;
    int bits_ = 10;
    std::vector<uint64_t> slots_;
};

size_t forwardMatch(std::string_view a, size_t ai, std::string_view b, size_t bi) {
    size_t n = 0, limit = std::min(a.size() - ai, b.size() - bi);
    while (n + 8 <= limit && std::memcmp(a.data() + ai + n, b.data() + bi + n, 8) == 0)
        n += 8;
    while (n < limit && a[ai + n] == b[bi + n])
        ++n;
    return n;
}

struct Match {
    Copy copy;
    size_t start = 0; // where in the new file the copy begins
};

// The copy that covers `at` of the new file from this candidate, stretched
// back into the pending literal bytes as far as they match.
Match stretch(const SourceIndex& index, std::string_view target, size_t at, size_t literalFrom,
              Copy candidate) {
    std::string_view source = index.bytes(candidate.source);
    if (candidate.offset >= source.size()) return {};
    size_t forward = forwardMatch(target, at, source, candidate.offset);
    size_t back = 0;
    while (at - back > literalFrom && candidate.offset > back &&
           target[at - back - 1] == source[candidate.offset - back - 1])
        ++back;
    return {{candidate.source, candidate.offset - back, forward + back}, at - back};
}

std::vector<Op> matchTarget(const SourceIndex& index, std::string_view target) {
    std::vector<Op> ops;
    size_t at = 0, literalFrom = 0;
    Copy last;
    bool haveLast = false;
    while (at + kWindow <= target.size()) {
        Match best;
        if (haveLast) {
            // Where the last copy would have gone on, had nothing changed.
            Copy guess{last.source, last.offset + last.length + (at - literalFrom), 0};
            best = stretch(index, target, at, literalFrom, guess);
        }
        Copy found;
        if (best.copy.length < kWindow && index.find(target.data() + at, found)) {
            Match hit = stretch(index, target, at, literalFrom, found);
            if (hit.copy.length > best.copy.length) best = hit;
        }
        size_t worthIt = best.start == literalFrom && haveLast ? kMinCopyAfterCopy : kMinCopy;
        if (best.copy.length < worthIt) {
            ++at;
            continue;
        }
        if (best.start > literalFrom) ops.push_back({false, {}, literalFrom, best.start});
        ops.push_back({true, best.copy, 0, 0});
        at = best.start + best.copy.length;
        literalFrom = at;
        last = best.copy;
        haveLast = true;
    }
    if (literalFrom < target.size()) ops.push_back({false, {}, literalFrom, target.size()});
    return ops;
}

} // namespace

EncodedUpdate encodeUpdate(const std::vector<ReleaseFile>& oldFiles,
                           const std::vector<ReleaseFile>& newFiles) {
    std::map<std::string_view, const ReleaseFile*> oldByName;
    for (const ReleaseFile& file : oldFiles)
        oldByName[file.name] = &file;
    std::vector<const ReleaseFile*> sources;
    for (const ReleaseFile& file : oldFiles) {
        if (sources.size() == kMaxSources) break;
        sources.push_back(&file);
    }
    SourceIndex index(sources);

    std::vector<std::pair<const ReleaseFile*, std::vector<Op>>> targets;
    std::vector<bool> used(sources.size(), false);
    for (const ReleaseFile& file : newFiles) {
        auto old = oldByName.find(file.name);
        if (old != oldByName.end() && old->second->bytes == file.bytes) continue;
        auto ops = matchTarget(index, file.bytes);
        for (const Op& op : ops)
            if (op.isCopy) used[op.copy.source] = true;
        targets.emplace_back(&file, std::move(ops));
    }

    EncodedUpdate encoded;
    std::vector<uint8_t> number(sources.size(), 0);
    for (size_t i = 0; i < sources.size(); ++i) {
        if (!used[i]) continue;
        encoded.sources.push_back(sources[i]->name);
        number[i] = static_cast<uint8_t>(encoded.sources.size());
    }
    wire::UpdateBodyWriter writer(encoded.sources);
    for (const auto& [file, ops] : targets) {
        writer.beginTarget(file->name);
        for (const Op& op : ops) {
            if (op.isCopy)
                writer.copy(number[op.copy.source], op.copy.offset, op.copy.length);
            else
                writer.literal(
                    std::string_view(file->bytes).substr(op.literalFrom, op.literalTo - op.literalFrom));
        }
        writer.endTarget();
        encoded.targets.push_back(file->name);
    }
    encoded.body = writer.finish();
    return encoded;
}

} // namespace kestrova::mkupdate
