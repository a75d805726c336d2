// The update body: the delta that turns the files of an installed program
// folder into the files of a new release.
//
//   source list   file names joined by "," and ended by one zero byte
//   then, until the end of the body, one target after another:
//     name        file name ended by one zero byte
//     L           stream length, 4 bytes
//     stream      L bytes of instructions
//   instructions  0, n (4 bytes), n literal bytes
//                 k = 1..255, offset (4 bytes), length (4 bytes): bytes of source k
//
// Numbers are unsigned 32-bit big-endian. parseUpdateBody() checks the whole
// structure, checkCopies() every copy against the sizes of the sources, both
// before anything is decoded: a body that passes both decodes without reading
// outside the body or a source.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestrova::wire {

enum class UpdateBodyError {
    None,
    UnterminatedSourceList, // no zero byte ends the source list
    BadSourceName,          // empty, unsafe or repeated source name
    TooManySources,         // more than 255 sources (or the limit)
    UnterminatedTargetName, // a target name without its zero byte
    BadTargetName,          // empty, unsafe or repeated target name
    TooManyTargets,
    StreamBeyondBody,     // L runs past the end of the body
    TruncatedInstruction, // an instruction runs past the end of its stream
    NoSuchSource,         // a copy names a source beyond the list
    CopyBeyondSource,     // offset + length runs past the end of the source
    TargetTooLarge,       // a target or all targets beyond the output limits
};

const char* describe(UpdateBodyError error);

struct UpdateBodyLimits {
    size_t maxBody = 256u * 1024 * 1024;
    size_t maxTargets = 4096;
    size_t maxSources = 255;
    uint64_t maxTargetBytes = 1ull << 30;
    uint64_t maxTotalBytes = 4ull << 30;
};

// A name the body may use for a source or a target: one plain file name of
// the program folder. Refused: empty, longer than 255 bytes, "/" or "\",
// "..", control bytes, invalid UTF-8, and the names the installer keeps for
// itself (ending in ".new" or ".old", or starting with "kestrova-update.").
bool isSafeUpdateFileName(std::string_view name);

struct UpdateTarget {
    std::string_view name;
    std::string_view stream; // the instruction stream, L bytes
};

// A parsed body: views into the bytes it was parsed from.
struct UpdateBody {
    std::vector<std::string_view> sources;
    std::vector<UpdateTarget> targets;
};

struct UpdateBodyParse {
    UpdateBodyError error = UpdateBodyError::None;
    UpdateBody body;
    bool ok() const { return error == UpdateBodyError::None; }
};

UpdateBodyParse parseUpdateBody(std::string_view bytes, const UpdateBodyLimits& limits = {});

// Every copy inside its source (sourceSizes[k - 1] is the size of source k)
// and the targets' sizes inside the limits.
UpdateBodyError checkCopies(const UpdateBody& body, std::span<const uint64_t> sourceSizes,
                            const UpdateBodyLimits& limits = {});

struct UpdateInstruction {
    uint8_t source = 0;       // 0: literal
    uint32_t offset = 0;      // copies
    uint32_t length = 0;      // bytes appended
    std::string_view literal; // literals
};

// Walks one instruction stream.
class UpdateInstructionCursor {
  public:
    explicit UpdateInstructionCursor(std::string_view stream) : stream_(stream) {}
    // False at the end of the stream or at a truncated instruction (failed()).
    bool next(UpdateInstruction& out);
    bool failed() const { return failed_; }

  private:
    std::string_view stream_;
    size_t pos_ = 0;
    bool failed_ = false;
};

// Appends the target's bytes to `sink` in pieces: literals point into the
// body, copies into the sources. The sink returns false to stop. Checks the
// bounds again as it goes; false when the stream is malformed or the sink
// stopped.
using UpdateSink = std::function<bool(std::string_view bytes)>;
bool decodeUpdateTarget(const UpdateTarget& target, std::span<const std::string_view> sources,
                        const UpdateSink& sink);

// Builds a body: the source list, then targets made of literals and copies.
// Adjacent literals and contiguous copies of one source are merged.
class UpdateBodyWriter {
  public:
    explicit UpdateBodyWriter(const std::vector<std::string>& sources);

    void beginTarget(std::string_view name);
    void literal(std::string_view bytes);
    // source is 1-based, as in the body.
    void copy(uint8_t source, uint64_t offset, uint64_t length);
    void endTarget();
    // The body; the writer is spent.
    std::string finish();

  private:
    void flushLiteral();
    void flushCopy();

    std::string out_;
    size_t streamStart_ = 0;
    bool inTarget_ = false;
    std::string literal_;
    uint8_t copySource_ = 0;
    uint64_t copyOffset_ = 0;
    uint64_t copyLength_ = 0;
};

} // namespace kestrova::wire
