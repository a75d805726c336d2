#include "kestrova/crypto/md5.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace kestrova::crypto {
namespace {

uint32_t loadLittleEndian(const uint8_t* bytes) {
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

void storeLittleEndian(uint32_t value, uint8_t* bytes) {
    bytes[0] = uint8_t(value);
    bytes[1] = uint8_t(value >> 8);
    bytes[2] = uint8_t(value >> 16);
    bytes[3] = uint8_t(value >> 24);
}

// The four round functions, written in the forms that need the fewest operations.
inline uint32_t f(uint32_t x, uint32_t y, uint32_t z) { return z ^ (x & (y ^ z)); }
inline uint32_t g(uint32_t x, uint32_t y, uint32_t z) { return y ^ (z & (x ^ y)); }
inline uint32_t h(uint32_t x, uint32_t y, uint32_t z) { return x ^ y ^ z; }
inline uint32_t i(uint32_t x, uint32_t y, uint32_t z) { return y ^ (x | ~z); }

#define MD5_STEP(fn, a, b, c, d, word, shift, constant)            \
    a += fn(b, c, d) + (word) + (constant);                         \
    a = std::rotl(a, shift) + b;

void transform(uint32_t state[4], const uint8_t* block) {
    uint32_t x[16];
    for (int k = 0; k < 16; ++k) x[k] = loadLittleEndian(block + 4 * k);
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];

    MD5_STEP(f, a, b, c, d, x[0], 7, 0xd76aa478)
    MD5_STEP(f, d, a, b, c, x[1], 12, 0xe8c7b756)
    MD5_STEP(f, c, d, a, b, x[2], 17, 0x242070db)
    MD5_STEP(f, b, c, d, a, x[3], 22, 0xc1bdceee)
    MD5_STEP(f, a, b, c, d, x[4], 7, 0xf57c0faf)
    MD5_STEP(f, d, a, b, c, x[5], 12, 0x4787c62a)
    MD5_STEP(f, c, d, a, b, x[6], 17, 0xa8304613)
    MD5_STEP(f, b, c, d, a, x[7], 22, 0xfd469501)
    MD5_STEP(f, a, b, c, d, x[8], 7, 0x698098d8)
    MD5_STEP(f, d, a, b, c, x[9], 12, 0x8b44f7af)
    MD5_STEP(f, c, d, a, b, x[10], 17, 0xffff5bb1)
    MD5_STEP(f, b, c, d, a, x[11], 22, 0x895cd7be)
    MD5_STEP(f, a, b, c, d, x[12], 7, 0x6b901122)
    MD5_STEP(f, d, a, b, c, x[13], 12, 0xfd987193)
    MD5_STEP(f, c, d, a, b, x[14], 17, 0xa679438e)
    MD5_STEP(f, b, c, d, a, x[15], 22, 0x49b40821)

    MD5_STEP(g, a, b, c, d, x[1], 5, 0xf61e2562)
    MD5_STEP(g, d, a, b, c, x[6], 9, 0xc040b340)
    MD5_STEP(g, c, d, a, b, x[11], 14, 0x265e5a51)
    MD5_STEP(g, b, c, d, a, x[0], 20, 0xe9b6c7aa)
    MD5_STEP(g, a, b, c, d, x[5], 5, 0xd62f105d)
    MD5_STEP(g, d, a, b, c, x[10], 9, 0x02441453)
    MD5_STEP(g, c, d, a, b, x[15], 14, 0xd8a1e681)
    MD5_STEP(g, b, c, d, a, x[4], 20, 0xe7d3fbc8)
    MD5_STEP(g, a, b, c, d, x[9], 5, 0x21e1cde6)
    MD5_STEP(g, d, a, b, c, x[14], 9, 0xc33707d6)
    MD5_STEP(g, c, d, a, b, x[3], 14, 0xf4d50d87)
    MD5_STEP(g, b, c, d, a, x[8], 20, 0x455a14ed)
    MD5_STEP(g, a, b, c, d, x[13], 5, 0xa9e3e905)
    MD5_STEP(g, d, a, b, c, x[2], 9, 0xfcefa3f8)
    MD5_STEP(g, c, d, a, b, x[7], 14, 0x676f02d9)
    MD5_STEP(g, b, c, d, a, x[12], 20, 0x8d2a4c8a)

    MD5_STEP(h, a, b, c, d, x[5], 4, 0xfffa3942)
    MD5_STEP(h, d, a, b, c, x[8], 11, 0x8771f681)
    MD5_STEP(h, c, d, a, b, x[11], 16, 0x6d9d6122)
    MD5_STEP(h, b, c, d, a, x[14], 23, 0xfde5380c)
    MD5_STEP(h, a, b, c, d, x[1], 4, 0xa4beea44)
    MD5_STEP(h, d, a, b, c, x[4], 11, 0x4bdecfa9)
    MD5_STEP(h, c, d, a, b, x[7], 16, 0xf6bb4b60)
    MD5_STEP(h, b, c, d, a, x[10], 23, 0xbebfbc70)
    MD5_STEP(h, a, b, c, d, x[13], 4, 0x289b7ec6)
    MD5_STEP(h, d, a, b, c, x[0], 11, 0xeaa127fa)
    MD5_STEP(h, c, d, a, b, x[3], 16, 0xd4ef3085)
    MD5_STEP(h, b, c, d, a, x[6], 23, 0x04881d05)
    MD5_STEP(h, a, b, c, d, x[9], 4, 0xd9d4d039)
    MD5_STEP(h, d, a, b, c, x[12], 11, 0xe6db99e5)
    MD5_STEP(h, c, d, a, b, x[15], 16, 0x1fa27cf8)
    MD5_STEP(h, b, c, d, a, x[2], 23, 0xc4ac5665)

    MD5_STEP(i, a, b, c, d, x[0], 6, 0xf4292244)
    MD5_STEP(i, d, a, b, c, x[7], 10, 0x432aff97)
    MD5_STEP(i, c, d, a, b, x[14], 15, 0xab9423a7)
    MD5_STEP(i, b, c, d, a, x[5], 21, 0xfc93a039)
    MD5_STEP(i, a, b, c, d, x[12], 6, 0x655b59c3)
    MD5_STEP(i, d, a, b, c, x[3], 10, 0x8f0ccc92)
    MD5_STEP(i, c, d, a, b, x[10], 15, 0xffeff47d)
    MD5_STEP(i, b, c, d, a, x[1], 21, 0x85845dd1)
    MD5_STEP(i, a, b, c, d, x[8], 6, 0x6fa87e4f)
    MD5_STEP(i, d, a, b, c, x[15], 10, 0xfe2ce6e0)
    MD5_STEP(i, c, d, a, b, x[6], 15, 0xa3014314)
    MD5_STEP(i, b, c, d, a, x[13], 21, 0x4e0811a1)
    MD5_STEP(i, a, b, c, d, x[4], 6, 0xf7537e82)
    MD5_STEP(i, d, a, b, c, x[11], 10, 0xbd3af235)
    MD5_STEP(i, c, d, a, b, x[2], 15, 0x2ad7d2bb)
    MD5_STEP(i, b, c, d, a, x[9], 21, 0xeb86d391)

    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

#undef MD5_STEP

uint64_t byteCount(const Md5Context& context) {
    return uint64_t(context.count[1]) << 32 | context.count[0];
}

void setByteCount(Md5Context& context, uint64_t count) {
    context.count[0] = uint32_t(count);
    context.count[1] = uint32_t(count >> 32);
}

}  // namespace

void md5Starts(Md5Context& context) {
    context.count[0] = context.count[1] = 0;
    context.state[0] = 0x67452301;
    context.state[1] = 0xefcdab89;
    context.state[2] = 0x98badcfe;
    context.state[3] = 0x10325476;
}

void md5Update(Md5Context& context, const void* data, size_t length) {
    auto* input = static_cast<const uint8_t*>(data);
    const uint64_t count = byteCount(context);
    size_t buffered = size_t(count % 64);
    setByteCount(context, count + length);

    if (buffered != 0) {
        const size_t take = std::min(length, 64 - buffered);
        std::memcpy(context.buffer + buffered, input, take);
        input += take;
        length -= take;
        if (buffered + take < 64) return;
        transform(context.state, context.buffer);
    }
    for (; length >= 64; input += 64, length -= 64) transform(context.state, input);
    if (length != 0) std::memcpy(context.buffer, input, length);
}

void md5Finish(Md5Context& context, uint8_t out[16]) {
    const uint64_t bitLength = byteCount(context) * 8;
    uint8_t padding[72] = {0x80};
    const size_t buffered = size_t(byteCount(context) % 64);
    const size_t padLength = buffered < 56 ? 56 - buffered : 120 - buffered;
    md5Update(context, padding, padLength);
    uint8_t lengthBytes[8];
    storeLittleEndian(uint32_t(bitLength), lengthBytes);
    storeLittleEndian(uint32_t(bitLength >> 32), lengthBytes + 4);
    md5Update(context, lengthBytes, 8);
    for (int k = 0; k < 4; ++k) storeLittleEndian(context.state[k], out + 4 * k);
}

Md5Digest md5(const void* data, size_t length) {
    Md5Context context;
    md5Starts(context);
    md5Update(context, data, length);
    Md5Digest digest;
    md5Finish(context, digest.data());
    return digest;
}

}  // namespace kestrova::crypto
