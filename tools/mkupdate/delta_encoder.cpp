#include "delta_encoder.h"

#include "kestrova/wire/update_body.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace kestrova::mkupdate {
namespace {

constexpr size_t kWindow = 16;
constexpr size_t kIndexStep = 4;
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

// A way of lining the new file up with an old one: new position p copies
// old position p + shift of that source.
struct Alignment {
    uint32_t source = 0;
    int64_t shift = 0;
};

// The cheapest instruction stream for a target, by dynamic programming over
// its positions. Two states per position: after a copy (or at the start),
// and inside a literal run. Extending a literal costs 1 byte, opening one 6
// (its 5-byte header and the byte); a copy costs 9 whatever its length, and
// always runs to the end of the matching bytes of its alignment (a later
// copy of another alignment can start anywhere inside its own run, so
// stopping earlier never helps).
//
// The copies considered come from a few recently used alignments: after a
// changed spot a rebuilt binary goes on lining up with the same old bytes,
// so each of them is tried at every position, and a match of even a few
// bytes between two changes is a candidate; whether it pays is left to the
// costs. New alignments come from the hash index, looked up wherever no
// known alignment covers the next window.
class CheapestParse {
  public:
    CheapestParse(const SourceIndex& index, std::string_view target) : index_(index), target_(target) {}

    std::vector<Op> run() {
        size_t n = target_.size();
        afterCopy_.assign(n + 1, kUnreached);
        inLiteral_.assign(n + 1, kUnreached);
        copyFrom_.assign(n + 1, CopyStep{});
        literalAfterCopy_.assign(n + 1, false);
        afterCopy_[0] = 0;
        for (size_t at = 0; at < n; ++at) {
            considerCopies(at);
            uint64_t extend = inLiteral_[at] + 1, open = afterCopy_[at] + 6;
            inLiteral_[at + 1] = std::min(extend, open);
            literalAfterCopy_[at + 1] = open < extend;
        }
        return trace();
    }

  private:
    static constexpr uint64_t kUnreached = UINT64_MAX / 2;
    static constexpr size_t kTracked = 8;        // alignments tried at every position
    static constexpr size_t kMaxBackward = 4096; // how far a new alignment is followed back
    static constexpr size_t kMaxInserted = 256;  // new bytes after which old ones may go on
    static constexpr size_t kMinContinued = 8;   // a shorter match there is chance

    struct CopyStep {
        uint32_t start = 0;
        uint32_t alignment = 0;
        bool fromLiteral = false;
    };
    struct Tracked {
        uint32_t alignment = 0;
        size_t runEnd = 0; // the matching run this alignment is in ends here (exclusive)
        size_t lastUsed = 0;
    };

    uint64_t best(size_t at) const { return std::min(afterCopy_[at], inLiteral_[at]); }

    void relax(size_t start, size_t end, uint32_t alignment) {
        uint64_t cost = best(start) + 9;
        if (cost < afterCopy_[end]) {
            afterCopy_[end] = cost;
            copyFrom_[end] = {static_cast<uint32_t>(start), alignment, inLiteral_[start] < afterCopy_[start]};
        }
    }

    bool matches(const Alignment& a, size_t at) const {
        std::string_view source = index_.bytes(a.source);
        int64_t from = static_cast<int64_t>(at) + a.shift;
        return from >= 0 && static_cast<size_t>(from) < source.size() && source[from] == target_[at];
    }

    size_t runEnd(const Alignment& a, size_t at) const {
        std::string_view source = index_.bytes(a.source);
        return at +
               forwardMatch(target_, at, source, static_cast<size_t>(static_cast<int64_t>(at) + a.shift));
    }

    void considerCopies(size_t at) {
        bool covered = false;
        for (size_t i = 0; i < tracked_.size(); ++i) {
            Tracked& t = tracked_[i];
            const Alignment& a = alignments_[t.alignment];
            if (at >= t.runEnd) {
                if (!matches(a, at)) {
                    continueSource(t, at);
                    continue;
                }
                t.runEnd = runEnd(a, at);
            }
            relax(at, t.runEnd, t.alignment);
            t.lastUsed = at;
            if (t.runEnd >= at + kWindow) covered = true;
        }
        if (!covered && at + kWindow <= target_.size()) discover(at);
    }

    // New bytes were put in after an alignment's run: the old bytes may go
    // on where the run stopped, from here.
    void continueSource(const Tracked& t, size_t at) {
        const Alignment a = alignments_[t.alignment];
        if (at <= t.runEnd || at - t.runEnd > kMaxInserted) return;
        int64_t sourceEnd = static_cast<int64_t>(t.runEnd) + a.shift;
        std::string_view source = index_.bytes(a.source);
        if (sourceEnd < 0 || static_cast<size_t>(sourceEnd) >= source.size() ||
            source[sourceEnd] != target_[at])
            return;
        Alignment next{a.source, sourceEnd - static_cast<int64_t>(at)};
        size_t end = runEnd(next, at);
        if (end - at < kMinContinued || isTracked(next)) return;
        uint32_t id = static_cast<uint32_t>(alignments_.size());
        alignments_.push_back(next);
        relax(at, end, id);
        track({id, end, at});
    }

    bool isTracked(const Alignment& a) const {
        for (const Tracked& t : tracked_)
            if (alignments_[t.alignment].source == a.source && alignments_[t.alignment].shift == a.shift)
                return true;
        return false;
    }

    // A hash hit at `at` becomes a tracked alignment, its run followed back
    // as far as it matches.
    void discover(size_t at) {
        Copy found;
        if (!index_.find(target_.data() + at, found)) return;
        Alignment a{found.source, static_cast<int64_t>(found.offset) - static_cast<int64_t>(at)};
        for (const Tracked& t : tracked_)
            if (alignments_[t.alignment].source == a.source && alignments_[t.alignment].shift == a.shift)
                return;
        size_t end = runEnd(a, at);
        if (end < at + kWindow) return; // a hash collision
        uint32_t id = static_cast<uint32_t>(alignments_.size());
        alignments_.push_back(a);
        size_t start = at;
        while (start > 0 && at - start < kMaxBackward && matches(a, start - 1))
            --start;
        for (size_t from = start; from <= at; ++from)
            relax(from, end, id);
        track({id, end, at});
    }

    void track(Tracked fresh) {
        if (tracked_.size() < kTracked) {
            tracked_.push_back(fresh);
            return;
        }
        auto oldest =
            std::min_element(tracked_.begin(), tracked_.end(),
                             [](const Tracked& x, const Tracked& y) { return x.lastUsed < y.lastUsed; });
        *oldest = fresh;
    }

    std::vector<Op> trace() {
        std::vector<Op> ops;
        size_t at = target_.size();
        bool literal = inLiteral_[at] < afterCopy_[at];
        size_t literalEnd = at;
        while (at > 0) {
            if (literal) {
                bool opened = literalAfterCopy_[at];
                --at;
                if (opened) {
                    ops.push_back({false, {}, at, literalEnd});
                    literal = false;
                }
                continue;
            }
            const CopyStep& step = copyFrom_[at];
            const Alignment& a = alignments_[step.alignment];
            ops.push_back({true,
                           {a.source, static_cast<uint64_t>(static_cast<int64_t>(step.start) + a.shift),
                            at - step.start},
                           0,
                           0});
            at = step.start;
            literal = step.fromLiteral;
            literalEnd = at;
        }
        std::reverse(ops.begin(), ops.end());
        return ops;
    }

    const SourceIndex& index_;
    std::string_view target_;
    std::vector<uint64_t> afterCopy_, inLiteral_;
    std::vector<CopyStep> copyFrom_;
    std::vector<bool> literalAfterCopy_;
    std::vector<Alignment> alignments_;
    std::vector<Tracked> tracked_;
};

std::vector<Op> matchTarget(const SourceIndex& index, std::string_view target) {
    return CheapestParse(index, target).run();
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
