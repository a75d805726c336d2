// Lines on the automation socket are cut into words (quotes hold blanks,
// backslashes escape) and window handles are read from them. Whatever the
// line, the words written back quoted read as the same words, and a handle
// that reads is written back to text that reads as the same handle.
#include "automation/protocol_text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

using namespace kestrova::platform::detail;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The server refuses longer lines.
    if (size > 64 * 1024) return 0;
    std::string line(reinterpret_cast<const char*>(data), size);
    Args words = tokenize(line);
    std::string again;
    for (const std::string& word : words)
        again += (again.empty() ? "" : " ") + quote(word);
    if (tokenize(again) != words) std::abort();
    for (const std::string& word : words) {
        auto handle = parseHandle(word);
        if (handle && parseHandle(handleText(*handle)) != handle) std::abort();
    }
    return 0;
}
