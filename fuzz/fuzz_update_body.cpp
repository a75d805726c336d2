// Update body: any bytes are either refused or decode, against sources cut
// from the same input, without reading outside the body or a source; a body
// that passes is written again by the writer into one that parses alike.
#include "kestrova/wire/update_body.h"

#include <cstdlib>
#include <string>
#include <vector>

using namespace kestrova::wire;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2 || size > 64 * 1024) return 0;
    // The first byte says how many bytes at the end serve as source data.
    size_t sourceBytes = std::min<size_t>(data[0] * 16, size - 1);
    std::string body(reinterpret_cast<const char*>(data) + 1, size - 1 - sourceBytes);
    std::string pool(reinterpret_cast<const char*>(data) + size - sourceBytes, sourceBytes);
    UpdateBodyLimits limits;
    limits.maxTargetBytes = 1 << 20;
    limits.maxTotalBytes = 4 << 20;
    UpdateBodyParse parsed = parseUpdateBody(body, limits);
    if (!parsed.ok()) return 0;
    std::vector<std::string_view> sources;
    std::vector<uint64_t> sizes;
    for (size_t i = 0; i < parsed.body.sources.size(); ++i) {
        std::string_view source = std::string_view(pool).substr(0, (i * 37) % (pool.size() + 1));
        sources.push_back(source);
        sizes.push_back(source.size());
    }
    bool copiesFit = checkCopies(parsed.body, sizes, limits) == UpdateBodyError::None;

    std::vector<std::string> names(parsed.body.sources.begin(), parsed.body.sources.end());
    UpdateBodyWriter writer(names);
    for (const UpdateTarget& target : parsed.body.targets) {
        writer.beginTarget(target.name);
        if (copiesFit) {
            size_t produced = 0;
            if (!decodeUpdateTarget(target, sources, [&](std::string_view piece) {
                    produced += piece.size();
                    return true;
                }))
                std::abort(); // checked copies must decode
        }
        UpdateInstructionCursor cursor(target.stream);
        UpdateInstruction instruction;
        while (cursor.next(instruction)) {
            if (instruction.source == 0)
                writer.literal(instruction.literal);
            else
                writer.copy(instruction.source, instruction.offset, instruction.length);
        }
    }
    std::string again = writer.finish();
    UpdateBodyParse reparsed = parseUpdateBody(again, limits);
    if (!reparsed.ok() || reparsed.body.targets.size() != parsed.body.targets.size() ||
        reparsed.body.sources != parsed.body.sources)
        std::abort();
    return 0;
}
