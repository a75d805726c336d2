// Compressed update body: any bytes either expand within the limit or are
// refused; what expands compresses and expands back to itself.
#include "compressed_body.h"

#include <cstdlib>
#include <string>

using namespace kestrova::updates;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 64 * 1024) return 0;
    constexpr size_t kLimit = 1 << 20;
    auto body = expandBody(std::string_view(reinterpret_cast<const char*>(data), size), kLimit);
    if (!body) return 0;
    if (body->size() > kLimit) std::abort();
    if (expandBody(compressBody(*body), kLimit) != body) std::abort();
    return 0;
}
