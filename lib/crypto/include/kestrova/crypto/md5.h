// The MD5 message digest (RFC 1321). Used for password proofs, update checks
// and by the server; the context is plain data that the caller owns, so any
// thread may digest on its own context.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace kestrova::crypto {

struct Md5Context {
    uint32_t count[2];   // bytes processed so far, low word first
    uint32_t state[4];   // chaining words
    uint8_t buffer[64];  // partial block
};

using Md5Digest = std::array<uint8_t, 16>;

void md5Starts(Md5Context& context);
void md5Update(Md5Context& context, const void* data, size_t length);
// Writes the digest; the context is left as it is (not cleared).
void md5Finish(Md5Context& context, uint8_t out[16]);

Md5Digest md5(const void* data, size_t length);

}  // namespace kestrova::crypto
